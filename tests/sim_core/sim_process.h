// Starts the built zelvane-sim on ephemeral loopback ports with a copy of the default
// scenario, and stops it with SIGTERM.
#pragma once

#include <json/json.h>
#include <sys/types.h>

#include <csignal>
#include <map>
#include <string>

namespace zv::sim::test {

class CSimProcess {
 public:
  ~CSimProcess() { Stop(); }

  // Generates the certificates when missing; false with a reason on failure.
  bool Start(const Json::Value& scenario, std::string& error);
  // The signal (SIGTERM unless told) and wait; the exit status, or -1 when it did not
  // exit normally.
  int Stop(int signal = SIGTERM);

  int Port(const std::string& name) const;
  const std::string& ReadyLine() const { return m_readyLine; }
  const std::string& ReadyFileText() const { return m_readyFileText; }
  const std::string& CertDir() const { return m_certDir; }

 private:
  pid_t m_pid = -1;
  std::string m_dir;
  std::string m_certDir;
  std::string m_readyLine;
  std::string m_readyFileText;
  std::map<std::string, int> m_ports;
};

// The default scenario with every port set to 0.
Json::Value DefaultScenario();
std::string SourceDir();
std::string BinaryDir();

}  // namespace zv::sim::test
