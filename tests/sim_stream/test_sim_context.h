// A SimContext of the tests' own: an event base on a thread of its own, a scenario, the
// set of live sessions and the admin routes, so that the stream module runs exactly as in
// zelvane-sim while the test drives it from its own thread.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "sim/sim_module.h"

namespace zv::sim::test {

class CTestSimContext : public SimContext {
 public:
  explicit CTestSimContext(Json::Value scenario);
  ~CTestSimContext() override;

  // Starts the module on the loop thread; false with the module's reason.
  bool StartModule(ISimModule& module, std::string& error);
  int Port(const std::string& name) const;

  // Runs fn on the loop thread and waits for it.
  void RunOnLoop(const std::function<void()>& fn);
  Json::Value Admin(const std::string& route, const Json::Value& body = Json::Value(Json::objectValue));
  void Reset();

  void SetSessionLive(const std::string& session, bool live);

  event_base* Base() override { return m_base; }
  const Json::Value& Scenario() override { return m_scenario; }
  bool IsSessionLive(const std::string& session) override;
  void AddAdminRoute(const std::string& path, AdminHandler handler) override {
    m_routes[path] = std::move(handler);
  }
  void OnReset(std::function<void()> handler) override { m_resetHandlers.push_back(std::move(handler)); }

 private:
  event_base* m_base = nullptr;
  Json::Value m_scenario;
  std::map<std::string, int> m_ports;
  std::map<std::string, AdminHandler> m_routes;
  std::vector<std::function<void()>> m_resetHandlers;
  std::mutex m_mutex;
  std::set<std::string> m_live;
  std::thread m_loop;
};

}  // namespace zv::sim::test
