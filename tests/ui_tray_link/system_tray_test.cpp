// The tray icon against a desktop tray the test controls: creation, balloons, the click
// reaching the owner window, the tray restarting, the window's trip to the tray, and a
// desktop without a tray.
#include "ui/system_tray.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <memory>

#include "app/events.h"
#include "tests/ui_tray_link/qt_fixture.h"
#include "toolkit/ui_window_host.h"

using zv::CSystemTray;
using zv::ITrayBackend;

namespace {

struct TrayState {
  bool available = true;
  bool balloons = true;
  bool addSucceeds = true;
  bool shown = false;
  int adds = 0;
  int modifies = 0;
  int deletes = 0;
  std::wstring tip;
  std::vector<zv::TrayBalloonRecord> balloonsShown;
  std::function<void(ITrayBackend::Click)> click;
};

class CDesktopTray : public ITrayBackend {
 public:
  explicit CDesktopTray(std::shared_ptr<TrayState> s) : m_s(std::move(s)) {}
  bool IsAvailable() const override { return m_s->available; }
  bool SupportsBalloons() const override { return m_s->balloons; }
  bool Add(const QIcon&, const std::wstring& tip, std::function<void(Click)> onClick) override {
    ++m_s->adds;
    if (!m_s->available || !m_s->addSucceeds) return false;
    m_s->tip = tip;
    m_s->click = std::move(onClick);
    return m_s->shown = true;
  }
  bool Modify(const std::wstring& tip) override {
    ++m_s->modifies;
    if (!m_s->shown) return false;
    m_s->tip = tip;
    return true;
  }
  bool ShowBalloon(const std::wstring& text, const std::wstring& title, int kind, int timeoutMs) override {
    if (!m_s->shown) return false;
    m_s->balloonsShown.push_back({text, title, kind, timeoutMs, true});
    return true;
  }
  bool Delete() override {
    ++m_s->deletes;
    m_s->shown = false;
    return true;
  }
  QRect Geometry() const override { return {}; }

 private:
  std::shared_ptr<TrayState> m_s;
};

class COwnerWnd : public DuiLib::CWindowWnd {
 public:
  struct Message {
    DuiLib::UINT msg;
    DuiLib::WPARAM wParam;
    DuiLib::LPARAM lParam;
  };
  std::vector<Message> seen;
  void Open() { Create(nullptr, L"Owner", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 10, 10, 320, 240); }

 protected:
  const wchar_t* GetWindowClassName() const override { return L"TrayOwner"; }
  DuiLib::LRESULT HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) override {
    if (msg == zv::UWM_TRAY_NOTIFY) seen.push_back({msg, wParam, lParam});
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
  }
};

class SystemTray : public ::testing::Test {
 protected:
  std::shared_ptr<TrayState> state = std::make_shared<TrayState>();
  CSystemTray tray{std::make_unique<CDesktopTray>(state)};
  COwnerWnd owner;

  bool CreateAsTheFrameDoes() {
    owner.Open();
    return tray.CreateTrayIcon(owner.GetHWND(), zv::UWM_TRAY_NOTIFY, L"Zelvane", QIcon(), 128);
  }
};

TEST_F(SystemTray, CreateAddsTheIconWithItsTipAndAHiddenWindow) {
  ASSERT_TRUE(CreateAsTheFrameDoes());
  EXPECT_TRUE(tray.IsEnabled());
  EXPECT_TRUE(tray.IsIconShown());
  EXPECT_FALSE(tray.IsShowPending());
  EXPECT_EQ(state->adds, 1);
  EXPECT_EQ(state->tip, L"Zelvane");
  EXPECT_NE(tray.GetHiddenWindow(), nullptr);
  EXPECT_FALSE(tray.GetHiddenWindow()->isVisible());
  EXPECT_TRUE(state->balloonsShown.empty());
  EXPECT_TRUE(tray.DeleteTrayIcon());
  EXPECT_EQ(state->deletes, 1);
  EXPECT_FALSE(tray.DeleteTrayIcon()) << "an icon that is gone is not deleted twice";
}

TEST_F(SystemTray, TipIsCutTo127Characters) {
  owner.Open();
  ASSERT_TRUE(
      tray.CreateTrayIcon(owner.GetHWND(), zv::UWM_TRAY_NOTIFY, std::wstring(200, L'提'), QIcon(), 128));
  EXPECT_EQ(state->tip, std::wstring(127, L'提'));
}

