#include "tests/pages_service/service_page_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QThread>
#include <clocale>
#include <cstdlib>
#include <fstream>
#include <memory>

#include "api/service_api.h"
#include "api/settings.h"
#include "app/events.h"
#include "control/control_client.h"
#include "platform/message_box.h"
#include "platform/qt_settings_backend.h"
#include "tests/sim_core/sim_client.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_window_host.h"

namespace zv::test {
namespace {

int g_argc = 1;
char g_arg0[] = "pages_service_tests";
char* g_argv[] = {g_arg0, nullptr};

QTemporaryDir* g_configDir = nullptr;
std::unique_ptr<CQtSettingsBackend> g_backend;

// One Qt application, the skin folder, a UTF-8 locale and a private settings store.
class PagesEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    std::setlocale(LC_ALL, "C.UTF-8");
    g_configDir = new QTemporaryDir();
    // QSettings reads the folder once, before its first use.
    setenv("XDG_CONFIG_HOME", QFile::encodeName(g_configDir->path()).constData(), 1);
    m_app = new QApplication(g_argc, g_argv);
    g_backend = std::make_unique<CQtSettingsBackend>(QStringLiteral("ZelvanePlayer"),
                                                     QStringLiteral("pages_service_tests"));
    CSettings::SetBackend(g_backend.get());
  }
  void TearDown() override {
    CSettings::SetBackend(nullptr);
    g_backend.reset();
    delete m_app;
    m_app = nullptr;
    delete g_configDir;
    g_configDir = nullptr;
  }

 private:
  QApplication* m_app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const g_env =
    ::testing::AddGlobalTestEnvironment(new PagesEnvironment);

std::unique_ptr<sim::test::CSimProcess> g_sim;
std::unique_ptr<sim::test::CSimClient> g_admin;
std::string g_previousDir;

void Mouse(QWidget* w, QEvent::Type type, QPoint p) {
  const Qt::MouseButtons held =
      type == QEvent::MouseButtonRelease || type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)),
                type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
  QCoreApplication::sendEvent(w, &e);
}

}  // namespace

std::string Utf8(const std::wstring& text) {
  return QString::fromStdWString(text).toStdString();
}

