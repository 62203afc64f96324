// The main frame against the real simulated platform: the account service for the
// login result, the log-out of a session timeout and the close, and the control node
// and stream server for a device session that ends.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "api/app_context.h"
#include "api/service_api.h"
#include "app/events.h"
#include "app/main_window_notifier.h"
#include "control/control_client.h"
#include "player/stream_player.h"
#include "tests/sim_core/sim_client.h"
#include "tests/sim_core/sim_process.h"
#include "tests/ui_frame/frame_fixture.h"
#include "toolkit/main_window_target.h"
#include "ui/notice_manager.h"

namespace zvtest {
namespace {

namespace fs = std::filesystem;
using zv::sim::test::CSimClient;
using zv::sim::test::CSimProcess;

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

class FrameSimTest : public FrameTest {
 protected:
  static void SetUpTestSuite() {
    s_sim = new CSimProcess;
    std::string error;
    if (!s_sim->Start(zv::sim::test::DefaultScenario(), error)) {
      s_error = error;
      return;
    }
    s_admin = new CSimClient(*s_sim);
    char pattern[] = "/tmp/zv-frame-test-XXXXXX";
    if (!mkdtemp(pattern)) {
      s_error = "mkdtemp failed";
      return;
    }
    s_dir = pattern;
    std::error_code failed;
    for (const char* name : {"ca.crt", "client.crt", "client.key"})
      fs::copy_file(fs::path(s_sim->CertDir()) / name, fs::path(s_dir) / name, failed);
    char cwd[4096];
    s_previousDir = getcwd(cwd, sizeof(cwd)) ? cwd : "/";
    // The service client opens its TLS files relative to the current directory.
    if (failed || chdir(s_dir.c_str()) != 0) {
      s_error = "no working folder with the client's TLS files";
      return;
    }
    setenv("ZELVANE_ACCOUNT_HOST", "127.0.0.1", 1);
    setenv("ZELVANE_ACCOUNT_PORT", std::to_string(s_sim->Port("account")).c_str(), 1);
    setenv("ZELVANE_PAYMENT_HOST", "127.0.0.1", 1);
    setenv("ZELVANE_PAYMENT_PORT", std::to_string(s_sim->Port("payment")).c_str(), 1);
    zv::CAppContext::Instance().Initialize();
    if (!zv::CServiceApi::Instance().InitTransport()) s_error = "no libcurl handle";
    zv::CControlClient::Instance().SetStreamSession(&zv::CStreamPlayer::Instance());
  }

  static void TearDownTestSuite() {
    delete s_admin;
    s_admin = nullptr;
    delete s_sim;
    s_sim = nullptr;
    if (!s_previousDir.empty() && chdir(s_previousDir.c_str()) != 0) s_previousDir.clear();
    std::error_code ignored;
    if (!s_dir.empty()) fs::remove_all(s_dir, ignored);
  }

  void SetUp() override {
    ASSERT_TRUE(s_error.empty()) << s_error;
    s_admin->Admin("reset");
    FrameTest::SetUp();
    m_target = std::make_unique<DuiLib::CMainWindowTarget>(m_hwnd);
    zv::CMainWindowNotifier::Instance().SetTarget(m_target.get());
    zv::ApiRequest login;
    login.params[0] = "demo";
    login.params[1] = "123456";
    ASSERT_EQ(zv::CServiceApi::Instance().SignIn(login, false), 0) << login.resultInfo;
    s_admin->Admin("log/clear");
  }

  void TearDown() override {
    zv::CControlClient::Instance().Stop();
    zv::CStreamPlayer::Instance().Stop();
    // Readers and loops may be blocked sending to this thread: keep it running meanwhile.
    PumpUntil([] { return zv::CStreamPlayer::Instance().ActiveReaders() == 0; }, 10000);
    PumpUntil([] { return zv::CControlClient::Instance().WaitForLoops(std::chrono::milliseconds(0)); },
              10000);
    FrameTest::TearDown();
    zv::CMainWindowNotifier::Instance().SetTarget(nullptr);
  }

  static int Requests(const std::string& suffix) {
    int n = 0;
    const Json::Value log = s_admin->Admin("log");
    for (const Json::Value& e : log["entries"])
      if (e["service"].asString() == "account" && EndsWith(e["path"].asString(), suffix)) ++n;
    return n;
  }

  static int ControlSessions() {
    return static_cast<int>(s_admin->Admin("control/state")["sessions"].size());
  }

