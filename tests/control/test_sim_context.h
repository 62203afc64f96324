// A small SimContext of the tests' own: an event base run by its own thread, admin routes
// kept in a map and called on that thread, a set of live sessions, and a record of what
// the modules told the simulated phone.
#pragma once

#include <event2/event.h>
#include <json/json.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_module.h"

namespace zv::test {

class TestSimContext : public sim::SimContext {
 public:
  explicit TestSimContext(Json::Value scenario);
  ~TestSimContext() override;

  // Starts the module on the base, then the loop thread.
  bool Start(std::unique_ptr<sim::ISimModule> module, std::string& error);
  int Port(const std::string& name) const;

  // Runs on the loop thread and waits for it.
  void RunOnLoop(const std::function<void()>& work);
  Json::Value Admin(const std::string& route, const Json::Value& body = Json::Value(Json::objectValue));
  void Reset();

  void AddLiveSession(const std::string& session);
  // What the bus was told, one text per call, e.g. "pointer PAD-1 1 10 20".
  std::vector<std::string> BusCalls();

  event_base* Base() override { return m_base; }
  const Json::Value& Scenario() override { return m_scenario; }
  bool IsSessionLive(const std::string& session) override;
  void AddAdminRoute(const std::string& path, sim::AdminHandler handler) override;
  void OnReset(std::function<void()> handler) override { m_resetHandlers.push_back(std::move(handler)); }

 private:
  void Record(std::string call);

  event_base* m_base = nullptr;
  Json::Value m_scenario;
  std::unique_ptr<sim::ISimModule> m_module;
  std::map<std::string, int> m_ports;
  std::map<std::string, sim::AdminHandler> m_routes;
  std::vector<std::function<void()>> m_resetHandlers;
  std::mutex m_mutex;
  std::set<std::string> m_live;
  std::vector<std::string> m_busCalls;
  std::thread m_thread;
};

}  // namespace zv::test
