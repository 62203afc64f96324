#include "tests/toolkit/toolkit_fixture.h"

#include <gtest/gtest.h>

#include <QThread>
#include <cstdlib>

#include "toolkit/ui_manager.h"

namespace zvtest {

namespace {

int g_argc = 1;
char g_arg0[] = "toolkit_tests";
char* g_argv[] = {g_arg0, nullptr};

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    m_app = new QApplication(g_argc, g_argv);
    DuiLib::CPaintManagerUI::SetResourcePath(SkinFolder());
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

std::wstring SkinFolder() {
  const char* src = std::getenv("ZELVANE_SOURCE_DIR");
  std::string base = src ? src : ".";
  return QString::fromStdString(base + "/tests/toolkit/skin/").toStdWString();
}

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
  while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void CTestWindow::Notify(DuiLib::TNotifyUI& msg) {
  std::string name = msg.pSender ? QString::fromStdWString(msg.pSender->GetName()).toStdString() : "";
  notes.push_back(name + ":" + QString::fromStdWString(msg.sType).toStdString());
  if (onNotify) onNotify(msg);
}

DuiLib::CControlUI* CTestWindow::CreateControl(const wchar_t* cls) { return factory ? factory(cls) : nullptr; }

bool CTestWindow::Has(const std::string& note) const {
  for (const auto& n : notes)
    if (n == note) return true;
  return false;
}

void CTestWindow::Open() {
  Create(nullptr, L"TestWindow", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 0, 0, 0, 0);
  PumpUntil([this] { return Has("root:windowinit"); });
}

DuiLib::LRESULT CTestWindow::HandleCustomMessage(DuiLib::UINT m, DuiLib::WPARAM w, DuiLib::LPARAM l, bool& handled) {
  handled = false;
  return onMessage ? onMessage(m, w, l, handled) : 0;
}

void CTestWindow::OnFinalMessage(DuiLib::HWND) {
  // Tests own their windows; only unregister here.
  m_PaintManager.RemovePreMessageFilter(this);
  m_PaintManager.RemoveNotifier(this);
  m_PaintManager.ReapObjects(m_PaintManager.GetRoot());
  finalCalled = true;
}

void MouseAt(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button) {
  Qt::MouseButtons held = type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : button;
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), type == QEvent::MouseMove ? Qt::NoButton : button, held,
                Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

void ClickControl(DuiLib::CControlUI* control, bool doubleClick) {
  QWidget* host = control->GetManager()->GetPaintWindow();
  const DuiLib::RECT& r = control->GetPos();
  QPoint p((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  MouseAt(host, QEvent::MouseMove, p);
  MouseAt(host, QEvent::MouseButtonPress, p);
  MouseAt(host, QEvent::MouseButtonRelease, p);
  if (doubleClick) {
    MouseAt(host, QEvent::MouseButtonDblClick, p);
    MouseAt(host, QEvent::MouseButtonRelease, p);
  }
}

}  // namespace zvtest
