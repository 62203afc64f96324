#include "app/timer_service.h"

#include <chrono>
#include <thread>

namespace zv {

namespace {

constexpr uint32_t kSliceMs = 100;

std::atomic<int> g_running{0};
std::mutex g_sleepMutex;
CTimerService::SleepFunction g_sleep;

void SleepSlice(uint32_t ms) {
  CTimerService::SleepFunction sleep;
  {
    std::lock_guard<std::mutex> lock(g_sleepMutex);
    sleep = g_sleep;
  }
  if (sleep) {
    sleep(ms);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  }
}

}  // namespace

CTimerService& CTimerService::Instance() {
  static CTimerService* instance = new CTimerService();  // never torn down: timer threads may outlive exit
  return *instance;
}

void CTimerService::SetSleepFunctionForTesting(SleepFunction sleep) {
  std::lock_guard<std::mutex> lock(g_sleepMutex);
  g_sleep = std::move(sleep);
}

int CTimerService::Set(int32_t id, uint32_t intervalMs, TimerCallback callback, void* userData) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_initialized = true;
  auto it = m_timers.find(id);
  if (it != m_timers.end()) {
    // A record in the map is still active, so its thread cannot have freed it.
    it->second->interval.store(intervalMs);
    return 0;
  }
  auto* record = new Record{id, {intervalMs}, {true}, callback, userData};
  m_timers.emplace(id, record);
  g_running.fetch_add(1);
  std::thread(&CTimerService::Run, record).detach();
  return 0;
}

int CTimerService::Kill(int32_t id) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_initialized = true;
  auto it = m_timers.find(id);
  if (it != m_timers.end()) {
    it->second->active.store(false);
    m_timers.erase(it);
  }
  return 0;
}

int CTimerService::RunningThreads() { return g_running.load(); }

bool CTimerService::IsSet(int32_t id) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_timers.count(id) != 0;
}

void CTimerService::Run(Record* record) {
  while (record->active.load()) {
    uint32_t remaining = record->interval.load();
    do {
      SleepSlice(remaining < kSliceMs ? remaining : kSliceMs);
      remaining -= kSliceMs;  // unsigned: a period of 100 ms or less wraps and is clamped below
      uint32_t interval = record->interval.load();
      if (interval < remaining) remaining = interval;
    } while (record->active.load() && remaining > kSliceMs);
    if (record->active.load()) record->callback(record->userData);
  }
  delete record;
  g_running.fetch_sub(1);
}

}  // namespace zv
