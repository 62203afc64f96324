// A worker thread's own message queue with thread timers, as the notice worker uses it:
// post from any thread, wait for the next message, timers by id delivered as WM_TIMER.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

namespace zv {

struct ThreadMessage {
  uint32_t message = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

constexpr uint32_t THREAD_WM_QUIT = 0x0012;
constexpr uint32_t THREAD_WM_TIMER = 0x0113;

class CThreadMessageQueue {
 public:
  enum class WaitResult { Message, Quit, Timeout };

  // Fails only after Quit.
  bool Post(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  // Waits for the next message; false once the quit request has been taken.
  bool Get(ThreadMessage& out);
  WaitResult GetFor(ThreadMessage& out, std::chrono::milliseconds timeout);
  // Posted messages come before timers; a due timer yields one WM_TIMER (wParam = id)
  // and is rearmed from that moment, so a slow reader never sees a backlog.
  bool SetTimer(uint32_t id, uint32_t elapseMs);
  bool KillTimer(uint32_t id);
  void Quit(int exitCode = 0);
  int ExitCode() const;
  size_t Pending() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    std::chrono::milliseconds interval;
    Clock::time_point due;
  };
  bool TakeLocked(ThreadMessage& out, Clock::time_point now);
  WaitResult WaitUntil(ThreadMessage& out, const Clock::time_point* deadline);

  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  std::deque<ThreadMessage> m_queue;
  std::map<uint32_t, Timer> m_timers;
  bool m_quit = false;
  bool m_quitTaken = false;
  int m_exitCode = 0;
};

}  // namespace zv
