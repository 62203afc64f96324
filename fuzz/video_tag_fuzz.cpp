// fuzz-libs: zv_player
// Video tag bodies as a server could send them, through the tag parser and the SPS reader.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "player/sps_parser.h"
#include "player/video_tag_parser.h"

namespace {

class Sink : public zv::IPacketSink, public zv::ITagEvents {
 public:
  // A small buffer so that the capacity checks are reached too.
  uint8_t* PacketBuffer() override { return m_buffer.data(); }
  int32_t PacketCapacity() const override { return static_cast<int32_t>(m_buffer.size()); }
  void DecodePacket(int32_t size, bool, int32_t, uint32_t) override {
    if (size > 0) m_sum += m_buffer[static_cast<size_t>(size) - 1];
  }
  void OnSequenceHeader() override {}
  void OnVideoSize(int32_t, int32_t) override {}
  void OnVideoPacket() override {}

 private:
  std::vector<uint8_t> m_buffer = std::vector<uint8_t>(4096);
  unsigned m_sum = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Exact-size heap copies: any read past the input is caught.
  std::vector<uint8_t> body(data, data + size);
  Sink sink;
  zv::CVideoTagParser parser(sink, sink);
  // Twice, so that a keyframe can meet the prefix of its own bytes' sequence header.
  parser.ParseVideoTag(body.data(), static_cast<uint32_t>(body.size()), 0);
  parser.ParseVideoTag(body.data(), static_cast<uint32_t>(body.size()), 0);
  int32_t width = 0;
  int32_t height = 0;
  zv::ParseSps(body.data(), static_cast<uint32_t>(body.size()), width, height);
  return 0;
}
