// Draws the skin's images from the palette into skin/resource/ and, on request, a gallery
// of all of them. Every image the required list names must be drawn, else it fails.
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QSet>
#include <QTextStream>
#include <cstdio>

#include "tools/skin_painters.h"
#include "tools/skin_palette.h"

using zv::skin::CImageRecipe;
using zv::skin::CPalette;

namespace {

QStringList ReadRequired(const QString& path, QString& error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
    error = path + ": cannot open";
    return {};
  }
  QStringList out;
  QTextStream in(&f);
  while (!in.atEnd()) {
    QString line = in.readLine().trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    out << line.replace('\\', '/');
  }
  return out;
}

bool WriteGallery(const std::vector<CImageRecipe>& recipes, const CPalette& pal, const QString& path) {
  const int cellW = 180, cols = 8, pad = 10, label = 28;
  std::vector<int> rowHeights;
  for (size_t i = 0; i < recipes.size(); i += cols) {
    int h = 0;
    for (size_t k = i; k < std::min(recipes.size(), i + cols); ++k) h = std::max(h, std::min(recipes[k].height, 240));
    rowHeights.push_back(h + label + pad);
  }
  int height = pad;
  for (int h : rowHeights) height += h;
  QImage gallery(cols * cellW + pad, height + pad, QImage::Format_ARGB32);
  gallery.fill(pal["window"]);
  QPainter p(&gallery);
  p.setRenderHint(QPainter::SmoothPixmapTransform, true);
  QFont f(pal.Font());
  f.setPixelSize(10);
  p.setFont(f);
  int y = pad;
  for (size_t i = 0; i < recipes.size(); ++i) {
    int col = static_cast<int>(i % cols);
    if (col == 0 && i > 0) y += rowHeights[i / cols - 1];
    const CImageRecipe& s = recipes[i];
    QImage img = zv::skin::Render(s, pal);
    QSize shown = img.size().scaled(cellW - 2 * pad, 240, Qt::KeepAspectRatio);
    if (img.width() <= cellW - 2 * pad && img.height() <= 240) shown = img.size();
    QRect cell(pad + col * cellW, y, cellW - pad, rowHeights[i / cols] - pad);
    // Light images need a dark ground to be seen, as they sit on the caption colour.
    p.fillRect(QRect(cell.left(), cell.top(), cell.width(), cell.height() - label), s.path.contains("notice_") ||
               s.path.startsWith("common/icon_") || s.path.startsWith("VideoSpeedShow") || s.path.startsWith("morebutton") ||
               s.path.startsWith("common/min") || s.path.startsWith("common/close_n") || s.path.contains("phone_outline")
                   ? pal["caption"] : pal["card"]);
    p.drawImage(QRect(cell.left() + (cell.width() - shown.width()) / 2, cell.top() + 4, shown.width(), shown.height()), img);
    p.setPen(pal["textSecondary"]);
    p.drawText(QRect(cell.left(), cell.bottom() - label + 2, cell.width(), label), Qt::AlignHCenter | Qt::TextWordWrap,
               s.path);
  }
  p.end();
  QDir().mkpath(QFileInfo(path).absolutePath());
  return gallery.save(path, "PNG");
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QGuiApplication app(argc, argv);
  QCommandLineParser cli;
  cli.setApplicationDescription("Draws the skin images from the palette.");
  cli.addHelpOption();
  cli.addOption({"palette", "Palette JSON file.", "file"});
  cli.addOption({"required", "List of image paths that must be drawn.", "file"});
  cli.addOption({"out", "Output folder (skin/resource).", "dir"});
  cli.addOption({"gallery", "Also write a gallery PNG of every image.", "file"});
  cli.process(app);
  if (!cli.isSet("palette") || !cli.isSet("out") || !cli.isSet("required")) {
    std::fprintf(stderr, "skin_gen: --palette, --required and --out are needed\n");
    return 2;
  }
  CPalette palette;
  QString error;
  if (!palette.Load(cli.value("palette"), error)) {
    std::fprintf(stderr, "skin_gen: %s\n", qPrintable(error));
    return 1;
  }
  QStringList required = ReadRequired(cli.value("required"), error);
  if (!error.isEmpty()) {
    std::fprintf(stderr, "skin_gen: %s\n", qPrintable(error));
    return 1;
  }
  std::vector<CImageRecipe> recipes = zv::skin::AllImages();
  QSet<QString> drawn;
  for (const CImageRecipe& s : recipes) drawn.insert(s.path);
  int missing = 0;
  for (const QString& r : required) {
    if (!drawn.contains(r)) {
      std::fprintf(stderr, "skin_gen: no drawing for required image %s\n", qPrintable(r));
      ++missing;
    }
  }
  if (missing) return 1;
  QDir out(cli.value("out"));
  for (const CImageRecipe& s : recipes) {
    QString file = out.filePath(s.path);
    QDir().mkpath(QFileInfo(file).absolutePath());
    if (!zv::skin::Render(s, palette).save(file, "PNG")) {
      std::fprintf(stderr, "skin_gen: cannot write %s\n", qPrintable(file));
      return 1;
    }
  }
  if (cli.isSet("gallery") && !WriteGallery(recipes, palette, cli.value("gallery"))) {
    std::fprintf(stderr, "skin_gen: cannot write the gallery\n");
    return 1;
  }
  std::printf("skin_gen: %zu images written to %s\n", recipes.size(), qPrintable(out.absolutePath()));
  return 0;
}
