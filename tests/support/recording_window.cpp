#include "tests/support/recording_window.h"

namespace zv::test {

RecordingWindow::RecordingWindow() : m_thread([this] { Loop(); }) {}

RecordingWindow::~RecordingWindow() {
  if (m_attached) CMainWindowNotifier::Instance().SetTarget(nullptr);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_cv.notify_all();
  m_thread.join();
}

void RecordingWindow::Attach() {
  CMainWindowNotifier::Instance().SetTarget(this);
  m_attached = true;
}

void RecordingWindow::PostEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.push_back(Item{{message, wParam, lParam, false}});
  }
  m_cv.notify_all();
}

intptr_t RecordingWindow::SendEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  RecordedEvent event{message, wParam, lParam, true};
  if (OnWindowThread()) {
    Handler handler;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      handler = m_handler;
    }
    intptr_t result = handler ? handler(event) : 0;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(event);
    m_cv.notify_all();
    return result;
  }
  bool done = false;
  intptr_t result = 0;
  std::unique_lock<std::mutex> lock(m_mutex);
  if (m_stop) return 0;
  m_queue.push_back(Item{event, &done, &result});
  m_cv.notify_all();
  m_cv.wait(lock, [&] { return done || m_stop; });
  return result;
}

void RecordingWindow::SetHandler(Handler handler) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_handler = std::move(handler);
}

std::vector<RecordedEvent> RecordingWindow::Events() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_events;
}

std::vector<uint32_t> RecordingWindow::Messages() {
  std::lock_guard<std::mutex> lock(m_mutex);
  std::vector<uint32_t> messages;
  for (const auto& e : m_events) messages.push_back(e.message);
  return messages;
}

size_t RecordingWindow::Count(uint32_t message) {
  std::lock_guard<std::mutex> lock(m_mutex);
  size_t n = 0;
  for (const auto& e : m_events) n += e.message == message;
  return n;
}

bool RecordingWindow::WaitFor(const std::function<bool(const std::vector<RecordedEvent>&)>& pred,
                              std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_cv.wait_for(lock, timeout, [&] { return pred(m_events); });
}

bool RecordingWindow::WaitForMessage(uint32_t message, std::chrono::milliseconds timeout) {
  return WaitFor(
      [message](const std::vector<RecordedEvent>& events) {
        for (const auto& e : events)
          if (e.message == message) return true;
        return false;
      },
      timeout);
}

void RecordingWindow::Clear() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_events.clear();
}

void RecordingWindow::Loop() {
  std::unique_lock<std::mutex> lock(m_mutex);
  for (;;) {
    m_cv.wait(lock, [&] { return m_stop || !m_queue.empty(); });
    if (m_stop) {
      // Release blocked senders so that no worker hangs on a window that is gone.
      for (auto& item : m_queue)
        if (item.done) *item.done = true;
      m_queue.clear();
      m_cv.notify_all();
      return;
    }
    Item item = m_queue.front();
    m_queue.pop_front();
    Handler handler = m_handler;
    lock.unlock();
    intptr_t result = handler ? handler(item.event) : 0;
    lock.lock();
    m_events.push_back(item.event);
    if (item.done) {
      *item.result = result;
      *item.done = true;
    }
    m_cv.notify_all();
  }
}

}  // namespace zv::test
