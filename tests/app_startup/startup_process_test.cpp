// The real ZelvanePlayer, offscreen, against zelvane-sim: the update hand-off to a
// stand-in "Update.exe" beside a link of the executable, the updater's return with
// "UpdateBegin", and an ignored argument.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "tests/sim_core/sim_client.h"
#include "tests/sim_core/sim_process.h"
#include "tools/automation_client.h"

namespace {

namespace fs = std::filesystem;
using zv::sim::test::CSimClient;
using zv::sim::test::CSimProcess;

CSimProcess* g_sim = nullptr;
CSimClient* g_admin = nullptr;
std::string g_simError;

// A folder that holds a link of the built program, the skin, the TLS files and the
// stand-in updater, so that "beside the executable" is this folder.
class CRunDir {
 public:
  bool Make(std::string& error) {
    const std::string bin = zv::sim::test::BinaryDir() + "/bin";
    m_dir = zv::sim::test::BinaryDir() + "/startup-test-" + std::to_string(getpid()) + "-" + std::to_string(++s_count);
    std::error_code ec;
    fs::remove_all(m_dir, ec);
    fs::create_directories(m_dir + "/config", ec);
    // A hard link keeps the program's own folder here (a symbolic one would resolve back).
    fs::create_hard_link(bin + "/ZelvanePlayer", Exe(), ec);
    if (ec) {
      ec.clear();
      fs::copy_file(bin + "/ZelvanePlayer", Exe(), ec);
    }
    if (ec) {
      error = "cannot place the program: " + ec.message();
      return false;
    }
    fs::create_directory_symlink(zv::sim::test::SourceDir() + "/skin", m_dir + "/skin", ec);
    for (const char* name : {"ca.crt", "client.crt", "client.key"})
      fs::copy_file(fs::path(g_sim->CertDir()) / name, fs::path(m_dir) / name, ec);
    std::ofstream updater(m_dir + "/Update.exe");
    updater << "#!/bin/sh\necho \"$@\" > \"$(dirname \"$0\")/updater-started\"\n";
    updater.close();
    fs::permissions(m_dir + "/Update.exe", fs::perms::owner_all, fs::perm_options::add, ec);
    if (ec) error = "cannot prepare the run folder: " + ec.message();
    return !ec;
  }
  ~CRunDir() {
    std::error_code ec;
    if (!m_dir.empty()) fs::remove_all(m_dir, ec);
  }
  std::string Exe() const { return m_dir + "/ZelvanePlayer"; }
  std::string Path(const std::string& name) const { return m_dir + "/" + name; }

