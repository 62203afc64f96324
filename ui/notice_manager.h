// The notice worker: while a user is logged in it polls the user's notices on its own
// thread, tells the main window about unread ones and reports notices shown as read.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "api/app_context.h"
#include "platform/thread_message_queue.h"

namespace zv {

constexpr uint32_t kNoticeFirstPollIntervalMs = 60000;
constexpr uint32_t kNoticeLaterPollIntervalMs = 300000;

class NoticeManager {
 public:
  static NoticeManager& Instance();
  NoticeManager(const NoticeManager&) = delete;
  NoticeManager& operator=(const NoticeManager&) = delete;

  // At a successful login: a new worker with first poll = 1. False when no thread could
  // be started. A worker still running is stopped first.
  bool Start();
  // At log-out, session timeout and when the main window closes. Never waits for the
  // worker, so it is safe on the window thread while the worker is blocked sending to it.
  void Stop();

  void CollectPopups();
  void CollectAll();
  bool HasUnreadPopups() const;
  bool HasUnreadOthers() const;
  // Reports the selection's notice at index as read, then stops the flicker when no
  // unread list-only notice is left.
  void MarkRead(int index);

  // What the notice window shows: copies of the popup set or of all notices.
  std::vector<NoticeInfo> Selection() const;
  bool SelectionAt(int index, NoticeInfo& out) const;
  size_t SelectionSize() const;

  bool IsRunning() const;
  // 1 from Start until the running worker's first successful poll; 0 without a worker.
  int32_t FirstPoll() const;
  // Waits until every worker, also the stopped ones, has ended; for shutdown and tests.
  bool WaitForWorkersToEnd(std::chrono::milliseconds timeout);

  void SetPollIntervalsForTesting(uint32_t firstMs, uint32_t laterMs);

 private:
  // One worker's own state: a Stop belongs to the worker it was meant for, however
  // quickly the next Start follows.
  struct Worker {
    CThreadMessageQueue queue;
    std::atomic<bool> stop{false};
    std::atomic<int32_t> firstPoll{1};
    uint32_t firstIntervalMs = kNoticeFirstPollIntervalMs;
    uint32_t laterIntervalMs = kNoticeLaterPollIntervalMs;
    // The userNoticeId texts of posted mark-read messages, by the token in wParam.
    std::mutex textMutex;
    std::map<uintptr_t, std::string> texts;
    uintptr_t nextToken = 1;
  };

  NoticeManager() = default;
  static void Run(std::shared_ptr<Worker> worker);
  static void Poll(Worker& worker);
  static void SendMarkRead(Worker& worker, uintptr_t token);
  static uint32_t IntervalFor(const Worker& worker);
  void WorkerEnded();
  std::shared_ptr<Worker> CurrentWorker() const;
  bool PostMarkRead(const std::string& userNoticeId);
  void SetSelection(std::vector<NoticeInfo> selection);

  mutable std::mutex m_mutex;  // worker pointer, selection, intervals
  std::shared_ptr<Worker> m_worker;
  std::vector<NoticeInfo> m_selection;
  uint32_t m_firstIntervalMs = kNoticeFirstPollIntervalMs;
  uint32_t m_laterIntervalMs = kNoticeLaterPollIntervalMs;

  std::mutex m_liveMutex;
  std::condition_variable m_liveCv;
  int m_liveWorkers = 0;
};

}  // namespace zv