TEST_F(SystemTray, BalloonTextsAreCutToTheirCapacityAndRecorded) {
  ASSERT_TRUE(CreateAsTheFrameDoes());
  struct Case {
    std::wstring text, title;
    int kind;
    std::wstring wantText, wantTitle;
  } cases[] = {
      {L"您的带宽不足，这可能会影响您的画质效果！", L"Zelvane", 2,
       L"您的带宽不足，这可能会影响您的画质效果！", L"Zelvane"},
      {std::wstring(300, L'画'), std::wstring(70, L'T'), 1, std::wstring(255, L'画'), std::wstring(63, L'T')},
      {std::wstring(255, L'a'), std::wstring(63, L'b'), 1, std::wstring(255, L'a'), std::wstring(63, L'b')},
      {L"", L"", 1, L"", L""},
  };
  size_t shown = 0;
  for (const Case& c : cases) {
    bool ok = tray.ShowTrayBalloon(c.text, c.title, c.kind, 10);
    ASSERT_FALSE(tray.Balloons().empty());
    const zv::TrayBalloonRecord& r = tray.Balloons().back();
    EXPECT_EQ(r.text, c.wantText);
    EXPECT_EQ(r.title, c.wantTitle);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.timeoutMs, 10000);
    EXPECT_EQ(r.shown, ok);
    EXPECT_TRUE(tray.PendingBalloonText().empty()) << "the stored text is cleared once shown";
    if (ok) {
      ++shown;
      EXPECT_EQ(state->balloonsShown.back().text, c.wantText);
      EXPECT_EQ(state->balloonsShown.back().title, c.wantTitle);
      EXPECT_EQ(state->balloonsShown.back().timeoutMs, 10000);
    }
  }
  EXPECT_EQ(tray.Balloons().size(), 4u);
  EXPECT_EQ(shown, 3u) << "an empty text is no balloon";
  // A later modification of the icon does not bring the last notice back.
  tray.OnSettingChange(zv::SPI_SETWORKAREA);
  EXPECT_EQ(state->balloonsShown.size(), shown);
}

TEST_F(SystemTray, TwoQualityChangesShowTwoBalloonsTheSecondLast) {
  ASSERT_TRUE(CreateAsTheFrameDoes());
  EXPECT_TRUE(
      tray.ShowTrayBalloon(L"正在为您更改画面质量，当前画质为" + zv::GetQualityName(0), L"Zelvane", 1, 10));
  EXPECT_TRUE(
      tray.ShowTrayBalloon(L"正在为您更改画面质量，当前画质为" + zv::GetQualityName(3), L"Zelvane", 1, 10));
  ASSERT_EQ(state->balloonsShown.size(), 2u);
  EXPECT_EQ(state->balloonsShown.back().text, L"正在为您更改画面质量，当前画质为极速");
  EXPECT_EQ(tray.Balloons().back().text, L"正在为您更改画面质量，当前画质为极速");
}

TEST_F(SystemTray, BalloonGivenAtCreationIsShownOnce) {
  owner.Open();
  ASSERT_TRUE(tray.CreateTrayIcon(owner.GetHWND(), zv::UWM_TRAY_NOTIFY, L"Zelvane", QIcon(), 128, false,
                                  std::wstring(260, L'x'), L"Zelvane", 1, 5));
  ASSERT_EQ(state->balloonsShown.size(), 1u);
  EXPECT_EQ(state->balloonsShown[0].text.size(), 255u);
  EXPECT_EQ(state->balloonsShown[0].timeoutMs, 5000);
  tray.OnTaskbarCreated();
  EXPECT_EQ(state->balloonsShown.size(), 1u);
}

TEST_F(SystemTray, WithoutBalloonSupportBalloonsAreSkipped) {
  state->balloons = false;
  ASSERT_TRUE(CreateAsTheFrameDoes());
  EXPECT_FALSE(tray.ShowTrayBalloon(L"text", L"Zelvane", 2, 10));
  EXPECT_TRUE(state->balloonsShown.empty());
  ASSERT_EQ(tray.Balloons().size(), 1u);
  EXPECT_FALSE(tray.Balloons()[0].shown);
}

TEST_F(SystemTray, LeftClickReachesTheOwnerAsTheCallbackMessage) {
  ASSERT_TRUE(CreateAsTheFrameDoes());
  ASSERT_TRUE(state->click);
  state->click(ITrayBackend::Click::Left);
  EXPECT_TRUE(owner.seen.empty()) << "the click is posted, not called into the window";
  ASSERT_TRUE(zvtest::PumpUntil([&] { return owner.seen.size() >= 2; }));
  EXPECT_EQ(owner.seen[0].msg, zv::UWM_TRAY_NOTIFY);
  EXPECT_EQ(owner.seen[0].wParam, 128u);
  EXPECT_EQ(owner.seen[0].lParam, 0x0201);
  EXPECT_EQ(owner.seen[1].lParam, DuiLib::WM_LBUTTONUP);
  state->click(ITrayBackend::Click::Right);
  ASSERT_TRUE(zvtest::PumpUntil([&] { return owner.seen.size() >= 4; }));
  EXPECT_EQ(owner.seen[2].lParam, DuiLib::WM_RBUTTONDOWN);
}

TEST_F(SystemTray, IconComesBackWithItsTipWhenTheTrayRestarts) {
  ASSERT_TRUE(CreateAsTheFrameDoes());
  state->available = false;
  state->shown = false;
  state->tip.clear();
  // The hidden window's watch notices the tray leaving and coming back on its own.
  ASSERT_TRUE(zvtest::PumpUntil([&] { return !tray.IsIconShown(); }));
  state->available = true;
  ASSERT_TRUE(zvtest::PumpUntil([&] { return state->adds == 2; }));
  EXPECT_EQ(state->tip, L"Zelvane");
  EXPECT_TRUE(tray.IsIconShown());
  EXPECT_FALSE(tray.IsShowPending());
  state->click(ITrayBackend::Click::Left);
  EXPECT_TRUE(zvtest::PumpUntil([&] { return !owner.seen.empty(); })) << "the new icon's clicks still arrive";
}

