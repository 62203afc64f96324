#include "tests/sim_stream/test_sim_context.h"

#include <event2/event.h>
#include <event2/thread.h>

#include <future>

namespace zv::sim::test {
namespace {

struct LoopTask {
  std::function<void()> fn;
  std::promise<void> done;
};

void RunTask(int, short, void* arg) {
  auto* task = static_cast<LoopTask*>(arg);
  task->fn();
  task->done.set_value();
}

}  // namespace

CTestSimContext::CTestSimContext(Json::Value scenario) : m_scenario(std::move(scenario)) {
  // Only the test needs a thread-safe base: it posts work from its own thread.
  evthread_use_pthreads();
  m_base = event_base_new();
  m_loop = std::thread([this] { event_base_loop(m_base, EVLOOP_NO_EXIT_ON_EMPTY); });
}

CTestSimContext::~CTestSimContext() {
  event_base_loopbreak(m_base);
  m_loop.join();
  event_base_free(m_base);
}

void CTestSimContext::RunOnLoop(const std::function<void()>& fn) {
  LoopTask task{fn, {}};
  std::future<void> done = task.done.get_future();
  const timeval now{0, 0};
  event_base_once(m_base, -1, EV_TIMEOUT, &RunTask, &task, &now);
  done.wait();
}

bool CTestSimContext::StartModule(ISimModule& module, std::string& error) {
  bool ok = false;
  RunOnLoop([&] { ok = module.Start(*this, m_ports, error); });
  return ok;
}

int CTestSimContext::Port(const std::string& name) const {
  auto it = m_ports.find(name);
  return it == m_ports.end() ? 0 : it->second;
}

Json::Value CTestSimContext::Admin(const std::string& route, const Json::Value& body) {
  Json::Value answer;
  RunOnLoop([&] {
    auto it = m_routes.find(route);
    if (it == m_routes.end()) {
      answer["ok"] = false;
      answer["error"] = "no route " + route;
    } else {
      answer = it->second(body);
    }
  });
  return answer;
}

void CTestSimContext::Reset() {
  RunOnLoop([&] {
    for (auto& handler : m_resetHandlers) handler();
  });
}

void CTestSimContext::SetSessionLive(const std::string& session, bool live) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (live) {
    m_live.insert(session);
  } else {
    m_live.erase(session);
  }
}

bool CTestSimContext::IsSessionLive(const std::string& session) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_live.count(session) != 0;
}

}  // namespace zv::sim::test
