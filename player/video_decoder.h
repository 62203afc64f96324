// H.264 decoding of the assembled packets, one packet buffer and one frame per reader.
#pragma once

#include <cstdint>

#include "player/pipeline.h"

extern "C" {
struct AVCodec;
struct AVCodecContext;
struct AVPacket;
}

namespace zv {

// Kept for start-up's call order; current FFmpeg registers its codecs by itself.
void RegisterDecoders();
const AVCodec* FindH264Decoder();

// What a decode's outcome means for quality: a decode that consumed data and gave no
// picture asks for a step down, and warns of low bandwidth once per run of such decodes
// when the step changed nothing.
class CLowBandwidthRule {
 public:
  explicit CLowBandwidthRule(IDecodeEvents& events) : m_events(events) {}
  // result: bytes consumed, or 0 / a negative error, which changes nothing.
  void OnDecoded(int result, bool gotPicture);
  bool LastDecodeProducedPicture() const { return m_lastHadPicture; }

 private:
  IDecodeEvents& m_events;
  bool m_lastHadPicture = true;
};

class CVideoDecoder : public IPacketSink {
 public:
  static constexpr int32_t kPacketCapacity = 0x80000;

  CVideoDecoder(IPictureSink& pictures, IDecodeEvents& events);
  ~CVideoDecoder() override;
  CVideoDecoder(const CVideoDecoder&) = delete;
  CVideoDecoder& operator=(const CVideoDecoder&) = delete;

  uint8_t* PacketBuffer() override;
  int32_t PacketCapacity() const override { return m_packet ? kPacketCapacity : 0; }
  void DecodePacket(int32_t size, bool keyframe, int32_t nalLength, uint32_t timestamp) override;

  bool LastDecodeProducedPicture() const { return m_rule.LastDecodeProducedPicture(); }
  // The console line per picture; the benchmark turns it off.
  void SetConsoleLog(bool on) { m_consoleLog = on; }

 private:
  // Bytes consumed (the packet size) or a negative FFmpeg error.
  int Decode(int32_t size, bool& gotPicture);

  IPictureSink& m_pictures;
  CLowBandwidthRule m_rule;
  AVCodecContext* m_context = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
  bool m_consoleLog = true;
};

}  // namespace zv
