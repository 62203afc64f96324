#include "tests/ui_frame/frame_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cstdlib>

#include "app/events.h"
#include "toolkit/ui_control.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_window.h"
#include "ui/notice_manager.h"

namespace zvtest {

namespace {

int g_argc = 1;
char g_arg0[] = "ui_frame_tests";
char* g_argv[] = {g_arg0, nullptr};

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    m_app = new QApplication(g_argc, g_argv);
    const char* source = std::getenv("ZELVANE_SOURCE_DIR");
    DuiLib::CPaintManagerUI::SetInstancePath(
        QString::fromUtf8(source ? source : ZV_SOURCE_DIR).toStdWString() + L"/");
  }
  void TearDown() override {
    delete m_app;
    m_app = nullptr;
  }

 private:
  QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs) {
  QElapsedTimer t;
  t.start();
  while (!pred()) {
    if (t.elapsed() > timeoutMs) return pred();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
  return true;
}

void Pump(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QThread::msleep(1);
  }
}

std::vector<BoxSeen> WithBoxes(zv::ui::CMainFramePage* frame, Journal& journal,
                               const std::function<void()>& action,
                               const std::function<std::string()>& probe) {
  std::vector<BoxSeen> seen;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    zv::CMessageBoxService& boxes = zv::CMessageBoxService::Instance();
    const std::vector<zv::MessageBoxInfo> open = boxes.OpenBoxes();
    if (open.empty()) return;
    BoxSeen s;
    s.box = open.back();
    s.journal = journal.entries;
    s.loginTab = frame->LoginTab();
    s.accountTab = frame->AccountTab();
    s.inSession = frame->InSession();
    s.loggedIn = frame->LoggedIn();
    if (probe) s.extra = probe();
    seen.push_back(s);
    boxes.AnswerInnermost();
  });
  timer.start();
  action();
  timer.stop();
  return seen;
}

void FrameTest::SetUp() {
  m_tray = std::make_shared<TrayState>();
  m_factory = std::make_unique<CRecordingPageFactory>(m_journal);
  m_frame = new zv::ui::CMainFramePage(m_factory.get(), std::make_unique<CTestTray>(m_tray));
  m_frame->SetTickSource([this] { return m_tick; });
  m_hwnd = m_frame->Create(nullptr, L"ZelvanePlayer", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 0, 0, 0, 0);
  ASSERT_NE(m_hwnd, nullptr);
  ASSERT_TRUE(PumpUntil([this] { return m_journal.Has("login.Init(1,wnd)"); }));
  m_journal.Clear();
}

void FrameTest::TearDown() {
  if (m_hwnd && DuiLib::IsWindow(m_hwnd)) {
    m_frame->Close();
    // A box opened by the close would hold the loop; none is expected.
    PumpUntil([this] { return !DuiLib::IsWindow(m_hwnd); });
  }
  zv::NoticeManager::Instance().Stop();
  Pump(20);
}

intptr_t FrameTest::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return m_frame->SendMessage(message, wParam, lParam);
}

void FrameTest::LoginSucceeded() {
  m_factory->login->request.resultCode = 0;
}

void FrameTest::LogIn() {
  m_factory->login->request.resultCode = 0;
  m_factory->login->waiting = 0;
  Send(zv::UWM_LOGIN_RESULT);
  ASSERT_EQ(m_frame->LoggedIn(), 1);
}

void FrameTest::OpenDevice() {
  Send(zv::UWM_PAGE_COMMAND, zv::PAGE_CMD_OPEN_PLAYER, 0);
  ASSERT_EQ(m_frame->InSession(), 1);
  ASSERT_EQ(m_frame->LoginTab(), 2);
}

DuiLib::CControlUI* FrameTest::Find(const wchar_t* name) {
  return m_frame->GetPaintManager().FindControl(name);
}

void FrameTest::Click(const std::wstring& name, const std::wstring& kind) {
  DuiLib::CControlUI* control = Find(name.c_str());
  DuiLib::CControlUI standalone;
  if (!control) {
    standalone.SetName(name);
    control = &standalone;
  }
  DuiLib::TNotifyUI msg;
  msg.sType = kind;
  msg.pSender = control;
  m_frame->Notify(msg);
}

}  // namespace zvtest
