// What the simulated phone shows: a launcher (status bar with clock, a grid of coloured
// app icons, a dock), the quality level, the last key and the last pointer position, the
// latter as a solid disc of a colour used nowhere else so that a test or benchmark can
// find it in a decoded picture.
#pragma once

#include <cstdint>
#include <string>

#include "sim/phone/yuv_canvas.h"

namespace zv::sim::phone {

// Pure red: the launcher's palette has no colour near it.
inline constexpr int kPointerRgb[3] = {255, 0, 0};
// The disc around the pointer position covers the pixels x-6..x+5, y-6..y+5.
constexpr int kPointerDiameter = 12;
constexpr int kKeyCodeBack = 158;

struct PhoneScreenState {
  int quality = 1;
  bool hasPointer = false;
  int pointerAction = 0;  // 1 down, 2 up, 3 move
  int pointerX = 0;
  int pointerY = 0;
  bool hasKey = false;
  int keyCode = 0;
  bool keyDown = false;
  std::string clock;  // "HH:MM:SS"
  uint32_t frameNumber = 0;
};

YuvColor PointerColor();
void RenderPhoneScreen(const PhoneScreenState& state, CYuvCanvas& canvas);

// The lines of the info panel, as drawn (exposed for tests).
std::string PointerLine(const PhoneScreenState& state);
std::string KeyLine(const PhoneScreenState& state);
std::string QualityLine(const PhoneScreenState& state);

}  // namespace zv::sim::phone
