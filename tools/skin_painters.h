// The drawings of the skin's images: one entry per file, with the size of the control
// that shows it.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

#include "tools/skin_palette.h"

namespace zv::skin {

struct CImageSpec {
  QString path;  // below skin/resource, forward slashes
  int width;
  int height;
  std::function<void(QPainter&, const CPalette&, const QRectF&)> draw;
};

std::vector<CImageSpec> AllImages();
QImage Render(const CImageSpec& spec, const CPalette& palette);

}  // namespace zv::skin
