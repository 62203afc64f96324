// libavcodec's H.264 decoder for the tests: takes the access units of the stream's
// picture tags and gives back YUV pictures to check pixels in.
#pragma once

#include <cstddef>
#include <cstdint>

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace zv::sim::test {

struct Yuv {
  int y, u, v;
};

class CH264TestDecoder {
 public:
  CH264TestDecoder();
  ~CH264TestDecoder();
  CH264TestDecoder(const CH264TestDecoder&) = delete;
  CH264TestDecoder& operator=(const CH264TestDecoder&) = delete;

  // True when a picture came out.
  bool Decode(const uint8_t* data, size_t size);
  int Width() const;
  int Height() const;
  Yuv At(int x, int y) const;

 private:
  AVCodecContext* m_context = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
};

}  // namespace zv::sim::test