 private:
  static inline int s_count = 0;
  std::string m_dir;
};

class CClient {
 public:
  ~CClient() { Stop(); }
  void Start(const CRunDir& run, const std::vector<std::string>& args) {
    m_pid = fork();
    if (m_pid != 0) return;
    if (chdir(run.Path("").c_str()) != 0) _exit(126);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", run.Path("config").c_str(), 1);
    setenv("ZELVANE_AUTOMATION", run.Path("automation.sock").c_str(), 1);
    setenv("ZELVANE_ACCOUNT_HOST", "127.0.0.1", 1);
    setenv("ZELVANE_ACCOUNT_PORT", std::to_string(g_sim->Port("account")).c_str(), 1);
    setenv("ZELVANE_PAYMENT_PORT", std::to_string(g_sim->Port("payment")).c_str(), 1);
    setenv("ZELVANE_WEB_BASE", ("http://127.0.0.1:" + std::to_string(g_sim->Port("web"))).c_str(), 1);
    unsetenv("ZELVANE_INSTANCE_PATH");
    std::string exe = run.Exe();
    std::vector<char*> argv{exe.data()};
    std::vector<std::string> copies = args;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  // The exit code, or -1 when it is still running after timeoutMs or died by a signal.
  int WaitExit(int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_pid > 0 && std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return -1;
  }
  bool Running() {
    if (m_pid <= 0) return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      return false;
    }
    return true;
  }
  void Stop() {
    if (m_pid <= 0) return;
    kill(m_pid, SIGTERM);
    if (WaitExit(10000) == -1 && m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
  }

 private:
  pid_t m_pid = -1;
};

bool WaitFor(const std::function<bool()>& pred, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!pred()) {
    if (std::chrono::steady_clock::now() >= deadline) return pred();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

int VersionChecks() {
  int count = 0;
  Json::Value log = g_admin->Admin("log");
  if (!log["ok"].asBool()) return -1;  // the sim did not answer: no count to compare
  for (const Json::Value& entry : log["entries"])
    if (entry["path"].asString().find("/version/checkNewVersion.html") != std::string::npos) ++count;
  return count;
}

bool TreeHasMainWindow(zv::automation::CAutomationClient& ui) {
  Json::Value tree = ui.Tree();
  for (const Json::Value& w : tree["windows"])
    if (w["name"].asString() == "ZelvanePlayer") return true;
  return false;
}

class StartupTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    g_sim = new CSimProcess;
    if (!g_sim->Start(zv::sim::test::DefaultScenario(), g_simError)) return;
    g_admin = new CSimClient(*g_sim);
  }
  static void TearDownTestSuite() {
    delete g_admin;
    g_admin = nullptr;
    g_sim->Stop();
    delete g_sim;
    g_sim = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(g_admin, nullptr) << g_simError;
    std::string error;
    ASSERT_TRUE(m_run.Make(error)) << error;
    g_admin->Admin("reset");
    g_admin->Admin("log/clear");
  }
  void SetNewest(const std::string& version) {
    Json::Value body;
    body["versionCode"] = version;
    ASSERT_TRUE(g_admin->Admin("version", body)["ok"].asBool());
  }
  // Starts the client and waits for its main window in the automation tree.
  void ExpectWindowOpens(const std::vector<std::string>& args) {
    m_client.Start(m_run, args);
    std::string error;
    ASSERT_TRUE(m_ui.Connect(m_run.Path("automation.sock"), 60000, error)) << error;
    EXPECT_TRUE(WaitFor([&] { return TreeHasMainWindow(m_ui); }, 30000));
  }

  CRunDir m_run;
  CClient m_client;
  zv::automation::CAutomationClient m_ui;
};

TEST_F(StartupTest, NewerVersionHandsOverToTheUpdaterWithoutAWindow) {
  SetNewest("1.2.4");
  m_client.Start(m_run, {});
  EXPECT_EQ(m_client.WaitExit(60000), 0);
  EXPECT_TRUE(WaitFor([&] { return fs::exists(m_run.Path("updater-started")); }, 10000));
  std::ifstream args(m_run.Path("updater-started"));
  std::string line;
  std::getline(args, line);
  EXPECT_EQ(line, "") << "nothing is passed to the updater";
  EXPECT_FALSE(fs::exists(m_run.Path("automation.sock"))) << "no window was created";
  EXPECT_EQ(VersionChecks(), 1);
}

TEST_F(StartupTest, SameVersionOpensTheMainWindow) {
  SetNewest("1.2.3");
  ExpectWindowOpens({});
  EXPECT_TRUE(m_client.Running());
  EXPECT_EQ(VersionChecks(), 1);
  EXPECT_FALSE(fs::exists(m_run.Path("updater-started")));
}

TEST_F(StartupTest, UpdateBeginRemovesTheLeftoverWithoutAVersionCheck) {
  SetNewest("1.2.4");
  std::ofstream(m_run.Path("Update.exe.tmp")) << "left by the updater";
  ExpectWindowOpens({"UpdateBegin"});
  EXPECT_FALSE(fs::exists(m_run.Path("Update.exe.tmp")));
  EXPECT_EQ(VersionChecks(), 0);
  EXPECT_FALSE(fs::exists(m_run.Path("updater-started")));
}

TEST_F(StartupTest, OtherArgumentIsIgnored) {
  SetNewest("1.2.4");
  std::ofstream(m_run.Path("Update.exe.tmp")) << "left by the updater";
  ExpectWindowOpens({"/x"});
  EXPECT_TRUE(fs::exists(m_run.Path("Update.exe.tmp")));
  EXPECT_EQ(VersionChecks(), 0);
  EXPECT_FALSE(fs::exists(m_run.Path("updater-started")));
}

}  // namespace
