#include "player/frame_converter.h"

#include <algorithm>
#include <cstddef>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

namespace zv {

CFrameConverter::~CFrameConverter() { sws_freeContext(m_scaler); }

void CFrameConverter::SetOutputSize(int32_t width, int32_t height) {
  if (width == m_width && height == m_height) return;
  m_width = width > 0 ? width : 0;
  m_height = height > 0 ? height : 0;
  m_pixels.clear();
  m_paddedWidth = m_paddedHeight = -1;
}

bool CFrameConverter::PrepareScaler(int width, int height, int format) {
  if (m_scaler && width == m_scalerWidth && height == m_scalerHeight && format == m_scalerFormat) return true;
  sws_freeContext(m_scaler);
  m_scaler = sws_getContext(width, height, static_cast<AVPixelFormat>(format), width, height, AV_PIX_FMT_BGRA,
                            SWS_BILINEAR, nullptr, nullptr, nullptr);
  m_scalerWidth = width;
  m_scalerHeight = height;
  m_scalerFormat = format;
  return m_scaler != nullptr;
}

void CFrameConverter::PrepareBuffer(int width, int height) {
  size_t bytes = static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 4;
  if (m_pixels.size() == bytes && width == m_paddedWidth && height == m_paddedHeight) return;
  // Opaque black where the picture does not reach; the converted region is overwritten
  // by every picture, so this runs only when the sizes change.
  m_pixels.assign(bytes, 0);
  for (size_t i = 3; i < bytes; i += 4) m_pixels[i] = 0xFF;
  m_paddedWidth = width;
  m_paddedHeight = height;
}

bool CFrameConverter::Convert(const AVFrame* picture, uint32_t timestamp, VideoFrame& frame) {
  if (!picture || m_width <= 0 || m_height <= 0 || picture->width <= 0 || picture->height <= 0) return false;
  // The picture is copied 1:1; a decoded picture smaller than the announced size leaves
  // black borders, a larger one is cut, so the window always gets the size it expects.
  int width = std::min<int>(picture->width, m_width);
  int height = std::min<int>(picture->height, m_height);
  if (!PrepareScaler(width, height, picture->format)) return false;
  PrepareBuffer(width, height);
  // Bottom-up rows: the picture's top row goes to the last row of the buffer and the
  // destination stride runs backwards, which flips without a copy and without reading
  // outside the source planes whatever the picture's height.
  const int stride = m_width * 4;
  uint8_t* dst[4] = {m_pixels.data() + static_cast<size_t>(m_height - 1) * stride, nullptr, nullptr, nullptr};
  int dstStride[4] = {-stride, 0, 0, 0};
  sws_scale(m_scaler, picture->data, picture->linesize, 0, height, dst, dstStride);
  frame.pixels = m_pixels.data();
  frame.size = static_cast<int32_t>(m_pixels.size());
  frame.timestamp = timestamp;
  frame.width = m_width;
  frame.height = m_height;
  return true;
}

void CFrameConverter::OnPicture(const AVFrame* picture, uint32_t timestamp) {
  VideoFrame frame;
  if (Convert(picture, timestamp, frame)) m_sink.OnFrame(frame);
}

}  // namespace zv
