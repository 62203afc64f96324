// A YUV 4:2:0 picture (BT.601, limited range) with the few drawing operations the
// simulated phone's screen needs. Everything drawn is clipped to the picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zv::sim::phone {

struct YuvColor {
  uint8_t y, u, v;
  static YuvColor FromRgb(int r, int g, int b);
};

class CYuvCanvas {
 public:
  // Odd sizes are rounded up to even ones, as 4:2:0 needs.
  CYuvCanvas(int width, int height);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  uint8_t* Plane(int i) { return m_planes[i].data(); }
  const uint8_t* Plane(int i) const { return m_planes[i].data(); }
  int Stride(int i) const { return i == 0 ? m_width : m_width / 2; }

  void Fill(YuvColor c);
  void FillRect(int x, int y, int w, int h, YuvColor c);
  // A disc around the point (cx, cy) (a pixel corner): luma per pixel whose centre lies inside, chroma per 2
  // x 2 block whose centre does, so that the disc stays one solid colour on both planes.
  void FillDisc(int cx, int cy, int diameter, YuvColor c);
  // 5 x 7 glyphs scaled by scale; returns the width drawn.
  int DrawText(int x, int y, const std::string& text, int scale, YuvColor c);
  static int TextWidth(const std::string& text, int scale);

  YuvColor At(int x, int y) const;

 private:
  int m_width;
  int m_height;
  std::vector<uint8_t> m_planes[3];
};

}  // namespace zv::sim::phone
