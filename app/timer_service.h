// Named periodic timers that run their callbacks on a thread of their own, independent
// of any window or message loop.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

namespace zv {

using TimerCallback = void (*)(void* userData);

class CTimerService {
 public:
  static CTimerService& Instance();

  // A known id only gets the new interval; otherwise a new timer thread starts. Always 0.
  int Set(int32_t id, uint32_t intervalMs, TimerCallback callback, void* userData);
  // Stops the timer behind id (its thread ends within one slice). Always 0.
  int Kill(int32_t id);

  bool IsSet(int32_t id);
  // Timer threads still running, stopping ones included.
  static int RunningThreads();

  // Tests replace the slice sleep to check the slicing without waiting in real time.
  using SleepFunction = std::function<void(uint32_t ms)>;
  static void SetSleepFunctionForTesting(SleepFunction sleep);

 private:
  struct Record {
    int32_t id;
    std::atomic<uint32_t> interval;
    std::atomic<bool> active;
    TimerCallback callback;
    void* userData;
  };

  CTimerService() = default;
  static void Run(Record* record);

  std::mutex m_mutex;
  bool m_initialized = false;
  std::map<int32_t, Record*> m_timers;  // not owning: each record belongs to its thread
};

}  // namespace zv
