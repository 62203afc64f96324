#include "tools/automation_launch.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace zv::automation {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

bool ReadFile(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  text = all.str();
  return true;
}

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// Runs argv with the given extra environment; output to logPath (kept when empty).
pid_t Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
            const std::vector<std::string>& unset, const std::string& workDir, const std::string& logPath) {
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid != 0) return pid;
  // A child must not outlive a driver that crashed or was interrupted.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(126);
  for (const std::string& name : unset) unsetenv(name.c_str());
  for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
  if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(125);
  if (!logPath.empty()) {
    int fd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd >= 0) {
      dup2(fd, STDOUT_FILENO);
      dup2(fd, STDERR_FILENO);
      close(fd);
    }
  }
  int devnull = open("/dev/null", O_RDONLY);
  if (devnull >= 0) dup2(devnull, STDIN_FILENO);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execv(args[0], args.data());
  _exit(127);
}

// Waits up to timeoutMs for pid; true when it ended (status in *status).
bool WaitPid(pid_t pid, int timeoutMs, int* status) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int s = 0;
    pid_t r = waitpid(pid, &s, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD)) {
      if (status) *status = r == pid ? s : 0;
      return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

// SIGTERM to the child alone, then SIGKILL when it does not go.
int Terminate(pid_t& pid, int graceMs) {
  if (pid <= 0) return -1;
  int status = 0;
  kill(pid, SIGTERM);
  if (!WaitPid(pid, graceMs, &status)) {
    kill(pid, SIGKILL);
    WaitPid(pid, 10000, &status);
  }
  pid = -1;
  return ExitCodeOf(status);
}

bool Alive(pid_t& pid) {
  if (pid <= 0) return false;
  int status = 0;
  if (waitpid(pid, &status, WNOHANG) == pid) {
    pid = -1;
    return false;
  }
  return true;
}

}  // namespace

std::string SourceDir() { return EnvOr("ZELVANE_SOURCE_DIR", ZV_AUTOMATION_SOURCE_DIR); }
std::string BinaryDir() { return EnvOr("ZELVANE_BINARY_DIR", ZV_AUTOMATION_BINARY_DIR); }
std::string SimExecutable() { return EnvOr("ZELVANE_SIM_EXE", BinaryDir() + "/sim/zelvane-sim"); }
std::string PlayerExecutable() { return EnvOr("ZELVANE_PLAYER_EXE", BinaryDir() + "/bin/ZelvanePlayer"); }

Json::Value DemoScenario(bool ephemeralPorts, std::string& error) {
  std::string text;
  Json::Value scenario;
  const std::string path = SourceDir() + "/sim/scenarios/default.json";
  if (!ReadFile(path, text) || !ParseJson(text, scenario) || !scenario.isObject()) {
    error = "cannot read the scenario " + path;
    return Json::Value();
  }
  if (ephemeralPorts)
    for (const char* name : {"account", "payment", "admin", "web", "control", "rtmp"}) scenario["ports"][name] = 0;
  return scenario;
}

void SetAdTime(Json::Value& scenario, int seconds) {
  for (Json::Value& device : scenario["devices"])
    if (device["adPlayTime"].asInt() > 0) device["adPlayTime"] = seconds;
}

Json::Value* FindDevice(Json::Value& scenario, const std::string& padCode) {
  for (Json::Value& device : scenario["devices"])
    if (device["padCode"].asString() == padCode) return &device;
  return nullptr;
}

std::string MakeTempDir(const std::string& prefix) {
  std::string pattern = std::filesystem::temp_directory_path().string() + "/" + prefix + "-XXXXXX";
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  return mkdtemp(buffer.data()) ? std::string(buffer.data()) : std::string();
}

void RemoveTree(const std::string& dir) {
  std::error_code ignored;
  if (!dir.empty()) std::filesystem::remove_all(dir, ignored);
}

std::string TailOf(const std::string& path, size_t bytes) {
  std::string text;
  if (!ReadFile(path, text)) return std::string();
  return text.size() > bytes ? text.substr(text.size() - bytes) : text;
}

