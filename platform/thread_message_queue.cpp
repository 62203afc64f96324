#include "platform/thread_message_queue.h"

namespace zv {

bool CThreadMessageQueue::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_quit) return false;
    m_queue.push_back(ThreadMessage{message, wParam, lParam});
  }
  m_cv.notify_all();
  return true;
}

bool CThreadMessageQueue::SetTimer(uint32_t id, uint32_t elapseMs) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_quit) return false;
    auto interval = std::chrono::milliseconds(elapseMs == 0 ? 1 : elapseMs);
    m_timers[id] = Timer{interval, Clock::now() + interval};
  }
  m_cv.notify_all();
  return true;
}

bool CThreadMessageQueue::KillTimer(uint32_t id) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_timers.erase(id) > 0;
}

void CThreadMessageQueue::Quit(int exitCode) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_quit) return;
    m_quit = true;
    m_exitCode = exitCode;
  }
  m_cv.notify_all();
}

int CThreadMessageQueue::ExitCode() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_exitCode;
}

size_t CThreadMessageQueue::Pending() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_queue.size();
}

bool CThreadMessageQueue::TakeLocked(ThreadMessage& out, Clock::time_point now) {
  if (!m_queue.empty()) {
    out = m_queue.front();
    m_queue.pop_front();
    return true;
  }
  if (m_quit) return false;
  auto earliest = m_timers.end();
  for (auto it = m_timers.begin(); it != m_timers.end(); ++it)
    if (it->second.due <= now && (earliest == m_timers.end() || it->second.due < earliest->second.due)) earliest = it;
  if (earliest == m_timers.end()) return false;
  earliest->second.due = now + earliest->second.interval;
  out = ThreadMessage{THREAD_WM_TIMER, earliest->first, 0};
  return true;
}

CThreadMessageQueue::WaitResult CThreadMessageQueue::WaitUntil(ThreadMessage& out, const Clock::time_point* deadline) {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    Clock::time_point now = Clock::now();
    if (TakeLocked(out, now)) return WaitResult::Message;
    if (m_quit) {
      m_quitTaken = true;
      out = ThreadMessage{THREAD_WM_QUIT, static_cast<uintptr_t>(m_exitCode), 0};
      return WaitResult::Quit;
    }
    Clock::time_point wake = Clock::time_point::max();
    for (const auto& [id, t] : m_timers) wake = std::min(wake, t.due);
    if (deadline) {
      if (now >= *deadline) return WaitResult::Timeout;
      wake = std::min(wake, *deadline);
    }
    if (wake == Clock::time_point::max()) m_cv.wait(lock);
    else m_cv.wait_until(lock, wake);
  }
}

bool CThreadMessageQueue::Get(ThreadMessage& out) { return WaitUntil(out, nullptr) == WaitResult::Message; }

CThreadMessageQueue::WaitResult CThreadMessageQueue::GetFor(ThreadMessage& out, std::chrono::milliseconds timeout) {
  Clock::time_point deadline = Clock::now() + timeout;
  return WaitUntil(out, &deadline);
}

}  // namespace zv
