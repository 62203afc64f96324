// One reader's video path: tag parser -> decoder -> converter -> frame sink, with the tag
// and decode events wired to quality control and the window.
#pragma once

#include <cstdint>

#include "player/frame_converter.h"
#include "player/pipeline.h"
#include "player/video_decoder.h"
#include "player/video_tag_parser.h"

namespace zv {

class CQualityController;

// Hands each frame to the main window with a blocking UWM_VIDEO_FRAME.
class CWindowFrameSink : public IFrameSink {
 public:
  void OnFrame(const VideoFrame& frame) override;
};

class CVideoPipeline : private ITagEvents, private IDecodeEvents {
 public:
  CVideoPipeline(CQualityController& quality, IFrameSink& frames);

  void OnVideoMessage(const uint8_t* body, uint32_t size, uint32_t timestamp) {
    m_parser.ParseVideoTag(body, size, timestamp);
  }
  bool DecoderReady() const { return m_decoder.PacketCapacity() > 0; }
  CVideoDecoder& Decoder() { return m_decoder; }
  const CVideoTagParser& Parser() const { return m_parser; }

 private:
  void OnSequenceHeader() override;
  void OnVideoSize(int32_t width, int32_t height) override;
  void OnVideoPacket() override;
  bool RequestLowerQuality() override;
  void OnLowBandwidth() override;

  CQualityController& m_quality;
  CFrameConverter m_converter;
  CVideoDecoder m_decoder;
  CVideoTagParser m_parser;
};

}  // namespace zv
