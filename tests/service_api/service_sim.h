// The simulated platform for the service client's integration tests: its own scenario on
// ephemeral loopback ports, certificates in a temporary folder, and one working folder per
// TLS set-up (the client opens its TLS files relative to the current directory).
#pragma once

#include <json/value.h>
#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

namespace zv::test {

class CServiceSim {
 public:
  ~CServiceSim() { Stop(); }

  bool Start(std::string& error);
  void Stop();

  int Port(const std::string& name) const;
  // A working folder: "good" (the client's own files), "nocert" (only the CA),
  // "badpass" (the key under another pass phrase), "otherclient" (a client of another
  // CA), "otherca" (trusting another CA than the server's).
  std::string Folder(const std::string& name) const { return m_dir + "/" + name; }

  // POST /<route> to the admin interface; null on failure.
  Json::Value Admin(const std::string& route, const Json::Value& body = Json::Value(Json::objectValue)) const;
  // The account and payment requests of the log, in arrival order.
  std::vector<Json::Value> Log() const;

 private:
  bool MakeFolders(std::string& error);
  bool Launch(std::string& error);

  pid_t m_pid = -1;
  std::string m_dir;
  std::map<std::string, int> m_ports;
};

}  // namespace zv::test
