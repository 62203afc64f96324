// The message layer: posted and sent messages across threads, window timers, modal
// loops entered again, and the main-window target the workers use.
#include <gtest/gtest.h>

#include <QTimer>
#include <atomic>
#include <thread>

#include "app/main_window_notifier.h"
#include "platform/message_box.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/main_window_target.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_window.h"

using namespace DuiLib;
using zvtest::CTestWindow;

namespace {
constexpr UINT kPing = WM_USER + 1;
constexpr UINT kBox = WM_USER + 2;
constexpr UINT kCount = WM_USER + 3;
}  // namespace

TEST(Messages, PostFromWorkersArrivesInOrderOnTheWindowThread) {
  CTestWindow w;
  std::vector<WPARAM> seen;
  std::thread::id windowThread = std::this_thread::get_id();
  bool wrongThread = false;
  w.onMessage = [&](UINT m, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    if (m != kPing) return 0;
    handled = true;
    wrongThread = wrongThread || std::this_thread::get_id() != windowThread;
    seen.push_back(wp);
    return 0;
  };
  w.Open();
  std::thread worker([&] {
    for (WPARAM i = 0; i < 100; ++i) EXPECT_TRUE(w.PostMessage(kPing, i, 0));
  });
  worker.join();
  ASSERT_TRUE(zvtest::PumpUntil([&] { return seen.size() == 100; }));
  EXPECT_FALSE(wrongThread);
  for (WPARAM i = 0; i < 100; ++i) EXPECT_EQ(seen[i], i);
  EXPECT_FALSE(DuiLib::PostMessage(nullptr, kPing, 0, 0));
}

TEST(Messages, SendBlocksTheWorkerUntilHandledAndIsDirectOnTheWindowThread) {
  CTestWindow w;
  std::atomic<bool> handlerDone{false};
  int localValue = 0;
  w.onMessage = [&](UINT m, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    if (m != kPing) return 0;
    handled = true;
    // The handler may read memory the blocked worker owns.
    localValue = *reinterpret_cast<int*>(wp);
    zvtest::Pump(30);
    handlerDone = true;
    return 77;
  };
  w.Open();
  std::atomic<bool> returned{false};
  std::atomic<bool> doneBeforeReturn{false};
  LRESULT result = 0;
  std::thread worker([&] {
    int onStack = 4242;
    result = w.SendMessage(kPing, reinterpret_cast<WPARAM>(&onStack), 0);
    doneBeforeReturn = handlerDone.load();
    returned = true;
  });
  ASSERT_TRUE(zvtest::PumpUntil([&] { return returned.load(); }));
  worker.join();
  EXPECT_TRUE(doneBeforeReturn);
  EXPECT_EQ(result, 77);
  EXPECT_EQ(localValue, 4242);
  // On the window thread the call is direct.
  handlerDone = false;
  int v = 5;
  EXPECT_EQ(w.SendMessage(kPing, reinterpret_cast<WPARAM>(&v), 0), 77);
  EXPECT_TRUE(handlerDone);
}

TEST(Messages, SendWhoseHandlerOpensAMessageBoxDoesNotDeadlock) {
  CTestWindow w;
  std::atomic<int> pingsDuringBox{0};
  w.onMessage = [&](UINT m, WPARAM, LPARAM, bool& handled) -> LRESULT {
    if (m == kBox) {
      handled = true;
      return zv::ShowMessageBox(w.GetHWND(), L"会话已过期", L"提示");
    }
    if (m == kPing) {
      handled = true;
      if (zv::CMessageBoxService::Instance().OpenCount() > 0) ++pingsDuringBox;
    }
    return 0;
  };
  w.Open();
  std::atomic<bool> returned{false};
  LRESULT answer = 0;
  std::thread sender([&] {
    answer = w.SendMessage(kBox, 0, 0);
    returned = true;
  });
  // The box runs its own loop inside the handler; these checks run from that loop.
  std::vector<zv::MessageBoxInfo> boxes;
  bool returnedWhileOpen = true;
  int phase = 0;
  QTimer poll;
  poll.setInterval(5);
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto& service = zv::CMessageBoxService::Instance();
    if (phase == 0 && service.OpenCount() == 1) {
      boxes = service.OpenBoxes();
      w.PostMessage(kPing, 0, 0);  // other events keep running inside the nested loop
      phase = 1;
    } else if (phase == 1 && pingsDuringBox.load() == 1) {
      returnedWhileOpen = returned.load();
      EXPECT_TRUE(service.AnswerInnermost());
      phase = 2;
      poll.stop();
    }
  });
  poll.start();
  ASSERT_TRUE(zvtest::PumpUntil([&] { return returned.load(); }, 20000));
  sender.join();
  EXPECT_EQ(phase, 2);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, L"提示");
  EXPECT_EQ(boxes[0].text, L"会话已过期");
  EXPECT_FALSE(returnedWhileOpen);
  EXPECT_EQ(answer, zv::ID_OK);
}

