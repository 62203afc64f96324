#include "tests/pages_login/login_host.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <clocale>
#include <cstdlib>
#include <set>

#include "api/app_context.h"
#include "api/md5_digest.h"
#include "api/service_api.h"
#include "api/settings.h"
#include "app/events.h"
#include "platform/qt_settings_backend.h"
#include "tests/sim_core/sim_process.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_window_host.h"

namespace zv::test {

namespace {

int g_argc = 1;
char g_arg0[] = "pages_login_tests";
char* g_argv[] = {g_arg0, nullptr};

// Three accounts: an ordinary one, one that must bind a phone and one whose client is too old.
const char* const kScenario = R"({
  "ports": {"account": 0, "payment": 0, "admin": 0, "web": 0, "control": 0, "rtmp": 0},
  "users": [
    {"userName": "demo", "userId": 10086, "password": "123456", "loginCode": 0, "rbcAmount": 500, "devices": []},
    {"userName": "bindme", "userId": 10087, "password": "123456", "loginCode": 4, "devices": []},
    {"userName": "oldclient", "userId": 10088, "password": "123456", "loginCode": 3, "devices": []}
  ]
})";

class LoginEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::setlocale(LC_ALL, "C.UTF-8");
    m_config = std::make_unique<QTemporaryDir>();
    // QSettings reads the folder once per process, before its first use.
    setenv("XDG_CONFIG_HOME", QFile::encodeName(m_config->path()).constData(), 1);
    m_app = new QApplication(g_argc, g_argv);
    m_backend = std::make_unique<CQtSettingsBackend>(QStringLiteral("ZelvaneLoginTest"),
                                                     QStringLiteral("ZelvanePlayer"));
    CSettings::SetBackend(m_backend.get());
    // The main frame finds its skin folder below the instance path.
    DuiLib::CPaintManagerUI::SetInstancePath(
        QString::fromStdString(zv::sim::test::SourceDir() + "/").toStdWString());
    DuiLib::CPaintManagerUI::SetResourcePath(
        QString::fromStdString(zv::sim::test::SourceDir() + "/skin/resource/").toStdWString());
    for (const char* scheme : {"http", "https"}) QDesktopServices::setUrlHandler(scheme, &Urls(), "Open");

    Json::Value scenario;
    Json::Reader().parse(kScenario, scenario);
    if (!m_sim.Start(scenario, Error())) return;
    char cwd[4096];
    m_previousDir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    // The client reads its TLS files from the working folder.
    if (chdir(m_sim.CertDir().c_str()) != 0) Error() = "cannot enter " + m_sim.CertDir();
    const std::string web = "http://127.0.0.1:" + std::to_string(m_sim.Port("web"));
    setenv("ZELVANE_ACCOUNT_HOST", "127.0.0.1", 1);
    setenv("ZELVANE_ACCOUNT_PORT", std::to_string(m_sim.Port("account")).c_str(), 1);
    setenv("ZELVANE_PAYMENT_PORT", std::to_string(m_sim.Port("payment")).c_str(), 1);
    setenv("ZELVANE_WEB_BASE", web.c_str(), 1);
    setenv("ZELVANE_CHAT_URL", (web + "/chat/index.html").c_str(), 1);
    CAppContext::Instance().Initialize();
    if (!CServiceApi::Instance().InitTransport()) Error() = "no transport";
    s_env = this;
  }

  void TearDown() override {
    PumpUntil([] { return zv::pages::RunningLoginWorkers() == 0; }, 30000);
    for (const char* scheme : {"http", "https"}) QDesktopServices::unsetUrlHandler(scheme);
    CSettings::SetBackend(nullptr);
    m_sim.Stop();
    if (!m_previousDir.empty() && chdir(m_previousDir.c_str()) != 0) m_previousDir.clear();
    s_env = nullptr;
    delete m_app;
    m_app = nullptr;
  }

  static std::string& Error() {
    static std::string error;
    return error;
  }
  static CUrlRecorder& Urls() {
    static CUrlRecorder recorder;
    return recorder;
  }

  static LoginEnvironment* s_env;
  zv::sim::test::CSimProcess m_sim;
  std::unique_ptr<CQtSettingsBackend> m_backend;

 private:
  std::unique_ptr<QTemporaryDir> m_config;
  QApplication* m_app = nullptr;
  std::string m_previousDir;
};

