#include "tests/ui_popups/popup_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "api/app_context.h"
#include "app/events.h"
#include "platform/message_box.h"
#include "toolkit/ui_manager.h"

namespace zvtest {

namespace {

namespace fs = std::filesystem;

int g_argc = 1;
char g_arg0[] = "ui_popups_tests";
char* g_argv[] = {g_arg0, nullptr};

std::unique_ptr<zv::sim::test::CSimProcess> g_sim;
std::unique_ptr<zv::sim::test::CSimClient> g_admin;
std::string g_simError;

class PopupEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    m_app = new QApplication(g_argc, g_argv);
    const std::string source = zv::sim::test::SourceDir();
    DuiLib::CPaintManagerUI::SetInstancePath(QString::fromStdString(source).toStdWString());
    DuiLib::CPaintManagerUI::SetResourcePath(QString::fromStdString(source + "/skin/resource/").toStdWString());
    StartSim();
  }
  void TearDown() override {
    g_admin.reset();
    if (g_sim) g_sim->Stop();
    g_sim.reset();
    if (!m_previousDir.empty() && chdir(m_previousDir.c_str()) != 0) m_previousDir.clear();
    if (!m_dir.empty()) {
      std::error_code ignored;
      fs::remove_all(m_dir, ignored);
    }
    delete m_app;
    m_app = nullptr;
  }

 private:
  void StartSim() {
    auto sim = std::make_unique<zv::sim::test::CSimProcess>();
    if (!sim->Start(zv::sim::test::DefaultScenario(), g_simError)) return;
    char pattern[] = "/tmp/zv-popup-test-XXXXXX";
    if (!mkdtemp(pattern)) {
      g_simError = "mkdtemp failed";
      return;
    }
    m_dir = pattern;
    std::error_code failed;
    for (const char* name : {"ca.crt", "client.crt", "client.key"})
      fs::copy_file(fs::path(sim->CertDir()) / name, fs::path(m_dir) / name, failed);
    char cwd[4096];
    m_previousDir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    // The service client opens its TLS files relative to the current directory.
    if (failed || chdir(m_dir.c_str()) != 0) {
      g_simError = "cannot prepare the TLS files";
      return;
    }
    setenv("ZELVANE_ACCOUNT_HOST", "127.0.0.1", 1);
    setenv("ZELVANE_ACCOUNT_PORT", std::to_string(sim->Port("account")).c_str(), 1);
    zv::CAppContext::Instance().Initialize();
    if (!zv::CServiceApi::Instance().InitTransport()) {
      g_simError = "no libcurl handle";
      return;
    }
    g_admin = std::make_unique<zv::sim::test::CSimClient>(*sim);
    g_sim = std::move(sim);
  }

  QApplication* m_app = nullptr;
  std::string m_dir;
  std::string m_previousDir;
};

[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new PopupEnvironment);

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

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

void PumpFor(int ms) {
  QElapsedTimer t;
  t.start();
  while (t.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(1);
  }
}

zv::sim::test::CSimProcess* Sim() { return g_sim.get(); }
const std::string& SimError() { return g_simError; }

Json::Value Admin(const std::string& route, const Json::Value& body) {
  return g_admin ? g_admin->Admin(route, body) : Json::Value();
}

int CountRequests(const std::string& suffix) {
  int count = 0;
  Json::Value log = Admin("log");
  if (!log["ok"].asBool()) return -1;  // the sim did not answer: no count to compare
  for (const Json::Value& entry : log["entries"])
    if (entry["service"].asString() == "account" && EndsWith(entry["path"].asString(), suffix)) ++count;
  return count;
}

CBoxAnswerer::CBoxAnswerer(int delayMs) : m_timer(std::make_unique<QTimer>()) {
  m_timer->setInterval(10);
  QObject::connect(m_timer.get(), &QTimer::timeout, [this, delayMs] {
    auto& boxes = zv::CMessageBoxService::Instance();
    auto open = boxes.OpenBoxes();
    const long long now = QDateTime::currentMSecsSinceEpoch();
    if (open.size() != m_seenOpen) {
      m_seenOpen = open.size();
      m_openedAt = now;
    }
    if (open.empty() || now - m_openedAt < delayMs) return;
    m_texts.push_back(open.back().text);
    boxes.AnswerInnermost();
  });
  m_timer->start();
}

CBoxAnswerer::~CBoxAnswerer() = default;

DuiLib::HWND CRecordingParent::CreateShown() {
  DuiLib::HWND hwnd = Create(nullptr, L"RecordingParent", DuiLib::UI_WNDSTYLE_FRAME, 0, 0, 0, 960, 700);
  ShowWindow(true, true);
  return hwnd;
}

DuiLib::LRESULT CRecordingParent::HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) {
  if (msg == zv::UWM_LOGIN_WITH) {
    // The receiver owns the request.
    auto* request = reinterpret_cast<zv::ApiRequest*>(wParam);
    loginWith.push_back(LoginWithRecord{request ? *request : zv::ApiRequest(), lParam});
    delete request;
    return 0;
  }
  return CWindowWnd::HandleMessage(msg, wParam, lParam);
}

}  // namespace zvtest
