#include "sim/phone/h264_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

#include <cstring>

namespace zv::sim::phone {
namespace {

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof(text));
  return text;
}

}  // namespace

CH264Encoder::~CH264Encoder() {
  Close();
}

void CH264Encoder::Close() {
  avcodec_free_context(&m_context);
  av_frame_free(&m_frame);
  av_packet_free(&m_packet);
  m_pts = 0;
}

bool CH264Encoder::Open(int width, int height, const QualityProfile& profile, std::string& error) {
  Close();
  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) {
    error = "libavcodec has no libx264 encoder";
    return false;
  }
  m_context = avcodec_alloc_context3(codec);
  m_frame = av_frame_alloc();
  m_packet = av_packet_alloc();
  if (!m_context || !m_frame || !m_packet) {
    error = "out of memory";
    Close();
    return false;
  }
  m_context->width = width;
  m_context->height = height;
  m_context->pix_fmt = AV_PIX_FMT_YUV420P;
  m_context->time_base = AVRational{1, profile.fps};
  m_context->framerate = AVRational{profile.fps, 1};
  m_context->bit_rate = profile.bitrate;
  m_context->rc_max_rate = profile.bitrate;
  m_context->rc_buffer_size = profile.bitrate;
  m_context->gop_size = 2 * profile.fps;
  m_context->keyint_min = 2 * profile.fps;
  m_context->max_b_frames = 0;
  // One encoder thread per phone: the machine is shared and the pictures are small.
  m_context->thread_count = 1;
  av_opt_set(m_context->priv_data, "preset", "ultrafast", 0);
  av_opt_set(m_context->priv_data, "tune", "zerolatency", 0);
  av_opt_set(m_context->priv_data, "forced-idr", "1", 0);
  av_opt_set(m_context->priv_data, "x264-params", "annexb=1:repeat-headers=1:scenecut=0", 0);

  const int rc = avcodec_open2(m_context, codec, nullptr);
  if (rc < 0) {
    error = "cannot open libx264: " + AvError(rc);
    Close();
    return false;
  }
  m_frame->format = AV_PIX_FMT_YUV420P;
  m_frame->width = width;
  m_frame->height = height;
  const int fr = av_frame_get_buffer(m_frame, 0);
  if (fr < 0) {
    error = "cannot allocate a frame: " + AvError(fr);
    Close();
    return false;
  }
  return true;
}

bool CH264Encoder::Encode(const CYuvCanvas& canvas, bool forceKeyframe, std::vector<EncodedUnit>& out,
                          std::string& error) {
  if (!m_context) {
    error = "encoder not open";
    return false;
  }
  int rc = av_frame_make_writable(m_frame);
  if (rc < 0) {
    error = "frame not writable: " + AvError(rc);
    return false;
  }
  for (int plane = 0; plane < 3; ++plane) {
    const int rows = plane == 0 ? m_frame->height : m_frame->height / 2;
    const int bytes = plane == 0 ? m_frame->width : m_frame->width / 2;
    for (int row = 0; row < rows; ++row) {
      std::memcpy(m_frame->data[plane] + static_cast<ptrdiff_t>(row) * m_frame->linesize[plane],
                  canvas.Plane(plane) + static_cast<ptrdiff_t>(row) * canvas.Stride(plane),
                  static_cast<size_t>(bytes));
    }
  }
  m_frame->pts = m_pts++;
  m_frame->pict_type = forceKeyframe ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
  rc = avcodec_send_frame(m_context, m_frame);
  if (rc < 0) {
    error = "encoder refused a picture: " + AvError(rc);
    return false;
  }
  for (;;) {
    rc = avcodec_receive_packet(m_context, m_packet);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) {
      error = "encoder failed: " + AvError(rc);
      return false;
    }
    EncodedUnit unit;
    unit.data.assign(m_packet->data, m_packet->data + m_packet->size);
    unit.keyframe = (m_packet->flags & AV_PKT_FLAG_KEY) != 0;
    out.push_back(std::move(unit));
    av_packet_unref(m_packet);
  }
}

}  // namespace zv::sim::phone
