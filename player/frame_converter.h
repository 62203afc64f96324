// Converts decoded pictures to bottom-up BGRA of the size the window was told (the SPS
// size) and hands them to a frame sink.
#pragma once

#include <cstdint>
#include <vector>

#include "player/pipeline.h"
#include "player/video_frame.h"

extern "C" {
struct SwsContext;
}

namespace zv {

class CFrameConverter : public IPictureSink {
 public:
  explicit CFrameConverter(IFrameSink& sink) : m_sink(sink) {}
  ~CFrameConverter() override;
  CFrameConverter(const CFrameConverter&) = delete;
  CFrameConverter& operator=(const CFrameConverter&) = delete;

  // The size of the pictures handed on; 0 x 0 hands on nothing.
  void SetOutputSize(int32_t width, int32_t height);
  void OnPicture(const AVFrame* frame, uint32_t timestamp) override;

  // Converts into frame's pixels (owned by this converter); false when nothing fits.
  bool Convert(const AVFrame* picture, uint32_t timestamp, VideoFrame& frame);

 private:
  bool PrepareScaler(int width, int height, int format);
  void PrepareBuffer(int width, int height);

  IFrameSink& m_sink;
  int32_t m_width = 0;
  int32_t m_height = 0;
  SwsContext* m_scaler = nullptr;
  int m_scalerWidth = 0;
  int m_scalerHeight = 0;
  int m_scalerFormat = -1;
  std::vector<uint8_t> m_pixels;
  int m_paddedWidth = -1;  // the region the pictures fill; the rest of the buffer is black
  int m_paddedHeight = -1;
};

}  // namespace zv
