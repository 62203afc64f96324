#include "tests/control/test_sim_context.h"

#include <event2/thread.h>

#include <future>

namespace zv::test {

TestSimContext::TestSimContext(Json::Value scenario) : m_scenario(std::move(scenario)) {
  evthread_use_pthreads();
  m_base = event_base_new();
  bus.onStreamReady = [this](const std::string& pad, const std::string& session, int number) {
    Record("ready " + pad + " " + session + " " + std::to_string(number));
  };
  bus.onPointer = [this](const std::string& pad, int action, int x, int y) {
    Record("pointer " + pad + " " + std::to_string(action) + " " + std::to_string(x) + " " +
           std::to_string(y));
  };
  bus.onKey = [this](const std::string& pad, int code, bool down) {
    Record("key " + pad + " " + std::to_string(code) + (down ? " down" : " up"));
  };
  bus.onQuality = [this](const std::string& pad, int value) {
    Record("quality " + pad + " " + std::to_string(value));
  };
  bus.onControlClosed = [this](const std::string& pad) { Record("closed " + pad); };
}

TestSimContext::~TestSimContext() {
  if (m_thread.joinable()) {
    RunOnLoop([this] { event_base_loopbreak(m_base); });
    m_thread.join();
  }
  m_module.reset();
  event_base_free(m_base);
}

bool TestSimContext::Start(std::unique_ptr<sim::ISimModule> module, std::string& error) {
  m_module = std::move(module);
  if (!m_module->Start(*this, m_ports, error)) return false;
  m_thread = std::thread([this] { event_base_loop(m_base, EVLOOP_NO_EXIT_ON_EMPTY); });
  return true;
}

int TestSimContext::Port(const std::string& name) const {
  auto it = m_ports.find(name);
  return it == m_ports.end() ? 0 : it->second;
}

void TestSimContext::RunOnLoop(const std::function<void()>& work) {
  struct Job {
    const std::function<void()>* work;
    std::promise<void> done;
  } job{&work, {}};
  std::future<void> finished = job.done.get_future();
  event_base_once(
      m_base, -1, EV_TIMEOUT,
      [](evutil_socket_t, short, void* arg) {
        auto* j = static_cast<Job*>(arg);
        (*j->work)();
        j->done.set_value();
      },
      &job, nullptr);
  finished.wait();
}

Json::Value TestSimContext::Admin(const std::string& route, const Json::Value& body) {
  Json::Value answer;
  RunOnLoop([&] {
    auto it = m_routes.find(route);
    answer = it == m_routes.end() ? Json::Value() : it->second(body);
  });
  return answer;
}

void TestSimContext::Reset() {
  RunOnLoop([this] {
    for (auto& handler : m_resetHandlers) handler();
  });
}

void TestSimContext::AddLiveSession(const std::string& session) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_live.insert(session);
}

bool TestSimContext::IsSessionLive(const std::string& session) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_live.count(session) > 0;
}

void TestSimContext::AddAdminRoute(const std::string& path, sim::AdminHandler handler) {
  m_routes[path] = std::move(handler);
}

void TestSimContext::Record(std::string call) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_busCalls.push_back(std::move(call));
}

std::vector<std::string> TestSimContext::BusCalls() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_busCalls;
}

}  // namespace zv::test
