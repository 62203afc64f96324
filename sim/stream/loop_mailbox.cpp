#include "sim/stream/loop_mailbox.h"

#include <event2/event.h>
#include <fcntl.h>
#include <unistd.h>

namespace zv::sim::rtmp {

CLoopMailbox::~CLoopMailbox() {
  if (m_event) event_free(m_event);
  for (int fd : m_fds) {
    if (fd >= 0) close(fd);
  }
}

bool CLoopMailbox::Open(event_base* base) {
  if (pipe2(m_fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  m_event = event_new(base, m_fds[0], EV_READ | EV_PERSIST, &CLoopMailbox::OnReadable, this);
  return m_event && event_add(m_event, nullptr) == 0;
}

bool CLoopMailbox::Post(Task task) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_tasks.size() >= kCapacity) return false;
  m_tasks.push_back(std::move(task));
  if (!m_signalled) {
    m_signalled = true;
    const char byte = 1;
    // The pipe holds at most one byte per wake-up, so it never fills.
    [[maybe_unused]] ssize_t n = write(m_fds[1], &byte, 1);
  }
  return true;
}

void CLoopMailbox::OnReadable(int, short, void* self) {
  static_cast<CLoopMailbox*>(self)->Drain();
}

void CLoopMailbox::Drain() {
  char sink[64];
  while (read(m_fds[0], sink, sizeof(sink)) > 0) {
  }
  std::deque<Task> tasks;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    tasks.swap(m_tasks);
    m_signalled = false;
  }
  for (Task& task : tasks) task();
}

}  // namespace zv::sim::rtmp
