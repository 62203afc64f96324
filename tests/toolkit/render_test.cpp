// A sample skin painted offscreen, checked at pixels whose colour the skin fixes.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/ui_button_gif.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_render.h"
#include "toolkit/ui_rich_edit.h"

using namespace DuiLib;
using zvtest::CTestWindow;

namespace {
QColor At(const QImage& img, const RECT& rc, int dx, int dy) { return img.pixelColor(rc.left + dx, rc.top + dy); }
}  // namespace

TEST(Render, SampleSkinPaintsItsColoursAndImages) {
  CTestWindow w;
  w.Open();
  QImage img = w.GetHWND()->grab().toImage();
  ASSERT_EQ(img.width(), 400);
  EXPECT_EQ(img.pixelColor(200, 5), QColor(0x1E, 0x22, 0x30));   // caption bar
  EXPECT_EQ(img.pixelColor(395, 295), QColor(0xF3, 0xF5, 0xF9));  // window background
  RECT pixel = w.Find(L"Label_Pixel")->GetPos();
  EXPECT_EQ(pixel, (RECT{10, 170, 50, 190}));
  EXPECT_EQ(At(img, pixel, 20, 10), QColor(0xE5, 0x48, 0x4D));
  RECT bar = w.Find(L"Progress_Test")->GetPos();
  EXPECT_EQ(At(img, bar, bar.Width() / 4, 6), QColor(0x2F, 0x7B, 0xFF));      // filled half
  EXPECT_EQ(At(img, bar, bar.Width() * 3 / 4, 6), QColor(0xE3, 0xE8, 0xF0));  // the rest
  RECT dot = w.Find(L"Label_Image")->GetPos();
  EXPECT_EQ(At(img, dot, 10, 10), QColor(0x22, 0xB5, 0x73));  // "\img\dot.png" stretched
  RECT hello = w.Find(L"Button_Hello")->GetPos();
  EXPECT_EQ(At(img, hello, 2, 2), QColor(0x2F, 0x7B, 0xFF));
}

TEST(Render, ImagesAreLoadedOnceAndDrawImageStringReportsMissingFiles) {
  CTestWindow w;
  w.Open();
  QImage target(40, 40, QImage::Format_ARGB32_Premultiplied);
  target.fill(Qt::transparent);
  QPainter p(&target);
  size_t before = CImageCache::Instance().LoadCount();
  for (int i = 0; i < 5; ++i)
    EXPECT_TRUE(CRenderEngine::DrawImageString(p, &w.Manager(), RECT{0, 0, 40, 40}, RECT{0, 0, 40, 40},
                                               L"file='img\\dot2.png' dest='0,0,20,20'"));
  EXPECT_LE(CImageCache::Instance().LoadCount(), before + 1);
  EXPECT_FALSE(CRenderEngine::DrawImageString(p, &w.Manager(), RECT{0, 0, 40, 40}, RECT{0, 0, 40, 40}, L"nope.png"));
  p.end();
  EXPECT_EQ(target.pixelColor(5, 5), QColor(0xF5, 0xA6, 0x23));
  EXPECT_EQ(target.pixelColor(30, 30).alpha(), 0);
}

TEST(Controls, ButtonGifPlaysItsFramesWhileShown) {
  CTestWindow w;
  w.Open();
  static_cast<CTabLayoutUI*>(w.Find(L"switch_Main"))->SelectItem(2);
  auto* gif = static_cast<CButtonGifUI*>(w.Find(L"ButtonGif_Wait")->GetInterface(L"ButtonGif"));
  ASSERT_NE(gif, nullptr);
  EXPECT_EQ(gif->GetFrameCount(), 2);
  int start = gif->GetCurrentFrame();
  EXPECT_TRUE(zvtest::PumpUntil([&] { return gif->GetCurrentFrame() != start; }));
}

TEST(Controls, RichEditRunsCaretAndCharacterUnderAPoint) {
  CTestWindow w;
  w.Open();
  static_cast<CTabLayoutUI*>(w.Find(L"switch_Main"))->SelectItem(2);
  w.Manager().UpdateLayout();
  auto* rich = static_cast<CRichEditUI*>(w.Find(L"RichEdit_Content")->GetInterface(L"RichEdit"));
  ASSERT_NE(rich, nullptr);
  rich->SetText(L"");
  rich->SetEventMask(ENM_LINK);
  CCharFormat plain;
  plain.face = L"微软雅黑";
  plain.color = 0x004B4B4B;
  CCharFormat link = plain;
  link.color = 0x00FF0000;
  link.link = true;
  link.underline = true;
  rich->SetSel(-1, -1);
  rich->ReplaceSel(L"请访问 ");
  rich->SetSelectionCharFormat(plain);
  rich->SetSel(-1, -1);
  rich->ReplaceSel(L"http://127.0.0.1/x");
  rich->SetSelectionCharFormat(link);
  rich->SetSel(-1, -1);
  EXPECT_EQ(rich->GetText(), L"请访问 http://127.0.0.1/x");
  EXPECT_EQ(rich->GetTextLength(), 22);
  EXPECT_EQ(rich->GetCaretPos(), 22);
  CCharFormat at0 = rich->GetCharFormatAt(0);
  EXPECT_FALSE(at0.link);
  EXPECT_EQ(at0.color, 0x004B4B4Bu);
  EXPECT_EQ(at0.heightTwips, 200);
  CCharFormat at6 = rich->GetCharFormatAt(6);
  EXPECT_TRUE(at6.link);
  EXPECT_EQ(at6.color, 0x00FF0000u);
  // The first character sits at the top-left corner of the text area.
  const RECT& r = rich->GetPos();
  EXPECT_EQ(rich->CharFromPos(POINT{r.left + 6, r.top + 8}), 0);
  int far = rich->CharFromPos(POINT{r.right - 10, r.top + 8});
  EXPECT_GE(far, 10);
}
