// The layered frame inside a real main window: its attributes, the placement at the first
// paint, the region with its hollow rectangles, the caption hit test and the drag that
// moves the main window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "tests/ui_popups/popup_fixture.h"
#include "toolkit/ui_window_host.h"
#include "toolkit/window_impl_base.h"
#include "ui/layered_wnd.h"

namespace {

using DuiLib::CLayeredWnd;
using DuiLib::RECT;
using zvtest::PumpUntil;

class CFrameWindow : public DuiLib::WindowImplBase {
 public:
  explicit CFrameWindow(std::wstring hollow) : m_hollow(std::move(hollow)) {}
  DuiLib::CControlUI* CreateControl(const wchar_t* cls) override {
    if (std::wstring(cls) != L"Layered") return nullptr;
    layered = new CLayeredWnd;
    return layered;
  }
  CLayeredWnd* layered = nullptr;

 protected:
  std::wstring GetSkinFolder() override { return L""; }
  std::wstring GetSkinFile() override {
    return L"<Window size=\"960,700\"><VerticalLayout bkcolor=\"#FFF3F5F9\">"
           L"<Layered name=\"frame\" float=\"true\" pos=\"10,20,810,620\" caption=\"0,0,0,40\" HollowRect=\"" +
           m_hollow + L"\" bkimage=\"common/window_shadow.png\"/></VerticalLayout></Window>";
  }
  const wchar_t* GetWindowClassName() const override { return L"FrameWindow"; }
  void OnFinalMessage(DuiLib::HWND) override {}  // the test owns the object

