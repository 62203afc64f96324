// The main frame with the pages module's own factory: whatever pages it builds stand in
// their tabs of switch_Login, the frame keeps their interfaces, and the window is drawn
// (a screenshot is left in the build folder for a look).
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>

#include "pages/page_factory.h"
#include "tests/ui_frame/frame_fixture.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_window_host.h"
#include "ui/notice_manager.h"

namespace zvtest {
namespace {

TEST(FramePagesTest, RealPagesStandInTheirTabsAndTheWindowIsDrawn) {
  auto* frame = new zv::ui::CMainFramePage(&zv::pages::PageFactory(),
                                           std::make_unique<CTestTray>(std::make_shared<TrayState>()));
  DuiLib::HWND hwnd =
      frame->Create(nullptr, L"ZelvanePlayer", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 0, 0, 0, 0);
  ASSERT_NE(hwnd, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return frame->LoginTab() == 0; }));
  Pump(200);
  EXPECT_EQ(hwnd->width(), 960);
  EXPECT_EQ(hwnd->height(), 700);

  DuiLib::CPaintManagerUI& pm = frame->GetPaintManager();
  auto* tabs =
      static_cast<DuiLib::CContainerUI*>(pm.FindControl(L"switch_Login")->GetInterface(L"Container"));
  ASSERT_NE(tabs, nullptr);
  const std::pair<const wchar_t*, bool> pages[] = {{L"LoginWindow", frame->LoginPage() != nullptr},
                                                   {L"ServiceWindow", frame->ServicePanel() != nullptr},
                                                   {L"ShowPlayerWindow", frame->PlayerPage() != nullptr},
                                                   {L"WaitingPageWindow", frame->WaitingPage() != nullptr}};
  // The pages the factory built are the tabs, in their order; the frame holds each one.
  int index = 0;
  for (const auto& [name, held] : pages) {
    DuiLib::CControlUI* page = pm.FindControl(name);
    EXPECT_EQ(page != nullptr, held) << Narrow(name);
    if (!page) continue;
    EXPECT_EQ(tabs->GetItemIndex(page), index++) << Narrow(name);
  }
  if (frame->ServicePanel() && pm.FindControl(L"ServiceStatusWindow")) {
    EXPECT_NE(frame->DeviceListPage(), nullptr);
  }
  EXPECT_NE(frame->LayeredFrame(), nullptr);

  const QString dir = QString::fromUtf8(ZV_BINARY_DIR) + "/ui_frame_shots";
  QDir().mkpath(dir);
  QImage shot = hwnd->grab().toImage();
  EXPECT_EQ(shot.size(), QSize(960, 700));
  shot.save(dir + "/main_window.png");
  // The caption bar is drawn in its colour.
  EXPECT_EQ(shot.pixelColor(480, 2).name(), QString("#1e2230"));

  frame->Close();
  PumpUntil([&] { return !DuiLib::IsWindow(hwnd); });
  zv::NoticeManager::Instance().Stop();
}

}  // namespace
}  // namespace zvtest
