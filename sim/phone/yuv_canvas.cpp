#include "sim/phone/yuv_canvas.h"

#include <algorithm>
#include <cstring>

#include "sim/phone/bitmap_font.h"

namespace zv::sim::phone {
namespace {

uint8_t Clamp8(int v) {
  return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

YuvColor YuvColor::FromRgb(int r, int g, int b) {
  const int y = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
  const int u = ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
  const int v = ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
  return {Clamp8(y), Clamp8(u), Clamp8(v)};
}

CYuvCanvas::CYuvCanvas(int width, int height)
    : m_width((std::max(width, 2) + 1) & ~1), m_height((std::max(height, 2) + 1) & ~1) {
  m_planes[0].assign(static_cast<size_t>(m_width) * m_height, 16);
  m_planes[1].assign(static_cast<size_t>(m_width / 2) * (m_height / 2), 128);
  m_planes[2].assign(static_cast<size_t>(m_width / 2) * (m_height / 2), 128);
}

void CYuvCanvas::Fill(YuvColor c) {
  std::fill(m_planes[0].begin(), m_planes[0].end(), c.y);
  std::fill(m_planes[1].begin(), m_planes[1].end(), c.u);
  std::fill(m_planes[2].begin(), m_planes[2].end(), c.v);
}

void CYuvCanvas::FillRect(int x, int y, int w, int h, YuvColor c) {
  const int x0 = std::max(x, 0), y0 = std::max(y, 0);
  const int x1 = std::min(x + w, m_width), y1 = std::min(y + h, m_height);
  if (x0 >= x1 || y0 >= y1) return;
  for (int row = y0; row < y1; ++row) {
    std::memset(Plane(0) + static_cast<size_t>(row) * Stride(0) + x0, c.y, static_cast<size_t>(x1 - x0));
  }
  const int cx0 = x0 / 2, cy0 = y0 / 2, cx1 = (x1 + 1) / 2, cy1 = (y1 + 1) / 2;
  for (int row = cy0; row < cy1; ++row) {
    std::memset(Plane(1) + static_cast<size_t>(row) * Stride(1) + cx0, c.u, static_cast<size_t>(cx1 - cx0));
    std::memset(Plane(2) + static_cast<size_t>(row) * Stride(2) + cx0, c.v, static_cast<size_t>(cx1 - cx0));
  }
}

void CYuvCanvas::FillDisc(int cx, int cy, int diameter, YuvColor c) {
  // Distances in half pixels keep the centre test exact for even diameters: the disc of
  // diameter d around (cx, cy) covers the pixels whose centre is within d/2 of (cx, cy).
  const int r2 = diameter * diameter;
  const int reach = diameter / 2 + 1;
  for (int y = std::max(cy - reach, 0); y <= std::min(cy + reach, m_height - 1); ++y) {
    for (int x = std::max(cx - reach, 0); x <= std::min(cx + reach, m_width - 1); ++x) {
      const int dx = 2 * x + 1 - 2 * cx, dy = 2 * y + 1 - 2 * cy;
      if (dx * dx + dy * dy <= r2) Plane(0)[static_cast<size_t>(y) * Stride(0) + x] = c.y;
    }
  }
  for (int y = std::max((cy - reach) / 2, 0); y <= std::min((cy + reach) / 2, m_height / 2 - 1); ++y) {
    for (int x = std::max((cx - reach) / 2, 0); x <= std::min((cx + reach) / 2, m_width / 2 - 1); ++x) {
      const int dx = 4 * x + 2 - 2 * cx, dy = 4 * y + 2 - 2 * cy;
      if (dx * dx + dy * dy <= r2) {
        Plane(1)[static_cast<size_t>(y) * Stride(1) + x] = c.u;
        Plane(2)[static_cast<size_t>(y) * Stride(2) + x] = c.v;
      }
    }
  }
}

int CYuvCanvas::TextWidth(const std::string& text, int scale) {
  return static_cast<int>(text.size()) * kGlyphAdvance * scale;
}

int CYuvCanvas::DrawText(int x, int y, const std::string& text, int scale, YuvColor c) {
  int pen = x;
  for (char ch : text) {
    for (int row = 0; row < kGlyphHeight; ++row) {
      const uint8_t bits = GlyphRow(ch, row);
      for (int col = 0; col < kGlyphWidth; ++col) {
        if (bits & (0x10 >> col)) FillRect(pen + col * scale, y + row * scale, scale, scale, c);
      }
    }
    pen += kGlyphAdvance * scale;
  }
  return pen - x;
}

YuvColor CYuvCanvas::At(int x, int y) const {
  x = std::clamp(x, 0, m_width - 1);
  y = std::clamp(y, 0, m_height - 1);
  return {Plane(0)[static_cast<size_t>(y) * Stride(0) + x],
          Plane(1)[static_cast<size_t>(y / 2) * Stride(1) + x / 2],
          Plane(2)[static_cast<size_t>(y / 2) * Stride(2) + x / 2]};
}

}  // namespace zv::sim::phone
