// Hands work from other threads (the phones' encoders) to the event loop thread. It
// wakes the loop through a pipe, so it needs no threading support in the event base.
#pragma once

#include <deque>
#include <functional>
#include <mutex>

struct event;
struct event_base;

namespace zv::sim::rtmp {

class CLoopMailbox {
 public:
  using Task = std::function<void()>;

  CLoopMailbox() = default;
  ~CLoopMailbox();
  CLoopMailbox(const CLoopMailbox&) = delete;
  CLoopMailbox& operator=(const CLoopMailbox&) = delete;

  bool Open(event_base* base);
  // Any thread. Past capacity the task is dropped and false returned: a stuck loop must
  // not make the producers grow memory without bound.
  bool Post(Task task);

 private:
  static void OnReadable(int fd, short what, void* self);
  void Drain();

  static constexpr size_t kCapacity = 256;
  int m_fds[2] = {-1, -1};
  event* m_event = nullptr;
  std::mutex m_mutex;
  std::deque<Task> m_tasks;
  bool m_signalled = false;
};

}  // namespace zv::sim::rtmp