std::string SettingsFolder() {
  return g_configDir ? g_configDir->path().toStdString() : std::string();
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

CPanelHost::CPanelHost() {
  m_boxTimer.setInterval(20);
  QObject::connect(&m_boxTimer, &QTimer::timeout, [this] { AnswerBoxes(); });
  m_boxTimer.start();
}

CPanelHost::~CPanelHost() {
  m_boxTimer.stop();
  if (DuiLib::IsWindow(GetHWND())) DestroyWindow();
}

void CPanelHost::AnswerBoxes() {
  const std::vector<MessageBoxInfo> boxes = CMessageBoxService::Instance().OpenBoxes();
  if (boxes.empty()) return;
  log.push_back("box:" + Utf8(boxes.back().text));
  CMessageBoxService::Instance().AnswerInnermost(ID_OK);
}

std::wstring CPanelHost::GetSkinFolder() {
  return QString::fromStdString(sim::test::SourceDir() + "/skin/resource/").toStdWString();
}

std::wstring CPanelHost::GetSkinFile() {
  return L"<Window size=\"960,660\"><ServiceWindow/></Window>";
}

DuiLib::CControlUI* CPanelHost::CreateControl(const wchar_t* cls) {
  if (std::wstring(cls) != L"ServiceWindow") return nullptr;
  m_panel = new pages::CServiceUI(L"ServicePage\\left\\Service.xml", L"ServiceWindow", m_PaintManager);
  m_list = dynamic_cast<pages::CServiceStatusUI*>(m_panel->FindByName(L"ServiceStatusWindow"));
  return m_panel;
}

void CPanelHost::Open() {
  Create(nullptr, L"PanelHost", DuiLib::WS_POPUP | DuiLib::WS_VISIBLE, 0, 0, 0, 0, 0);
  PumpUntil([this] { return m_initialized; });
  m_PaintManager.UpdateLayout();
}

void CPanelHost::Notify(DuiLib::TNotifyUI& msg) {
  if (msg.sType == L"windowinit") m_initialized = true;
  // Every page ignores the names it does not own, so both may see everything here.
  if (m_panel) m_panel->Notify(msg, GetHWND());
  if (m_list) m_list->Notify(msg, GetHWND());
}

DuiLib::LRESULT CPanelHost::HandleCustomMessage(DuiLib::UINT m, DuiLib::WPARAM w, DuiLib::LPARAM l,
                                                bool& handled) {
  handled = false;
  if (m != UWM_PAGE_COMMAND) return 0;
  handled = true;
  Command command;
  command.sub = static_cast<uint32_t>(w);
  command.lParam = l;
  if ((w == PAGE_CMD_RECHARGE || w == PAGE_CMD_EXCHANGE) && l != 0)
    command.text = reinterpret_cast<const char*>(l);
  commands.push_back(command);
  log.push_back("cmd:" + std::to_string(w));
  return 0;
}

void CPanelHost::OnFinalMessage(DuiLib::HWND) {
  m_PaintManager.RemovePreMessageFilter(this);
  m_PaintManager.RemoveNotifier(this);
  m_PaintManager.ReapObjects(m_PaintManager.GetRoot());
}

std::wstring CPanelHost::TextOf(const wchar_t* name) {
  DuiLib::CControlUI* control = Find(name);
  return control ? control->GetText() : L"<missing>";
}

void CPanelHost::Click(const wchar_t* name, bool doubleClick) {
  m_PaintManager.UpdateLayout();
  DuiLib::CControlUI* control = Find(name);
  ASSERT_NE(control, nullptr) << Utf8(name);
  ASSERT_TRUE(control->IsEffectivelyVisible()) << Utf8(name);
  QWidget* host = GetHWND();
  const DuiLib::RECT& r = control->GetPos();
  const QPoint p((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Mouse(host, QEvent::MouseMove, p);
  Mouse(host, QEvent::MouseButtonPress, p);
  Mouse(host, QEvent::MouseButtonRelease, p);
  if (doubleClick) {
    Mouse(host, QEvent::MouseButtonDblClick, p);
    Mouse(host, QEvent::MouseButtonRelease, p);
  }
}

bool CPagesSim::Start(const std::string& scenarioFile, std::string& error) {
  std::ifstream in(sim::test::SourceDir() + "/tests/pages_service/" + scenarioFile);
  Json::Value scenario;
  Json::CharReaderBuilder builder;
  std::string errors;
  if (!Json::parseFromStream(builder, in, &scenario, &errors)) {
    error = "scenario " + scenarioFile + ": " + errors;
    return false;
  }
  g_sim = std::make_unique<sim::test::CSimProcess>();
  if (!g_sim->Start(scenario, error)) return false;
  g_admin = std::make_unique<sim::test::CSimClient>(*g_sim);
  // The client reads its TLS files from the working directory.
  char cwd[4096];
  g_previousDir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
  if (chdir(g_sim->CertDir().c_str()) != 0) {
    error = "chdir to the certificates failed";
    return false;
  }
  setenv("ZELVANE_ACCOUNT_HOST", "127.0.0.1", 1);
  setenv("ZELVANE_ACCOUNT_PORT", std::to_string(g_sim->Port("account")).c_str(), 1);
  setenv("ZELVANE_PAYMENT_PORT", std::to_string(g_sim->Port("payment")).c_str(), 1);
  setenv("ZELVANE_WEB_BASE", ("http://127.0.0.1:" + std::to_string(g_sim->Port("web"))).c_str(), 1);
  CAppContext::Instance().Initialize();
  if (!CServiceApi::Instance().InitTransport()) {
    error = "no transport";
    return false;
  }
  return true;
}

void CPagesSim::Stop() {
  if (!g_previousDir.empty() && chdir(g_previousDir.c_str()) != 0) g_previousDir.clear();
  CServiceApi::Instance().InitTransport();
  g_admin.reset();
  g_sim.reset();
}

sim::test::CSimProcess* CPagesSim::Process() {
  return g_sim.get();
}

bool CPagesSim::SignIn(const std::string& userName) {
  ApiRequest request;
  request.params[0] = userName;
  request.params[1] = "123456";
  if (CServiceApi::Instance().SignIn(request, false) != 0) return false;
  CAppContext::Instance().userName = userName;
  return true;
}

Json::Value CPagesSim::Admin(const std::string& route, const Json::Value& body) {
  return g_admin ? g_admin->Admin(route, body) : Json::Value();
}

}  // namespace zv::test

namespace zv::test {

void PanelTest::SetUp() {
  CAppContext& c = CAppContext::Instance();
  c.padList.clear();
  c.controlList.clear();
  c.currentPadCode.clear();
  c.qualityLevel = QUALITY_FAST;
  c.autoQuality = 0;
  c.rbcAmount = 0;
  host = std::make_unique<CPanelHost>();
  host->Open();
  ASSERT_NE(host->Panel(), nullptr);
  ASSERT_NE(host->List(), nullptr);
}

void PanelTest::TearDown() {
  host.reset();
  PumpUntil([] { return false; }, 20);
}

void PanelTest::ShowPads(const std::vector<PadInfo>& pads) {
  CAppContext::Instance().padList = pads;
  host->List()->FillSlots();
  host->List()->DrawSlots();
  host->List()->UpdateArrows();
}

PadInfo PanelTest::Pad(const std::string& code, int32_t status, const std::string& grade,
                       int32_t controlSeconds, const std::string& recovery) {
  PadInfo pad;
  pad.padCode = code;
  pad.padName = "name-" + code;
  pad.padStatus = status;
  pad.padGrade = grade;
  pad.leftControlTime = controlSeconds;
  pad.recoveryStatus = recovery;
  pad.leftOnlineTime = 30;
  pad.leftRecoveryDays = 3;
  pad.controlCode = "node-1";
  return pad;
}

std::string SimPageTest::startError;

void SimPageTest::SetUpTestSuite() {
  if (!CPagesSim::Start("device_scenario.json", startError) && startError.empty())
    startError = "sim start failed";
}

void SimPageTest::TearDownTestSuite() {
  CPagesSim::Stop();
}

void SimPageTest::SetUp() {
  ASSERT_TRUE(startError.empty()) << startError;
  CPagesSim::Admin("reset");
  window.Attach();
  PanelTest::SetUp();
}

void SimPageTest::TearDown() {
  CControlClient::Instance().Stop();
  EXPECT_TRUE(CControlClient::Instance().WaitForLoops(std::chrono::seconds(20)));
  PanelTest::TearDown();
}

void SimPageTest::SignInAndShow(const std::string& userName) {
  ASSERT_TRUE(CPagesSim::SignIn(userName)) << userName;
  host->List()->Reset();
}

}  // namespace zv::test