LoginEnvironment* LoginEnvironment::s_env = nullptr;

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new LoginEnvironment);

size_t Collect(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

const std::set<std::wstring>& LoginGroup() {
  static const std::set<std::wstring> names{L"Button_Login",     L"Edit_Password",      L"Edit_UserName",
                                            L"Option_Login",     L"Option_rememberPsw", L"Button_Register",
                                            L"Button_ForgetPsw", L"Button_QQ"};
  return names;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint p) {
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

void SendKey(QWidget* w, int key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QCoreApplication::sendEvent(w, &release);
}

QLineEdit* NativeEdit(DuiLib::CControlUI* control) {
  auto* edit = dynamic_cast<DuiLib::CEditUI*>(control);
  return edit ? edit->GetNativeEdit() : nullptr;
}

}  // namespace

// ---------------------------------------------------------------- host window

CLoginHost::CLoginHost(std::wstring layout) : m_layout(std::move(layout)) {}

CLoginHost::~CLoginHost() {
  Destroy();
}

std::wstring CLoginHost::GetSkinFile() {
  return L"<Window size=\"960,660\"><LoginWindow name=\"LoginWindow\"/></Window>";
}

bool CLoginHost::Open() {
  if (!Create(nullptr, L"LoginHost", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 0, 0, 0, 0)) return false;
  return PumpUntil([this] { return m_initialised; });
}

void CLoginHost::Destroy() {
  if (m_hWnd) DestroyWindow();
}

DuiLib::CControlUI* CLoginHost::CreateControl(const wchar_t* cls) {
  if (std::wstring(cls) != L"LoginWindow") return nullptr;
  m_page = new zv::pages::CLoginUI(m_layout, L"LoginWindow", m_PaintManager);
  return m_page;
}

void CLoginHost::Notify(DuiLib::TNotifyUI& msg) {
  if (msg.sType == L"windowinit") m_initialised = true;
  if (m_page && msg.pSender && LoginGroup().count(msg.pSender->GetName())) m_page->Notify(msg, m_hWnd);
}

DuiLib::LRESULT CLoginHost::HandleCustomMessage(DuiLib::UINT m, DuiLib::WPARAM w, DuiLib::LPARAM,
                                                bool& handled) {
  handled = true;
  if (m == UWM_PAGE_COMMAND) {
    m_events.push_back(HostEvent{m, w, {}});
  } else if (m == UWM_LOGIN_DONE) {
    HostEvent event{m, w, {}};
    // The worker is blocked in its send, so its record may be read here.
    if (auto* request = reinterpret_cast<const zv::ui::LoginRequest*>(w)) {
      event.request = *request;
      if (m_page) m_page->SetLoginResult(request->resultCode, request->resultMessage);
    }
    m_events.push_back(event);
  } else if (m == DuiLib::WM_TIMER && (w == TIMER_AUTO_LOGIN || w == TIMER_LOGIN_MIN_WAIT)) {
    m_events.push_back(HostEvent{m, w, {}});
    KillTimer(static_cast<DuiLib::UINT>(w));
    if (m_page && w == TIMER_AUTO_LOGIN) m_page->Login(m_hWnd);
    if (m_page && w == TIMER_LOGIN_MIN_WAIT) m_page->SetWaiting(0);
  } else {
    handled = false;
  }
  return 0;
}

void CLoginHost::OnFinalMessage(DuiLib::HWND) {
  m_PaintManager.RemovePreMessageFilter(this);
  m_PaintManager.RemoveNotifier(this);
  m_PaintManager.DetachRoot();
  m_page = nullptr;
}

size_t CLoginHost::Count(uint32_t message, uintptr_t wParam) const {
  size_t n = 0;
  for (const HostEvent& e : m_events) n += e.message == message && e.wParam == wParam;
  return n;
}

size_t CLoginHost::Count(uint32_t message) const {
  size_t n = 0;
  for (const HostEvent& e : m_events) n += e.message == message;
  return n;
}

zv::ui::LoginRequest CLoginHost::LastDone() const {
  for (auto it = m_events.rbegin(); it != m_events.rend(); ++it)
    if (it->message == UWM_LOGIN_DONE) return it->request;
  return zv::ui::LoginRequest{};
}

// ---------------------------------------------------------------- the simulated platform

int LoginSim::Port(const std::string& name) {
  return LoginEnvironment::s_env->m_sim.Port(name);
}

const std::string& LoginSim::StartError() {
  return LoginEnvironment::Error();
}

CUrlRecorder& LoginSim::Urls() {
  return LoginEnvironment::Urls();
}

Json::Value LoginSim::Admin(const std::string& route, const Json::Value& body) {
  CURL* curl = curl_easy_init();
  if (!curl) return Json::Value();
  const std::string url = "http://127.0.0.1:" + std::to_string(Port("admin")) + "/" + route;
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  const std::string text = Json::writeString(writer, body);
  std::string answer;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, text.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
  const CURLcode code = curl_easy_perform(curl);
  curl_easy_cleanup(curl);
  Json::Value result;
  if (code != CURLE_OK || !Json::Reader().parse(answer, result)) {
    ADD_FAILURE() << "admin " << route << " failed: " << curl_easy_strerror(code) << " " << answer;
    return Json::Value();
  }
  return result;
}

std::vector<Json::Value> LoginSim::Requests(const std::string& suffix) {
  std::vector<Json::Value> found;
  const Json::Value log = Admin("log");
  for (const Json::Value& entry : log["entries"]) {
    const std::string path = entry["path"].asString();
    if (entry["service"].asString() == "account" && path.size() >= suffix.size() &&
        path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
      found.push_back(entry);
  }
  return found;
}

long LoginSim::HttpStatus(const std::string& url) {
  CURL* curl = curl_easy_init();
  if (!curl) return 0;
  std::string body;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, 30L);
  long status = 0;
  if (curl_easy_perform(curl) == CURLE_OK) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(curl);
  return status;
}

// ---------------------------------------------------------------- input and loops

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

void TypeInto(DuiLib::CControlUI* edit, const std::string& utf8) {
  QLineEdit* native = NativeEdit(edit);
  ASSERT_NE(native, nullptr);
  for (QChar c : QString::fromStdString(utf8)) SendKey(native, 0, QString(c));
}

void PressReturn(DuiLib::CControlUI* edit) {
  QLineEdit* native = NativeEdit(edit);
  ASSERT_NE(native, nullptr);
  SendKey(native, Qt::Key_Return, QStringLiteral("\r"));
}

void Click(DuiLib::CControlUI* control) {
  QWidget* host = control->GetManager()->GetPaintWindow();
  const DuiLib::RECT& r = control->GetPos();
  const QPoint p((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMouse(host, QEvent::MouseMove, p);
  SendMouse(host, QEvent::MouseButtonPress, p);
  SendMouse(host, QEvent::MouseButtonRelease, p);
}

CBoxAnswerer::CBoxAnswerer() {
  auto* timer = new QTimer;
  m_timer = timer;
  QObject::connect(timer, &QTimer::timeout, timer, [this] {
    CMessageBoxService& boxes = CMessageBoxService::Instance();
    if (boxes.OpenCount() == 0) return;
    seen.push_back(boxes.OpenBoxes().back());
    boxes.AnswerInnermost();
  });
  timer->start(20);
}

CBoxAnswerer::~CBoxAnswerer() {
  delete m_timer;
}

// ---------------------------------------------------------------- remembered values

void ForgetEverything() {
  CAppContext& context = CAppContext::Instance();
  context.userId = 0;
  context.userName.clear();
  context.passwordDigest.clear();
  context.savePassword = false;
  context.autoLogin = false;
  context.sessionId.clear();
  CSettings::SaveLoginSettings(context);
}

void StartClean() {
  ASSERT_TRUE(LoginSim::StartError().empty()) << LoginSim::StartError();
  ForgetEverything();
  LoginSim::Admin("reset");
  LoginSim::Admin("log/clear");
}

std::string DigestOf(const std::string& userIdText, const std::string& password) {
  return CServiceApi::MakePasswordDigest(userIdText, password);
}

std::string SettingsFileText() {
  QFile file(LoginEnvironment::s_env->m_backend->ProfileFile());
  if (!file.open(QIODevice::ReadOnly)) return std::string();
  return file.readAll().toStdString();
}

}  // namespace zv::test
