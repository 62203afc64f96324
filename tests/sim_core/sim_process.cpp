#include "tests/sim_core/sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zv::sim::test {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value && *value ? value : fallback;
}

bool ReadLine(int fd, std::string& line, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  char c = 0;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 100) <= 0) continue;
    ssize_t n = read(fd, &c, 1);
    if (n <= 0) return false;
    if (c == '\n') return true;
    line += c;
  }
  return false;
}

}  // namespace

std::string SourceDir() {
  return EnvOr("ZELVANE_SOURCE_DIR", ZV_SOURCE_DIR);
}
std::string BinaryDir() {
  return EnvOr("ZELVANE_BINARY_DIR", ZV_BINARY_DIR);
}

Json::Value DefaultScenario() {
  std::ifstream in(SourceDir() + "/sim/scenarios/default.json");
  Json::Value scenario;
  Json::CharReaderBuilder builder;
  std::string errors;
  Json::parseFromStream(builder, in, &scenario, &errors);
  for (const auto& name : scenario["ports"].getMemberNames()) scenario["ports"][name] = 0;
  return scenario;
}

bool CSimProcess::Start(const Json::Value& given, std::string& error) {
  // Listeners the test's scenario does not name would take the standard ports; tests run
  // side by side, so those get ephemeral ones.
  Json::Value scenario = given;
  for (const char* name : {"account", "payment", "admin", "web", "control", "rtmp"})
    if (!scenario["ports"].isMember(name)) scenario["ports"][name] = 0;
  m_certDir = BinaryDir() + "/certs";
  std::string command = "bash '" + SourceDir() + "/scripts/gen-certs.sh' '" + m_certDir + "'";
  if (std::system(command.c_str()) != 0) {
    error = "gen-certs.sh failed";
    return false;
  }
  char pattern[] = "/tmp/zv-sim-test-XXXXXX";
  if (!mkdtemp(pattern)) {
    error = "mkdtemp failed";
    return false;
  }
  m_dir = pattern;
  const std::string scenarioPath = m_dir + "/scenario.json";
  const std::string readyPath = m_dir + "/ready.json";
  {
    std::ofstream out(scenarioPath);
    out << scenario.toStyledString();
  }
  int out[2];
  if (pipe(out) != 0) {
    error = "pipe failed";
    return false;
  }
  // ZELVANE_SIM_EXE runs the same tests against another build of the sim.
  const std::string exe = EnvOr("ZELVANE_SIM_EXE", ZV_SIM_EXE);
  m_pid = fork();
  if (m_pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execl(exe.c_str(), exe.c_str(), "--scenario", scenarioPath.c_str(), "--certs", m_certDir.c_str(),
          "--ready-file", readyPath.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  bool gotLine = ReadLine(out[0], m_readyLine, 30000);
  close(out[0]);
  if (!gotLine) {
    error = "no ready line from zelvane-sim";
    return false;
  }
  std::ifstream ready(readyPath);
  std::getline(ready, m_readyFileText);
  Json::Value parsed;
  std::istringstream stream(m_readyLine);
  Json::CharReaderBuilder builder;
  std::string errors;
  if (!Json::parseFromStream(builder, stream, &parsed, &errors) || !parsed["ports"].isObject()) {
    error = "unreadable ready line: " + m_readyLine;
    return false;
  }
  for (const auto& name : parsed["ports"].getMemberNames()) m_ports[name] = parsed["ports"][name].asInt();
  return true;
}

int CSimProcess::Stop(int signal) {
  if (m_pid <= 0) return -1;
  kill(m_pid, signal);
  int status = 0;
  waitpid(m_pid, &status, 0);
  m_pid = -1;
  if (!m_dir.empty()) {
    std::system(("rm -rf '" + m_dir + "'").c_str());
    m_dir.clear();
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int CSimProcess::Port(const std::string& name) const {
  auto it = m_ports.find(name);
  return it == m_ports.end() ? 0 : it->second;
}

}  // namespace zv::sim::test
