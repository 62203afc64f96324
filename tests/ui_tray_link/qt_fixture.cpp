#include "tests/ui_tray_link/qt_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace zvtest {

namespace {

int g_argc = 1;
char g_arg0[] = "ui_tray_link_tests";
char* g_argv[] = {g_arg0, nullptr};

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { m_app = new QApplication(g_argc, g_argv); }
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

}  // namespace zvtest
