// The simulated platform's core: the scenario, the shared event base, the listeners of the
// account service, payment gateway, web site and admin interface, and the modules.
#pragma once

#include <json/json.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "sim/core/fault_injector.h"
#include "sim/core/request_log.h"
#include "sim/core/scenario.h"
#include "sim/core/tls_context.h"
#include "sim/sim_module.h"

struct event;

namespace zv::sim {

class CAdminServer;
class CAccountState;
class CHttpServer;

class CSimCore : public SimContext {
 public:
  CSimCore();
  ~CSimCore() override;
  CSimCore(const CSimCore&) = delete;
  CSimCore& operator=(const CSimCore&) = delete;

  // Reads the scenario and the TLS files; nothing is bound yet.
  bool Load(const std::string& scenarioPath, const std::string& certDir, std::string& error);
  void AddModule(std::unique_ptr<ISimModule> module);
  // Binds every listener on 127.0.0.1 and starts the modules.
  bool Start(std::string& error);
  // {"ready":true,"ports":{...}} with the ports actually bound.
  std::string ReadyLine() const;
  // Runs the loop until SIGTERM or SIGINT (or Stop); returns the exit status.
  int Run();
  void Stop();

  const PortMap& Ports() const { return m_ports; }
  // One admin request without HTTP, as the admin listener would answer it.
  Json::Value AdminCall(const std::string& route, const Json::Value& body);
  CAccountState& Accounts() { return *m_accounts; }
  CRequestLog& Log() { return m_log; }

  event_base* Base() override { return m_base; }
  const Json::Value& Scenario() override { return m_scenario; }
  bool IsSessionLive(const std::string& session) override;
  void AddAdminRoute(const std::string& path, AdminHandler handler) override;
  void OnReset(std::function<void()> handler) override { m_resetHandlers.push_back(std::move(handler)); }
  std::string ExpandPorts(const std::string& text) override { return ExpandPortText(text, m_answerPorts); }

 private:
  void AddCoreRoutes();
  void RefreshAnswerPorts();
  Json::Value Reset();
  Json::Value StateSnapshot();
  static void OnSignal(int signal, short what, void* self);

  struct Services;

  event_base* m_base = nullptr;
  Json::Value m_loaded;    // as read from the file, for "reset"
  Json::Value m_scenario;  // as the modules see it
  SslCtxPtr m_tls;
  PortMap m_ports;        // actually bound
  PortMap m_answerPorts;  // what answers name: bound ports, else the scenario's
  CRequestLog m_log;
  CFaultInjector m_faults;
  std::unique_ptr<CAccountState> m_accounts;
  std::unique_ptr<Services> m_services;
  std::unique_ptr<CAdminServer> m_admin;
  std::vector<std::unique_ptr<CHttpServer>> m_servers;
  std::vector<std::unique_ptr<ISimModule>> m_modules;
  std::vector<std::function<void()>> m_resetHandlers;
  std::vector<event*> m_signals;
};

}  // namespace zv::sim
