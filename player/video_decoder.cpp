#include "player/video_decoder.h"

#include <cstdio>
#include <cstring>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
}

namespace zv {

void RegisterDecoders() {}

const AVCodec* FindH264Decoder() { return avcodec_find_decoder(AV_CODEC_ID_H264); }

CVideoDecoder::CVideoDecoder(IPictureSink& pictures, IDecodeEvents& events) : m_pictures(pictures), m_rule(events) {
  if (const AVCodec* codec = FindH264Decoder()) {
    m_context = avcodec_alloc_context3(codec);
    if (m_context) {
      // Pictures are shown as they arrive: no reordering delay, and threads only within a
      // picture so that each decode call finishes the picture it was given.
      m_context->flags |= AV_CODEC_FLAG_LOW_DELAY;
      m_context->thread_type = FF_THREAD_SLICE;
      m_context->thread_count = 0;
      if (avcodec_open2(m_context, codec, nullptr) < 0) avcodec_free_context(&m_context);
    }
  }
  m_frame = av_frame_alloc();
  m_packet = av_packet_alloc();
  if (m_packet && av_new_packet(m_packet, kPacketCapacity) < 0) av_packet_free(&m_packet);
}

CVideoDecoder::~CVideoDecoder() {
  avcodec_free_context(&m_context);
  av_packet_free(&m_packet);
  av_frame_free(&m_frame);
}

uint8_t* CVideoDecoder::PacketBuffer() {
  if (!m_packet) return nullptr;
  // A decoder that kept a reference to the last packet must not see it overwritten.
  if (!av_buffer_is_writable(m_packet->buf)) {
    av_packet_unref(m_packet);
    if (av_new_packet(m_packet, kPacketCapacity) < 0) {
      av_packet_free(&m_packet);
      return nullptr;
    }
  }
  return m_packet->data;
}

int CVideoDecoder::Decode(int32_t size, bool& gotPicture) {
  gotPicture = false;
  if (!m_context || !m_frame || !m_packet || size <= 0 || size > kPacketCapacity) return AVERROR(EINVAL);
  m_packet->size = size;
  std::memset(m_packet->data + size, 0, AV_INPUT_BUFFER_PADDING_SIZE);
  int result = avcodec_send_packet(m_context, m_packet);
  m_packet->size = kPacketCapacity;
  if (result < 0) return result;
  result = avcodec_receive_frame(m_context, m_frame);
  if (result == 0) {
    gotPicture = true;
  } else if (result != AVERROR(EAGAIN)) {
    return result;
  }
  return size;
}

void CLowBandwidthRule::OnDecoded(int result, bool gotPicture) {
  if (result <= 0) return;
  if (gotPicture) {
    m_lastHadPicture = true;
    return;
  }
  bool stepped = m_events.RequestLowerQuality();
  if (!stepped && m_lastHadPicture) m_events.OnLowBandwidth();
  m_lastHadPicture = false;
}

void CVideoDecoder::DecodePacket(int32_t size, bool keyframe, int32_t nalLength, uint32_t timestamp) {
  bool gotPicture = false;
  int result = Decode(size, gotPicture);
  m_rule.OnDecoded(result, gotPicture);
  if (result <= 0) {
    char text[1000];
    av_strerror(result, text, sizeof text);  // kept for a debugger: the text is shown nowhere
    return;
  }
  if (!gotPicture) return;
  m_pictures.OnPicture(m_frame, timestamp);
  av_frame_unref(m_frame);
  if (m_consoleLog) {
    std::printf(keyframe ? "%d: IFrame decode OK, return; %d, nal len: %d\n" : "%d: PFrame decode OK, return; %d, nal len: %d\n",
                static_cast<int>(timestamp), result, nalLength);
  }
}

}  // namespace zv
