// The skin image generator: it draws every required image at its control's size from the
// palette, refuses to leave one out, and the committed skin holds them all.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QString Source(const QString& rel) { return QString::fromLocal8Bit(qgetenv("ZELVANE_SOURCE_DIR")) + "/" + rel; }

QStringList Required() {
  QFile f(Source("tools/skin_required.txt"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly | QIODevice::Text));
  QStringList out;
  QTextStream in(&f);
  while (!in.atEnd()) {
    QString line = in.readLine().trimmed();
    if (!line.isEmpty() && !line.startsWith('#')) out << line;
  }
  return out;
}

int RunGenerator(const QString& palette, const QString& required, const QString& out, QString* errors = nullptr) {
  QProcess p;
  p.start(QStringLiteral(ZV_SKIN_GEN), {"--palette", palette, "--required", required, "--out", out});
  if (!p.waitForFinished(120000)) return -1;
  if (errors) *errors = QString::fromLocal8Bit(p.readAllStandardError());
  return p.exitCode();
}

}  // namespace

TEST(SkinGenerator, DrawsEveryRequiredImageAtItsSize) {
  QTemporaryDir dir;
  ASSERT_EQ(RunGenerator(Source("tools/skin_palette.json"), Source("tools/skin_required.txt"), dir.path()), 0);
  for (const QString& r : Required()) EXPECT_TRUE(QFile::exists(dir.filePath(r))) << r.toStdString();
  struct Case {
    const char* path;
    int w, h;
  } cases[] = {{"ServicePage/right/ServiceInfo/service_choosed.png", 156, 236},
               {"ServicePage/right/ServiceInfo/emptyservice_nochoose.png", 156, 236},
               {"online.png", 64, 20},
               {"Arrow-Right.png", 32, 32},
               {"Login_Gif/12.png", 48, 48},
               {"ShowNotice/notice_flickered_2.png", 220, 44},
               {"ServicePage/right/ChargePage/Goods_label_pushed.png", 160, 64},
               {"ServicePage/right/ApplyService/devicestatus_red.png", 24, 24}};
  for (const Case& c : cases) {
    QImage img(dir.filePath(c.path));
    ASSERT_FALSE(img.isNull()) << c.path;
    EXPECT_EQ(img.size(), QSize(c.w, c.h)) << c.path;
  }
  // Colours come from the palette: the online dot is the success green, the VIP tile's
  // selected border the gold, the network dots their level's colour.
  EXPECT_EQ(QImage(dir.filePath("online.png")).pixelColor(11, 10).rgb(), QColor("#22B573").rgb());
  EXPECT_EQ(QImage(dir.filePath("VideoSpeedShow/red.png")).pixelColor(12, 12).rgb(), QColor("#E5484D").rgb());
  EXPECT_EQ(QImage(dir.filePath("ServicePage/right/ServiceInfo/vipdevice_choosed.png")).pixelColor(78, 3).rgb(),
            QColor("#F5A623").rgb());
  // Consecutive spinner frames differ.
  EXPECT_NE(QImage(dir.filePath("Login_Gif/01.png")), QImage(dir.filePath("Login_Gif/02.png")));
}

TEST(SkinGenerator, ARequiredImageWithoutADrawingFailsTheRun) {
  QTemporaryDir dir;
  QFile list(dir.filePath("required.txt"));
  ASSERT_TRUE(list.open(QIODevice::WriteOnly));
  list.write("online.png\nnot/drawn/anywhere.png\n");
  list.close();
  QString errors;
  EXPECT_EQ(RunGenerator(Source("tools/skin_palette.json"), list.fileName(), dir.filePath("out"), &errors), 1);
  EXPECT_TRUE(errors.contains("not/drawn/anywhere.png")) << errors.toStdString();
  EXPECT_FALSE(QFile::exists(dir.filePath("out/online.png")));
}

TEST(SkinGenerator, APaletteWithoutARoleIsRejected) {
  QTemporaryDir dir;
  QFile pal(dir.filePath("palette.json"));
  ASSERT_TRUE(pal.open(QIODevice::WriteOnly));
  pal.write("{\"caption\": \"#1E2230\"}");
  pal.close();
  QString errors;
  EXPECT_EQ(RunGenerator(pal.fileName(), Source("tools/skin_required.txt"), dir.filePath("out"), &errors), 1);
  EXPECT_TRUE(errors.contains("captionText")) << errors.toStdString();
}

TEST(SkinGenerator, CommittedSkinHoldsEveryRequiredImage) {
  for (const QString& r : Required()) EXPECT_TRUE(QFile::exists(Source("skin/resource/" + r))) << r.toStdString();
  EXPECT_TRUE(QFile::exists(Source("docs/skin-gallery.png")));
}
