// Child processes for driving the whole system: zelvane-sim with a scenario on loopback
// and the ZelvanePlayer client pointed at it, each in a private temporary folder, each
// stopped by its own process id.
#pragma once

#include <json/json.h>
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "tools/automation_client.h"

namespace zv::automation {

// Where the built programs and the sources are: ZELVANE_SOURCE_DIR / ZELVANE_BINARY_DIR
// (set by ctest) or the folders this library was configured with;
// ZELVANE_SIM_EXE and ZELVANE_PLAYER_EXE name other builds of the two programs.
std::string SourceDir();
std::string BinaryDir();
std::string SimExecutable();
std::string PlayerExecutable();

// The demo scenario (sim/scenarios/default.json); with ephemeralPorts every listener
// binds a free port, so that several runs can share the machine.
Json::Value DemoScenario(bool ephemeralPorts, std::string& error);
// Sets adPlayTime of every device that has one above 0.
void SetAdTime(Json::Value& scenario, int seconds);
Json::Value* FindDevice(Json::Value& scenario, const std::string& padCode);

std::string MakeTempDir(const std::string& prefix);
void RemoveTree(const std::string& dir);
// The last bytes of a log file, for failure reports.
std::string TailOf(const std::string& path, size_t bytes = 4000);
// CLOCK_MONOTONIC in ms, the clock of the client's frame times.
long long MonotonicMs();

class CSimRunner {
 public:
  ~CSimRunner() { Stop(); }

  // Generates the certificates into certDir when missing, writes the scenario beside the
  // sim's log and waits for its ready file.
  bool Start(const Json::Value& scenario, const std::string& certDir, std::string& error);
  void Stop();
  bool IsRunning();

  int Port(const std::string& name) const;
  const std::string& CertDir() const { return m_certDir; }
  const std::string& LogPath() const { return m_logPath; }
  // POST http://127.0.0.1:<admin>/<route> with a JSON body; {"ok":false,...} on failure.
  Json::Value Admin(const std::string& route, const Json::Value& body = Json::Value(Json::objectValue)) const;
  // The admin route's list ("log" -> entries, "control/log" -> messages).
  Json::Value RequestLog() const { return Admin("log")["entries"]; }
  Json::Value NodeLog() const { return Admin("control/log")["messages"]; }

 private:
  pid_t m_pid = -1;
  std::string m_dir;
  std::string m_certDir;
  std::string m_logPath;
  std::map<std::string, int> m_ports;
};

struct ClientOptions {
  std::string program;         // empty: PlayerExecutable()
  std::vector<std::string> arguments;
  bool headless = true;        // QT_QPA_PLATFORM=offscreen
  std::string configDir;       // XDG_CONFIG_HOME; kept between starts of one suite
  std::string workDir;         // holds ca.crt, client.crt, client.key
  std::string socketPath;      // ZELVANE_AUTOMATION; empty for none
  std::string logPath;         // standard output and error; empty keeps the caller's
  std::map<std::string, std::string> environment;  // more variables, set last
};

class CClientProcess {
 public:
  ~CClientProcess() { Stop(); }

  bool Start(const ClientOptions& options, const CSimRunner& sim, std::string& error);
  // SIGTERM, then SIGKILL after graceMs; the exit status or -1.
  int Stop(int graceMs = 5000);
  // Waits for the program to end by itself; false when it still runs after timeoutMs.
  bool WaitExit(int timeoutMs, int* status = nullptr);
  bool IsRunning();
  pid_t Pid() const { return m_pid; }
  const std::string& LogPath() const { return m_logPath; }
  // VmHWM of /proc/<pid>/status in kB, or -1.
  long PeakResidentKb() const;

 private:
  pid_t m_pid = -1;
  std::string m_logPath;
};

// The sim, one client and the connection to its automation socket, in one temporary
// folder. A suite starts it once; RestartClient keeps the settings store.
class CHarness {
 public:
  ~CHarness() { Stop(); }

  bool Start(const Json::Value& scenario, std::string& error, bool headless = true);
  bool StartClient(std::string& error);
  void StopClient();
  bool RestartClient(std::string& error);
  void Stop();

  CSimRunner& Sim() { return m_sim; }
  CClientProcess& Client() { return m_client; }
  CAutomationClient& Ui() { return m_ui; }
  const std::string& Dir() const { return m_dir; }
  // The client's log tail, for failure messages.
  std::string ClientLog() const { return TailOf(m_client.LogPath()); }

 private:
  ClientOptions m_options;
  CSimRunner m_sim;
  CClientProcess m_client;
  CAutomationClient m_ui;
  std::string m_dir;
};

}  // namespace zv::automation