long long MonotonicMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool CSimRunner::Start(const Json::Value& scenario, const std::string& certDir, std::string& error) {
  Stop();
  m_certDir = certDir;
  std::string certs = "bash '" + SourceDir() + "/scripts/gen-certs.sh' '" + certDir + "' >/dev/null";
  if (std::system(certs.c_str()) != 0) {
    error = "scripts/gen-certs.sh failed for " + certDir;
    return false;
  }
  m_dir = MakeTempDir("zv-sim");
  if (m_dir.empty()) {
    error = "cannot make a temporary folder";
    return false;
  }
  const std::string scenarioPath = m_dir + "/scenario.json";
  const std::string readyPath = m_dir + "/ready.json";
  m_logPath = m_dir + "/sim.log";
  std::ofstream(scenarioPath) << scenario.toStyledString();
  m_pid = Spawn({SimExecutable(), "--scenario", scenarioPath, "--certs", certDir, "--ready-file", readyPath}, {},
                {}, "", m_logPath);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  std::string text;
  while (!ReadFile(readyPath, text) || text.find('\n') == std::string::npos) {
    if (!IsRunning()) {
      error = "zelvane-sim ended before it was ready: " + TailOf(m_logPath);
      return false;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error = "zelvane-sim wrote no ready file within 60 s";
      Stop();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Json::Value ready;
  if (!ParseJson(text, ready) || !ready["ports"].isObject()) {
    error = "unreadable ready file: " + text;
    Stop();
    return false;
  }
  m_ports.clear();
  for (const std::string& name : ready["ports"].getMemberNames()) m_ports[name] = ready["ports"][name].asInt();
  return true;
}

void CSimRunner::Stop() {
  Terminate(m_pid, 10000);
  RemoveTree(m_dir);
  m_dir.clear();
}

bool CSimRunner::IsRunning() { return Alive(m_pid); }

int CSimRunner::Port(const std::string& name) const {
  auto it = m_ports.find(name);
  return it == m_ports.end() ? 0 : it->second;
}

Json::Value CSimRunner::Admin(const std::string& route, const Json::Value& body) const {
  Json::Value failed(Json::objectValue);
  failed["ok"] = false;
  CURL* curl = curl_easy_init();
  if (!curl) {
    failed["error"] = "curl_easy_init failed";
    return failed;
  }
  const std::string url = "http://127.0.0.1:" + std::to_string(Port("admin")) + "/" + route;
  const std::string payload = ToJsonLine(body);
  std::string answer;
  curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, payload.c_str());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE, static_cast<long>(payload.size()));
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 30000L);
  curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);
  CURLcode code = curl_easy_perform(curl);
  curl_slist_free_all(headers);
  curl_easy_cleanup(curl);
  Json::Value parsed;
  if (code != CURLE_OK) {
    failed["error"] = std::string("admin ") + route + ": " + curl_easy_strerror(code);
    return failed;
  }
  if (!ParseJson(answer, parsed) || !parsed.isObject()) {
    failed["error"] = "admin " + route + " answered: " + answer;
    return failed;
  }
  return parsed;
}

bool CClientProcess::Start(const ClientOptions& options, const CSimRunner& sim, std::string& error) {
  Stop();
  const std::string exe = options.program.empty() ? PlayerExecutable() : options.program;
  if (access(exe.c_str(), X_OK) != 0) {
    error = "no client program at " + exe;
    return false;
  }
  std::map<std::string, std::string> env;
  if (sim.Port("account") > 0) {
    const std::string web = "http://127.0.0.1:" + std::to_string(sim.Port("web"));
    env["ZELVANE_ACCOUNT_HOST"] = "127.0.0.1";
    env["ZELVANE_ACCOUNT_PORT"] = std::to_string(sim.Port("account"));
    env["ZELVANE_PAYMENT_HOST"] = "127.0.0.1";
    env["ZELVANE_PAYMENT_PORT"] = std::to_string(sim.Port("payment"));
    env["ZELVANE_WEB_BASE"] = web;
    env["ZELVANE_CHAT_URL"] = web + "/chat/index.html";
  }
  if (!options.configDir.empty()) env["XDG_CONFIG_HOME"] = options.configDir;
  if (options.headless) env["QT_QPA_PLATFORM"] = "offscreen";
  if (!options.socketPath.empty()) env["ZELVANE_AUTOMATION"] = options.socketPath;
  for (const auto& [name, value] : options.environment) env[name] = value;
  std::vector<std::string> unset;
  if (options.socketPath.empty()) unset.push_back("ZELVANE_AUTOMATION");
  if (!options.headless && !options.environment.count("QT_QPA_PLATFORM")) unset.push_back("QT_QPA_PLATFORM");
  m_logPath = options.logPath;
  std::vector<std::string> argv{exe};
  argv.insert(argv.end(), options.arguments.begin(), options.arguments.end());
  m_pid = Spawn(argv, env, unset, options.workDir, options.logPath);
  if (m_pid < 0) {
    error = "fork failed";
    return false;
  }
  return true;
}

int CClientProcess::Stop(int graceMs) { return Terminate(m_pid, graceMs); }

bool CClientProcess::WaitExit(int timeoutMs, int* status) {
  if (m_pid <= 0) return true;
  int s = 0;
  if (!WaitPid(m_pid, timeoutMs, &s)) return false;
  m_pid = -1;
  if (status) *status = ExitCodeOf(s);
  return true;
}

bool CClientProcess::IsRunning() { return Alive(m_pid); }

long CClientProcess::PeakResidentKb() const {
  std::ifstream in("/proc/" + std::to_string(m_pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  return -1;
}

bool CHarness::Start(const Json::Value& scenario, std::string& error, bool headless) {
  Stop();
  m_dir = MakeTempDir("zv-e2e");
  if (m_dir.empty()) {
    error = "cannot make a temporary folder";
    return false;
  }
  m_options = ClientOptions();
  m_options.headless = headless;
  m_options.configDir = m_dir + "/config";
  m_options.socketPath = m_dir + "/automation.sock";
  m_options.logPath = m_dir + "/client.log";
  std::filesystem::create_directories(m_options.configDir);
  if (!m_sim.Start(scenario, BinaryDir() + "/certs", error)) return false;
  m_options.workDir = m_sim.CertDir();
  return StartClient(error);
}

bool CHarness::StartClient(std::string& error) {
  StopClient();
  if (!m_client.Start(m_options, m_sim, error)) return false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!m_ui.Connect(m_options.socketPath, 200, error)) {
    if (!m_client.IsRunning()) {
      error = "the client ended before its automation socket opened: " + ClientLog();
      return false;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error += "; " + ClientLog();
      return false;
    }
  }
  return true;
}

void CHarness::StopClient() {
  m_ui.Close();
  m_client.Stop();
  unlink(m_options.socketPath.c_str());
}

bool CHarness::RestartClient(std::string& error) { return StartClient(error); }

void CHarness::Stop() {
  StopClient();
  m_sim.Stop();
  RemoveTree(m_dir);
  m_dir.clear();
}

}  // namespace zv::automation
