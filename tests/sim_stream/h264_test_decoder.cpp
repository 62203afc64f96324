#include "tests/sim_stream/h264_test_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <algorithm>

namespace zv::sim::test {

CH264TestDecoder::CH264TestDecoder() {
  const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
  m_context = avcodec_alloc_context3(codec);
  m_context->flags |= AV_CODEC_FLAG_LOW_DELAY;
  m_context->thread_count = 1;
  avcodec_open2(m_context, codec, nullptr);
  m_frame = av_frame_alloc();
  m_packet = av_packet_alloc();
}

CH264TestDecoder::~CH264TestDecoder() {
  avcodec_free_context(&m_context);
  av_frame_free(&m_frame);
  av_packet_free(&m_packet);
}

bool CH264TestDecoder::Decode(const uint8_t* data, size_t size) {
  m_packet->data = const_cast<uint8_t*>(data);
  m_packet->size = static_cast<int>(size);
  if (avcodec_send_packet(m_context, m_packet) < 0) return false;
  // Low delay: one packet in, at most one picture out.
  return avcodec_receive_frame(m_context, m_frame) == 0;
}

int CH264TestDecoder::Width() const {
  return m_frame->width;
}
int CH264TestDecoder::Height() const {
  return m_frame->height;
}

Yuv CH264TestDecoder::At(int x, int y) const {
  x = std::clamp(x, 0, m_frame->width - 1);
  y = std::clamp(y, 0, m_frame->height - 1);
  return {m_frame->data[0][y * m_frame->linesize[0] + x],
          m_frame->data[1][(y / 2) * m_frame->linesize[1] + x / 2],
          m_frame->data[2][(y / 2) * m_frame->linesize[2] + x / 2]};
}

}  // namespace zv::sim::test
