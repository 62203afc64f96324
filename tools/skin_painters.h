// The drawings of the skin's images: one entry per file, with the size of the control
// that shows it.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

#include "tools/skin_palette.h"

namespace zv::skin {

struct CImageRecipe {
  QString path;  // below skin/resource, forward slashes
  int width;
  int height;
  std::function<void(QPainter&, const CPalette&, const QRectF&)> draw;
};

std::vector<CImageRecipe> AllImages();
QImage Render(const CImageRecipe& recipe, const CPalette& palette);

}  // namespace zv::skin