TEST(Messages, SendToAWindowThatGoesAwayReturnsZero) {
  auto* w = new CTestWindow;
  w->Open();
  HWND h = w->GetHWND();
  std::atomic<bool> returned{false};
  LRESULT result = -1;
  // The worker blocks; the window is destroyed before the message is handled.
  std::thread worker([&] {
    result = DuiLib::SendMessage(h, kPing, 0, 0);
    returned = true;
  });
  zvtest::PumpUntil([] { return false; }, 0);
  w->DestroyWindow();
  delete w;
  ASSERT_TRUE(zvtest::PumpUntil([&] { return returned.load(); }));
  worker.join();
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(IsWindow(h));
}

TEST(Messages, MainWindowTargetCarriesTheNotifiersEvents) {
  CTestWindow w;
  std::vector<UINT> got;
  w.onMessage = [&](UINT m, WPARAM, LPARAM l, bool& handled) -> LRESULT {
    if (m < 0x2400) return 0;
    handled = true;
    got.push_back(m);
    return l + 1;
  };
  w.Open();
  CMainWindowTarget target(w.GetHWND());
  zv::CMainWindowNotifier::Instance().SetTarget(&target);
  intptr_t sent = 0;
  std::thread worker([&] {
    zv::CMainWindowNotifier::Instance().Post(0x5416, 1, 0);
    sent = zv::CMainWindowNotifier::Instance().Send(0x5410, 0, 41);
  });
  ASSERT_TRUE(zvtest::PumpUntil([&] { return got.size() == 2; }));
  worker.join();
  zv::CMainWindowNotifier::Instance().SetTarget(nullptr);
  EXPECT_EQ(got, (std::vector<UINT>{0x5416, 0x5410}));
  EXPECT_EQ(sent, 42);
}

TEST(Timers, WindowTimersArriveAsWmTimerUntilKilled) {
  CTestWindow w;
  std::map<WPARAM, int> ticks;
  w.onMessage = [&](UINT m, WPARAM wp, LPARAM, bool& handled) -> LRESULT {
    if (m == WM_TIMER) {
      handled = true;
      ++ticks[wp];
    }
    return 0;
  };
  w.Open();
  ASSERT_TRUE(w.SetTimer(0x0468, 10));
  ASSERT_TRUE(DuiLib::SetTimer(w.GetHWND(), 0x0464, 15));
  ASSERT_TRUE(zvtest::PumpUntil([&] { return ticks[0x0468] >= 3 && ticks[0x0464] >= 2; }));
  EXPECT_TRUE(w.KillTimer(0x0468));
  EXPECT_FALSE(w.KillTimer(0x0468));
  int before = ticks[0x0468];
  zvtest::Pump(80);
  EXPECT_EQ(ticks[0x0468], before);
  EXPECT_TRUE(DuiLib::KillTimer(w.GetHWND(), 0x0464));
}

TEST(Modal, NestedLoopIsEnteredAgainByAnEventAndEndsWithTheCloseCode) {
  CTestWindow w;
  std::vector<std::string> trail;
  w.onMessage = [&](UINT m, WPARAM, LPARAM, bool& handled) -> LRESULT {
    if (m == kBox) {
      handled = true;
      trail.push_back("box-open");
      // While the box's loop runs, another event arrives and is handled inside it.
      QTimer::singleShot(10, [&] { w.PostMessage(kCount); });
      zv::ShowMessageBox(w.GetHWND(), L"第一个", L"提示");
      trail.push_back("box-closed");
    } else if (m == kCount) {
      handled = true;
      trail.push_back("count");
      QTimer::singleShot(10, [&] {
        zv::CMessageBoxService::Instance().AnswerInnermost();
        w.Close(5);
      });
    }
    return 0;
  };
  w.Create(nullptr, L"Modal", WS_POPUP, 0, 0, 0, 0, 0);
  QTimer::singleShot(0, [&] { w.PostMessage(kBox); });
  UINT code = w.ShowModal();
  EXPECT_EQ(code, 5u);
  EXPECT_EQ(trail, (std::vector<std::string>{"box-open", "count", "box-closed"}));
  EXPECT_TRUE(w.finalCalled);
  EXPECT_EQ(w.GetHWND(), nullptr);
}

