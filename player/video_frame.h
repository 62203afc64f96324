// The converted picture handed to the main window with UWM_VIDEO_FRAME.
#pragma once

#include <cstdint>

namespace zv {

// Pixels are B, G, R, A per pixel, rows from the picture's bottom row to its top row,
// no padding between rows. The record and its pixels stay owned by the sender: the window
// copies the pixels during the synchronous send and keeps no pointer into either.
struct VideoFrame {
  uint8_t* pixels = nullptr;
  int32_t size = 0;  // width * height * 4
  uint32_t timestamp = 0;  // RTMP timestamp (ms) of the video message the picture came from
  int32_t width = 0;
  int32_t height = 0;
};

}  // namespace zv
