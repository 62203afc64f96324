#include "sim/phone/phone_screen.h"

#include <algorithm>

#include "sim/phone/bitmap_font.h"
#include "sim/phone/quality_profile.h"

namespace zv::sim::phone {
namespace {

struct Rgb {
  int r, g, b;
};

constexpr Rgb kIconPalette[] = {
    {33, 150, 243}, {76, 175, 80}, {0, 150, 136}, {255, 193, 7}, {103, 58, 183}, {0, 188, 212},
    {139, 195, 74}, {63, 81, 181}, {255, 152, 0}, {121, 85, 72}, {96, 125, 139}, {158, 158, 158},
};
constexpr int kPaletteSize = static_cast<int>(sizeof(kIconPalette) / sizeof(kIconPalette[0]));
constexpr int kGridColumns = 4;
constexpr int kGridRows = 4;

YuvColor Color(Rgb c) {
  return YuvColor::FromRgb(c.r, c.g, c.b);
}

void DrawWallpaper(CYuvCanvas& canvas) {
  const int h = canvas.Height();
  const Rgb top{18, 32, 72}, bottom{16, 96, 112};
  for (int y = 0; y < h; y += 2) {
    const Rgb c{top.r + (bottom.r - top.r) * y / h, top.g + (bottom.g - top.g) * y / h,
                top.b + (bottom.b - top.b) * y / h};
    canvas.FillRect(0, y, canvas.Width(), 2, Color(c));
  }
}

// Landscape pictures lay the launcher out as if they were portrait, centred.
int BaseWidth(const CYuvCanvas& canvas) {
  return std::min(canvas.Width(), canvas.Height() * 9 / 16);
}
int GridLeft(const CYuvCanvas& canvas) {
  return (canvas.Width() - BaseWidth(canvas)) / 2;
}

int TextScale(const CYuvCanvas& canvas) {
  return std::max(1, BaseWidth(canvas) / 180);
}

void DrawStatusBar(const PhoneScreenState& state, CYuvCanvas& canvas, int barHeight) {
  canvas.FillRect(0, 0, canvas.Width(), barHeight, Color({20, 20, 20}));
  const int textScale = std::max(1, std::min((barHeight - 4) / kGlyphHeight, TextScale(canvas)));
  const int y = (barHeight - kGlyphHeight * textScale) / 2;
  const YuvColor white = Color({235, 235, 235});
  canvas.DrawText(4 * textScale, y, state.clock, textScale, white);
  const std::string level = ProfileFor(state.quality).name;
  const int w = CYuvCanvas::TextWidth(level, textScale);
  canvas.DrawText(canvas.Width() - w - 4 * textScale, y, level, textScale, white);
}

void DrawIcon(CYuvCanvas& canvas, int x, int y, int size, Rgb color) {
  const YuvColor c = Color(color);
  const int corner = size / 6;
  canvas.FillRect(x + corner, y, size - 2 * corner, size, c);
  canvas.FillRect(x, y + corner, size, size - 2 * corner, c);
  canvas.FillDisc(x + corner, y + corner, 2 * corner, c);
  canvas.FillDisc(x + size - corner, y + corner, 2 * corner, c);
  canvas.FillDisc(x + corner, y + size - corner, 2 * corner, c);
  canvas.FillDisc(x + size - corner, y + size - corner, 2 * corner, c);
}

// Returns the y below the grid.
int DrawGrid(CYuvCanvas& canvas, int top) {
  const int cell = BaseWidth(canvas) / kGridColumns;
  const int left = GridLeft(canvas);
  const int icon = cell * 2 / 3;
  const int scale = std::max(1, TextScale(canvas) / 2);
  const int cellHeight = icon + (kGlyphHeight + 6) * scale + cell / 6;
  const YuvColor label = Color({230, 230, 230});
  for (int row = 0; row < kGridRows; ++row) {
    for (int col = 0; col < kGridColumns; ++col) {
      const int index = row * kGridColumns + col;
      const int x = left + col * cell + (cell - icon) / 2;
      const int y = top + row * cellHeight;
      DrawIcon(canvas, x, y, icon, kIconPalette[index % kPaletteSize]);
      const std::string name = "APP" + std::to_string(index + 1);
      const int w = CYuvCanvas::TextWidth(name, scale);
      canvas.DrawText(left + col * cell + (cell - w) / 2, y + icon + 3 * scale, name, scale, label);
    }
  }
  return top + kGridRows * cellHeight;
}

void DrawInfoPanel(const PhoneScreenState& state, CYuvCanvas& canvas, int top) {
  const int scale = TextScale(canvas);
  const int line = (kGlyphHeight + 4) * scale;
  const YuvColor text = Color({255, 255, 255});
  canvas.FillRect(0, top, canvas.Width(), 4 * line + 4 * scale, Color({10, 10, 10}));
  int y = top + 2 * scale;
  for (const std::string& s : {PointerLine(state), KeyLine(state), QualityLine(state),
                               "FRAME " + std::to_string(state.frameNumber)}) {
    canvas.DrawText(4 * scale, y, s, scale, text);
    y += line;
  }
}

void DrawDock(CYuvCanvas& canvas) {
  const int height = canvas.Height() / 8;
  const int top = canvas.Height() - height;
  canvas.FillRect(0, top, canvas.Width(), height, Color({40, 44, 52}));
  const int cell = BaseWidth(canvas) / kGridColumns;
  const int icon = std::min(cell * 2 / 3, height * 3 / 4);
  for (int col = 0; col < kGridColumns; ++col) {
    DrawIcon(canvas, GridLeft(canvas) + col * cell + (cell - icon) / 2, top + (height - icon) / 2, icon,
             kIconPalette[(col * 5 + 2) % kPaletteSize]);
  }
}

const char* ActionName(int action) {
  switch (action) {
    case 1:
      return "DOWN";
    case 2:
      return "UP";
    case 3:
      return "MOVE";
    default:
      return "?";
  }
}

}  // namespace

YuvColor PointerColor() {
  return YuvColor::FromRgb(kPointerRgb[0], kPointerRgb[1], kPointerRgb[2]);
}

std::string PointerLine(const PhoneScreenState& s) {
  if (!s.hasPointer) return "PTR NONE";
  return std::string("PTR ") + ActionName(s.pointerAction) + " " + std::to_string(s.pointerX) + "," +
         std::to_string(s.pointerY);
}

std::string KeyLine(const PhoneScreenState& s) {
  if (!s.hasKey) return "KEY NONE";
  std::string line = "KEY " + std::to_string(s.keyCode);
  if (s.keyCode == kKeyCodeBack) line += " BACK";
  return line + (s.keyDown ? " DOWN" : " UP");
}

std::string QualityLine(const PhoneScreenState& s) {
  const QualityProfile& p = ProfileFor(s.quality);
  std::string line = "Q";
  line += std::to_string(p.value);
  line += ' ';
  line += p.name;
  line += ' ';
  line += std::to_string(p.bitrate / 1000);
  line += "K ";
  line += std::to_string(p.fps);
  line += "FPS";
  return line;
}

void RenderPhoneScreen(const PhoneScreenState& state, CYuvCanvas& canvas) {
  DrawWallpaper(canvas);
  const int bar = std::max(14, canvas.Height() / 24);
  DrawStatusBar(state, canvas, bar);
  const int below = DrawGrid(canvas, bar + canvas.Height() / 40);
  DrawInfoPanel(state, canvas, below + canvas.Height() / 80);
  DrawDock(canvas);
  if (state.hasPointer) canvas.FillDisc(state.pointerX, state.pointerY, kPointerDiameter, PointerColor());
}

}  // namespace zv::sim::phone