TEST_F(SystemTray, FailedAddStaysPendingUntilTheTrayComesUp) {
  state->addSucceeds = false;
  EXPECT_FALSE(CreateAsTheFrameDoes());
  EXPECT_TRUE(tray.IsShowPending());
  EXPECT_FALSE(tray.IsIconShown());
  EXPECT_FALSE(tray.ShowTrayBalloon(L"text", L"Zelvane", 1, 10));
  state->addSucceeds = true;
  tray.OnTaskbarCreated();
  EXPECT_TRUE(tray.IsIconShown());
  EXPECT_FALSE(tray.IsShowPending());
  EXPECT_EQ(state->tip, L"Zelvane");
}

TEST_F(SystemTray, WorkAreaChangeModifiesAShownIconAndAddsAMissingOne) {
  ASSERT_TRUE(CreateAsTheFrameDoes());
  tray.OnSettingChange(zv::SPI_SETWORKAREA);
  EXPECT_EQ(state->modifies, 1);
  EXPECT_EQ(state->adds, 1);
  tray.OnSettingChange(12);
  EXPECT_EQ(state->modifies, 1) << "other setting changes leave the icon alone";
}

TEST_F(SystemTray, TripToTheTrayTakesTheWindowOffTheTaskbarAndBack) {
  ASSERT_TRUE(CreateAsTheFrameDoes());
  DuiLib::HWND w = owner.GetHWND();
  ASSERT_TRUE(w->isVisible());
  QApplication::setEffectEnabled(Qt::UI_General, false);
  EXPECT_TRUE(tray.AnimateToTray(w, false));
  EXPECT_FALSE(tray.LastTripAnimated()) << "animations off and not forced";
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(w->windowFlags().testFlag(Qt::Tool)) << "a tool window has no taskbar button";
  EXPECT_TRUE(tray.RestoreFromTray(w, true));
  EXPECT_TRUE(tray.LastTripAnimated());
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->windowFlags().testFlag(Qt::Tool));
  // Minimise goes through the tray first, then the ordinary minimise.
  EXPECT_TRUE(tray.AnimateToTray(w, false));
  DuiLib::ShowWindow(w, DuiLib::SW_MINIMIZE);
  EXPECT_TRUE(w->windowFlags().testFlag(Qt::Tool));
  EXPECT_TRUE(tray.RestoreFromTray(w, false));
  EXPECT_TRUE(w->isVisible());
  EXPECT_FALSE(w->isMinimized());
  EXPECT_FALSE(w->windowFlags().testFlag(Qt::Tool));
  zvtest::PumpUntil([] { return false; }, 400);  // lets the forced animation run out
}

TEST_F(SystemTray, WithoutTheIconsPlaceTheTripEndsAtTheWorkAreasCorner) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  QRect work = screen->availableGeometry();
  QRect r = tray.GetTrayWndRect();
  EXPECT_EQ(r.size(), QSize(150, 30));
  EXPECT_EQ(r.bottomRight(), work.bottomRight());
}

// A desktop without a tray: the real platform tray (the offscreen desktop has none) and
// one that says so.
TEST(SystemTrayWithoutTray, EveryOperationFailsAndTheWindowStays) {
  std::vector<std::unique_ptr<ITrayBackend>> backends;
  backends.push_back(zv::MakePlatformTrayBackend());
  auto state = std::make_shared<TrayState>();
  state->available = false;
  backends.push_back(std::make_unique<CDesktopTray>(state));
  ASSERT_FALSE(backends[0]->IsAvailable()) << "the offscreen desktop was expected to have no tray";
  for (auto& backend : backends) {
    CSystemTray tray(std::move(backend));
    COwnerWnd owner;
    owner.Open();
    EXPECT_FALSE(tray.CreateTrayIcon(owner.GetHWND(), zv::UWM_TRAY_NOTIFY, L"Zelvane", QIcon(), 128));
    EXPECT_FALSE(tray.IsEnabled());
    EXPECT_EQ(tray.GetHiddenWindow(), nullptr);
    EXPECT_FALSE(tray.ShowTrayBalloon(L"您的带宽不足，这可能会影响您的画质效果！", L"Zelvane", 2, 10));
    EXPECT_FALSE(tray.AnimateToTray(owner.GetHWND(), true));
    EXPECT_TRUE(owner.GetHWND()->isVisible()) << "with no icon nothing could bring the window back";
    EXPECT_FALSE(tray.RestoreFromTray(owner.GetHWND(), true));
    EXPECT_FALSE(tray.DeleteTrayIcon());
    EXPECT_FALSE(tray.IsIconShown());
    ASSERT_EQ(tray.Balloons().size(), 1u) << "the notice asked for is still on record";
    EXPECT_FALSE(tray.Balloons()[0].shown);
  }
  EXPECT_EQ(state->adds, 0);
}

}  // namespace
