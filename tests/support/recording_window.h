// A stand-in for the main window: it runs its own "window thread", handles posted and
// sent events there in order, and records them. Send from another thread blocks until the
// handler has run, as with the real window.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "app/main_window_notifier.h"

namespace zv::test {

struct RecordedEvent {
  uint32_t message;
  uintptr_t wParam;
  intptr_t lParam;
  bool sent;
};

class RecordingWindow : public IMainWindowTarget {
 public:
  using Handler = std::function<intptr_t(const RecordedEvent&)>;

  RecordingWindow();
  ~RecordingWindow() override;

  // Installs this window as the notifier's target for its lifetime.
  void Attach();

  void PostEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  intptr_t SendEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

  // Runs on the window thread for every event before it is recorded.
  void SetHandler(Handler handler);

  std::vector<RecordedEvent> Events();
  std::vector<uint32_t> Messages();
  size_t Count(uint32_t message);
  // Waits until pred(events) holds or the timeout passes; returns pred's last answer.
  bool WaitFor(const std::function<bool(const std::vector<RecordedEvent>&)>& pred,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
  bool WaitForMessage(uint32_t message, std::chrono::milliseconds timeout = std::chrono::seconds(10));
  void Clear();
  bool OnWindowThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

 private:
  struct Item {
    RecordedEvent event;
    bool* done = nullptr;
    intptr_t* result = nullptr;
  };
  void Loop();

  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::deque<Item> m_queue;
  std::vector<RecordedEvent> m_events;
  Handler m_handler;
  bool m_stop = false;
  bool m_attached = false;
  std::thread m_thread;
};

}  // namespace zv::test