  static inline CSimProcess* s_sim = nullptr;
  static inline CSimClient* s_admin = nullptr;
  static inline std::string s_error;
  static inline std::string s_dir;
  static inline std::string s_previousDir;
  std::unique_ptr<DuiLib::CMainWindowTarget> m_target;
};

TEST_F(FrameSimTest, SuccessfulLoginFetchesThePadsAndShowsTheDeviceList) {
  LogIn();
  EXPECT_EQ(Requests("/pad/getPad.html"), 1);
  EXPECT_FALSE(zv::CAppContext::Instance().padList.empty());
  EXPECT_EQ(m_frame->LoginTab(), 1);
  EXPECT_EQ(m_frame->AccountTab(), 1);
  EXPECT_TRUE(m_journal.Has("devices.Reset"));
  EXPECT_TRUE(zv::NoticeManager::Instance().IsRunning());

  m_frame->RefreshBeans();
  m_frame->ShowUserName();
  EXPECT_EQ(Find(L"Label_RBC")->GetText(), L"500");
  EXPECT_EQ(Find(L"Label_UserName")->GetText(), L"demo");
}

TEST_F(FrameSimTest, SessionTimeoutTellsTheServiceBeforeItsBox) {
  LogIn();
  OpenDevice();
  s_admin->Admin("log/clear");
  m_journal.Clear();
  std::vector<BoxSeen> boxes = WithBoxes(
      m_frame, m_journal, [&] { Send(zv::UWM_SESSION_TIMEOUT); },
      [] { return std::to_string(Requests("/user/logout.html")); });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].box.text, L"会话超时，请重新登录！");
  EXPECT_EQ(boxes[0].extra, "1");
  EXPECT_EQ(boxes[0].loginTab, 0);
  EXPECT_EQ(boxes[0].inSession, 0);
  EXPECT_EQ(boxes[0].loggedIn, 0);
  EXPECT_TRUE(std::find(boxes[0].journal.begin(), boxes[0].journal.end(), "login.Init(0,null)") !=
              boxes[0].journal.end());
  EXPECT_FALSE(zv::NoticeManager::Instance().IsRunning());
}

TEST_F(FrameSimTest, CloseWhileLoggedInTellsTheService) {
  LogIn();
  Click(L"closebtn");
  ASSERT_TRUE(PumpUntil([this] { return !DuiLib::IsWindow(m_hwnd); }));
  EXPECT_EQ(Requests("/user/logout.html"), 1);
}

TEST_F(FrameSimTest, BackKeyAndAFailedStreamDuringARealSession) {
  LogIn();
  OpenDevice();
  zv::CAppContext::Instance().SetCurrentPadCode("PAD-VIP-1");
  ASSERT_EQ(zv::CControlClient::Instance().Connect("PAD-VIP-1"), 0);
  ASSERT_TRUE(PumpUntil([] { return zv::CStreamPlayer::Instance().IsRunning(); }, 20000));
  ASSERT_TRUE(PumpUntil([this] { return m_journal.Has("player.OnVideoFrame"); }, 20000));
  EXPECT_EQ(m_frame->LoginTab(), 2);

  s_admin->Admin("control/log/clear");
  Click(L"Button_Back");
  std::vector<std::string> keys;
  PumpUntil([&] {
    keys.clear();
    const Json::Value log = s_admin->Admin("control/log");
    for (const Json::Value& m : log["messages"]) {
      const std::string type = m["type"].asString();
      if (type.find("KEY") != std::string::npos)
        keys.push_back(type + ":" + std::to_string(m["keyCode"].asInt()));
    }
    return keys.size() >= 2;
  });
  EXPECT_EQ(keys, (std::vector<std::string>{"CTRL_KEY_DOWN:158", "CTRL_KEY_UP:158"}));

  // At the box both connections have been stopped and the list is on screen.
  std::vector<BoxSeen> boxes = WithBoxes(
      m_frame, m_journal, [&] { Send(zv::UWM_STREAM_CONNECT_FAILED); },
      [] {
        const bool running = zv::CStreamPlayer::Instance().IsRunning();
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (ControlSessions() > 0 && std::chrono::steady_clock::now() < until)
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::string(running ? "stream" : "-") + "/" + std::to_string(ControlSessions());
      });
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].box.text, L"连接图像服务器失败");
  EXPECT_EQ(boxes[0].extra, "-/0");
  EXPECT_EQ(boxes[0].inSession, 0);
  EXPECT_EQ(boxes[0].loginTab, 1);
  EXPECT_EQ(boxes[0].accountTab, 1);
}

}  // namespace
}  // namespace zvtest