TEST(Windows, ChildWindowLiesOverItsParentsRectangle) {
  CTestWindow parent;
  parent.Open();
  CTestWindow child(L"item.xml");
  HWND h = child.Create(parent.GetHWND(), L"WaitingLogin", 0x56000000u, 0, 0, 0, 0, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_FALSE(h->isWindow());
  ASSERT_TRUE(MoveWindow(h, 10, 40, 200, 100));
  RECT rc;
  ASSERT_TRUE(GetWindowRect(h, rc));
  RECT prc;
  GetWindowRect(parent.GetHWND(), prc);
  EXPECT_EQ(rc.left - prc.left, 10);
  EXPECT_EQ(rc.top - prc.top, 40);
  EXPECT_EQ(GetParent(h), parent.GetHWND());
  child.ShowWindow(true, true);
  EXPECT_TRUE(IsWindowVisible(h));
  child.Close();
  ASSERT_TRUE(zvtest::PumpUntil([&] { return child.finalCalled; }));
  EXPECT_TRUE(IsWindow(parent.GetHWND()));
}

TEST(Windows, CaptionDragsTheWindowButItsButtonsStillClick) {
  CTestWindow w;
  w.Open();
  QWidget* host = w.GetHWND();
  host->move(100, 100);
  zvtest::Pump(10);
  QPoint before = host->pos();
  // Label_Title lies in the caption rectangle (the top 30 pixels) and is not interactive.
  zvtest::MouseAt(host, QEvent::MouseButtonPress, QPoint(60, 15));
  QMouseEvent move(QEvent::MouseMove, QPointF(90, 35), host->mapToGlobal(QPointF(90, 35)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(host, &move);
  zvtest::MouseAt(host, QEvent::MouseButtonRelease, QPoint(90, 35));
  EXPECT_EQ(host->pos() - before, QPoint(30, 20));
  w.notes.clear();
  zvtest::ClickControl(w.Find(L"Button_Box"));
  EXPECT_TRUE(w.Has("Button_Box:click"));
}

TEST(Windows, HotTrackingAndPreFiltersSeeInputFirst) {
  CTestWindow w;
  w.Open();
  QWidget* host = w.GetHWND();
  auto* hello = static_cast<CButtonUI*>(w.Find(L"Button_Hello"));
  zvtest::MouseAt(host, QEvent::MouseMove, QPoint(20, 50));
  EXPECT_EQ(w.Manager().GetHot(), hello);
  EXPECT_TRUE(hello->GetButtonState() & UISTATE_HOT);
  zvtest::MouseAt(host, QEvent::MouseMove, QPoint(300, 280));
  EXPECT_FALSE(hello->GetButtonState() & UISTATE_HOT);

  struct SwallowPresses : IMessageFilterUI {
    int seen = 0;
    LRESULT MessageHandler(UINT m, WPARAM, LPARAM, bool& handled) override {
      if (m == WM_LBUTTONDOWN) {
        ++seen;
        handled = true;
      }
      return 0;
    }
  } filter;
  w.Manager().AddPreMessageFilter(&filter);
  w.notes.clear();
  zvtest::ClickControl(hello);
  EXPECT_EQ(filter.seen, 1);
  EXPECT_FALSE(w.Has("Button_Hello:click"));
  EXPECT_TRUE(w.Manager().RemovePreMessageFilter(&filter));
  zvtest::ClickControl(hello);
  EXPECT_TRUE(w.Has("Button_Hello:click"));
}

TEST(Windows, LayeredPictureAndRegion) {
  CTestWindow w(L"item.xml");
  HWND h = w.Create(nullptr, L"Layered", WS_POPUP | WS_VISIBLE, WS_EX_LAYERED | WS_EX_TOOLWINDOW, 0, 0, 80, 60);
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(h->testAttribute(Qt::WA_TranslucentBackground));
  QImage picture(80, 60, QImage::Format_ARGB32_Premultiplied);
  picture.fill(QColor(0x2F, 0x7B, 0xFF));
  ASSERT_TRUE(UpdateLayeredWindow(h, picture));
  QRegion region(0, 0, 80, 60);
  region = region.xored(QRegion(0, 0, 10, 10));
  ASSERT_TRUE(SetWindowRgn(h, region));
  EXPECT_FALSE(h->mask().contains(QPoint(5, 5)));
  EXPECT_TRUE(h->mask().contains(QPoint(50, 30)));
  ASSERT_TRUE(SetWindowRgn(h, QRegion()));
  EXPECT_TRUE(h->mask().isEmpty());
  w.Close();
  EXPECT_TRUE(zvtest::PumpUntil([&] { return w.finalCalled; }));
  EXPECT_FALSE(UpdateLayeredWindow(h, picture));
}

TEST(Windows, SetIconReadsTheSkinsIconFile) {
  CTestWindow w;
  w.Open();
  w.SetIcon(1);  // tests/toolkit/skin/res1.png
  EXPECT_TRUE(w.GetHWND()->windowIcon().availableSizes().contains(QSize(4, 4)));
  w.CenterWindow();
  EXPECT_TRUE(IsWindowVisible(w.GetHWND()));
}
