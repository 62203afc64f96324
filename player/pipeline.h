// The stages of the reader's pipeline, reader -> tag parser -> decoder -> converter ->
// frame sink, meet only through these interfaces so that each stage is tested alone.
#pragma once

#include <cstdint>

extern "C" {
struct AVFrame;
}

namespace zv {

struct VideoFrame;

// What the tag parser reports besides packets: the counter and flag of quality control
// and the picture size for the window.
class ITagEvents {
 public:
  virtual ~ITagEvents() = default;
  virtual void OnSequenceHeader() = 0;
  virtual void OnVideoSize(int32_t width, int32_t height) = 0;
  virtual void OnVideoPacket() = 0;
};

// The decoder side of the tag parser: the parser assembles into the sink's buffer so the
// payload is copied exactly once.
class IPacketSink {
 public:
  virtual ~IPacketSink() = default;
  virtual uint8_t* PacketBuffer() = 0;
  virtual int32_t PacketCapacity() const = 0;
  virtual void DecodePacket(int32_t size, bool keyframe, int32_t nalLength, uint32_t timestamp) = 0;
};

// The decoder's reactions to a decode that consumed data but gave no picture.
class IDecodeEvents {
 public:
  virtual ~IDecodeEvents() = default;
  // Asks quality control for one step down; true when the level changed.
  virtual bool RequestLowerQuality() = 0;
  virtual void OnLowBandwidth() = 0;
};

class IPictureSink {
 public:
  virtual ~IPictureSink() = default;
  virtual void OnPicture(const AVFrame* frame, uint32_t timestamp) = 0;
};

class IFrameSink {
 public:
  virtual ~IFrameSink() = default;
  // The frame's pixels are valid only during the call.
  virtual void OnFrame(const VideoFrame& frame) = 0;
};

}  // namespace zv