 private:
  std::wstring m_hollow;
};

class LayeredWndTest : public ::testing::Test {
 protected:
  void Open(const std::wstring& hollow) {
    m_frame = std::make_unique<CFrameWindow>(hollow);
    ASSERT_NE(m_frame->Create(nullptr, L"ZelvanePlayer", 0x96CA0000u, 0, 0, 0, 0, 0), nullptr);
    ASSERT_NE(m_frame->layered, nullptr);
    m_frame->GetHWND()->move(200, 150);
    m_frame->ShowWindow(true, true);
    ASSERT_TRUE(PumpUntil([&] { return !m_frame->layered->IsPlacementPending(); }));
  }
  void TearDown() override {
    if (m_frame) m_frame->DestroyWindow();
    zvtest::PumpFor(20);
  }
  RECT MainRect() {
    RECT rc;
    DuiLib::GetWindowRect(m_frame->GetHWND(), rc);
    return rc;
  }
  RECT PopupRect() {
    RECT rc;
    DuiLib::GetWindowRect(m_frame->layered->GetPopup(), rc);
    return rc;
  }
  void Mouse(QEvent::Type type, QPoint local, Qt::MouseButtons buttons) {
    DuiLib::HWND popup = m_frame->layered->GetPopup();
    QMouseEvent e(type, QPointF(local), QPointF(popup->mapToGlobal(local)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(popup, &e);
  }

  std::unique_ptr<CFrameWindow> m_frame;
};

TEST(LayeredWndParse, HollowRectWords) {
  struct Case {
    const wchar_t* value;
    std::vector<RECT> rects;
  } cases[] = {
      {L"", {}},
      {L"(0,0,10,10)", {RECT{0, 0, 10, 10}}},
      {L"(16,16,976,716) [1,2,3,4]", {RECT{16, 16, 976, 716}, RECT{1, 2, 3, 4}}},
      {L"  x5,6,7,8\t(1,2,3)", {RECT{5, 6, 7, 8}}},
      {L"(-4,0,10,10)", {RECT{-4, 0, 10, 10}}},
  };
  for (const Case& c : cases) {
    std::vector<RECT> got = CLayeredWnd::ParseHollowRects(c.value);
    EXPECT_EQ(got, c.rects) << QString::fromWCharArray(c.value).toStdString();
  }
}

TEST_F(LayeredWndTest, PosGivesOffsetAndSizeAndTheFirstPaintPlacesThePopup) {
  Open(L"");
  EXPECT_EQ(m_frame->layered->GetFixedXY().x, 10);
  EXPECT_EQ(m_frame->layered->GetFixedXY().y, 20);
  RECT main = MainRect();
  RECT popup = PopupRect();
  EXPECT_EQ(popup.left - main.left, 10);
  EXPECT_EQ(popup.top - main.top, 20);
  EXPECT_EQ(popup.Width(), 800);
  EXPECT_EQ(popup.Height(), 600);
  EXPECT_TRUE(DuiLib::IsWindowVisible(m_frame->layered->GetPopup()));
  EXPECT_FALSE(m_frame->layered->IsMouseEnabled());
  EXPECT_EQ(m_frame->layered->GetPopupManager().GetCaptionRect(), (RECT{0, 0, 0, 40}));
}

TEST_F(LayeredWndTest, MovingTheMainWindowBringsThePopupAlong) {
  Open(L"");
  RECT main = MainRect();
  m_frame->GetHWND()->move(main.left + 35, main.top + 45);
  ASSERT_TRUE(PumpUntil([&] { return MainRect().left == main.left + 35; }));
  EXPECT_TRUE(PumpUntil([&] { return PopupRect().left == main.left + 45 && PopupRect().top == main.top + 65; }))
      << "popup at " << PopupRect().left << "," << PopupRect().top;
  EXPECT_EQ(MainRect().top, main.top + 45) << "the popup's own move keeps the main window where it went";
}

TEST_F(LayeredWndTest, EmptyHollowRectLeavesTheWholeWindow) {
  Open(L"");
  QRegion region = m_frame->layered->BuildRegion();
  EXPECT_EQ(region, QRegion(0, 0, 800, 600));
  EXPECT_EQ(m_frame->layered->GetPopup()->mask(), QRegion(0, 0, 800, 600));
}

TEST_F(LayeredWndTest, HollowRectsAreCutOutOfTheRegion) {
  Open(L"(100,100,700,500) (0,0,10,10)");
  QRegion expected = QRegion(0, 0, 800, 600).xored(QRegion(100, 100, 600, 400)).xored(QRegion(0, 0, 10, 10));
  EXPECT_EQ(m_frame->layered->GetPopup()->mask(), expected);
  EXPECT_TRUE(expected.contains(QPoint(50, 50)));
  EXPECT_FALSE(expected.contains(QPoint(150, 150)));
  EXPECT_FALSE(expected.contains(QPoint(5, 5)));
}

TEST_F(LayeredWndTest, CaptionHitTest) {
  Open(L"");
  DuiLib::HWND popup = m_frame->layered->GetPopup();
  struct Case {
    QPoint local;
    DuiLib::LRESULT hit;
  } cases[] = {{{0, 0}, DuiLib::HTCAPTION},     {{799, 39}, DuiLib::HTCAPTION}, {{400, 40}, DuiLib::HTCLIENT},
               {{400, 300}, DuiLib::HTCLIENT}, {{-1, 10}, DuiLib::HTCLIENT}};
  for (const Case& c : cases) {
    QPoint g = popup->mapToGlobal(c.local);
    EXPECT_EQ(DuiLib::SendMessage(popup, DuiLib::WM_NCHITTEST, 0, DuiLib::MakeLParam(g.x(), g.y())), c.hit)
        << c.local.x() << "," << c.local.y();
  }
}

TEST_F(LayeredWndTest, DraggingTheCaptionMovesTheMainWindowAlong) {
  Open(L"");
  RECT main = MainRect();
  RECT popup = PopupRect();
  Mouse(QEvent::MouseButtonPress, QPoint(300, 20), Qt::LeftButton);
  Mouse(QEvent::MouseMove, QPoint(330, 60), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(330, 60), Qt::NoButton);
  ASSERT_TRUE(PumpUntil([&] { return PopupRect().left == popup.left + 30; }));
  EXPECT_EQ(PopupRect().top, popup.top + 40);
  EXPECT_TRUE(PumpUntil([&] { return MainRect().left == main.left + 30 && MainRect().top == main.top + 40; }))
      << "main at " << MainRect().left << "," << MainRect().top;
}

TEST_F(LayeredWndTest, PressOutsideTheCaptionDragsNothing) {
  Open(L"");
  RECT main = MainRect();
  RECT popup = PopupRect();
  Mouse(QEvent::MouseButtonPress, QPoint(300, 300), Qt::LeftButton);
  Mouse(QEvent::MouseMove, QPoint(330, 340), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(330, 340), Qt::NoButton);
  zvtest::PumpFor(50);
  EXPECT_EQ(PopupRect(), popup);
  EXPECT_EQ(MainRect(), main);
}

}  // namespace
