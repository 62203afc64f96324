#include "ui/notice_manager.h"

#include <system_error>
#include <thread>
#include <utility>

#include "api/notice_lock.h"
#include "api/service_api.h"
#include "app/events.h"
#include "app/main_window_notifier.h"

namespace zv {

namespace {

constexpr int32_t kUnread = 4;
constexpr int32_t kRead = 3;
constexpr int32_t kPopUp = 1;
constexpr int32_t kListOnly = 2;
// Posted by Stop so that a worker waiting for its next timer ends at once.
constexpr uint32_t kWakeUp = 0;

bool AnyUnread(int32_t popMode) {
  std::lock_guard<std::mutex> lock(NoticeListMutex());
  for (const NoticeInfo& notice : CAppContext::Instance().noticeList)
    if (notice.readState == kUnread && notice.popMode == popMode) return true;
  return false;
}

}  // namespace

NoticeManager& NoticeManager::Instance() {
  static NoticeManager* manager = new NoticeManager;  // outlives detached workers at exit
  return *manager;
}

bool NoticeManager::Start() {
  Stop();
  auto worker = std::make_shared<Worker>();
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    worker->firstIntervalMs = m_firstIntervalMs;
    worker->laterIntervalMs = m_laterIntervalMs;
  }
  {
    std::lock_guard<std::mutex> lock(m_liveMutex);
    ++m_liveWorkers;
  }
  try {
    std::thread(Run, worker).detach();
  } catch (const std::system_error&) {
    WorkerEnded();
    return false;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  m_worker = std::move(worker);
  return true;
}

void NoticeManager::Stop() {
  std::shared_ptr<Worker> worker;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    worker = std::move(m_worker);
    m_worker.reset();
    m_selection.clear();
  }
  if (!worker) return;
  worker->stop.store(true);
  worker->queue.Post(kWakeUp);
}

void NoticeManager::Run(std::shared_ptr<Worker> worker) {
  Poll(*worker);
  worker->queue.SetTimer(TIMER_NOTICE_POLL, worker->firstIntervalMs);
  ThreadMessage message;
  while (worker->queue.Get(message)) {
    if (worker->stop.load()) break;
    if (message.message == THREAD_WM_TIMER && message.wParam == TIMER_NOTICE_POLL) {
      worker->queue.KillTimer(TIMER_NOTICE_POLL);
      worker->queue.SetTimer(TIMER_NOTICE_POLL, IntervalFor(*worker));
      Poll(*worker);
    } else if (message.message == UWM_NOTICE_MARK_READ) {
      SendMarkRead(*worker, message.wParam);
    }
  }
  worker->queue.KillTimer(TIMER_NOTICE_POLL);
  worker->queue.Quit();
  Instance().WorkerEnded();
}

uint32_t NoticeManager::IntervalFor(const Worker& worker) {
  return worker.firstPoll.load() == 1 ? worker.firstIntervalMs : worker.laterIntervalMs;
}

void NoticeManager::Poll(Worker& worker) {
  ApiRequest request;
  request.kind = REQ_GET_NOTICES;
  if (CServiceApi::Instance().Execute(request) != 0) return;
  // The answer may arrive after a log-out: a stopped worker must not open a window.
  if (worker.stop.load()) return;
  NoticeManager& manager = Instance();
  CMainWindowNotifier& window = CMainWindowNotifier::Instance();
  if (manager.HasUnreadPopups()) {
    manager.CollectPopups();
    window.Send(UWM_NOTICE_SIGNAL, 1, worker.firstPoll.load());
  }
  worker.firstPoll.store(0);
  if (worker.stop.load()) return;
  window.Send(UWM_NOTICE_SIGNAL, 2, manager.HasUnreadOthers() ? 1 : 0);
}

void NoticeManager::SendMarkRead(Worker& worker, uintptr_t token) {
  ApiRequest request;
  request.kind = REQ_UPDATE_NOTICE;
  {
    std::lock_guard<std::mutex> lock(worker.textMutex);
    auto it = worker.texts.find(token);
    if (it == worker.texts.end()) return;
    request.params[0] = std::move(it->second);
    worker.texts.erase(it);
  }
  CServiceApi::Instance().Execute(request);  // the answer is of no use
}

void NoticeManager::WorkerEnded() {
  {
    std::lock_guard<std::mutex> lock(m_liveMutex);
    --m_liveWorkers;
  }
  m_liveCv.notify_all();
}

bool NoticeManager::WaitForWorkersToEnd(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_liveMutex);
  return m_liveCv.wait_for(lock, timeout, [this] { return m_liveWorkers == 0; });
}

std::shared_ptr<NoticeManager::Worker> NoticeManager::CurrentWorker() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_worker;
}

bool NoticeManager::IsRunning() const {
  return CurrentWorker() != nullptr;
}

int32_t NoticeManager::FirstPoll() const {
  auto worker = CurrentWorker();
  return worker ? worker->firstPoll.load() : 0;
}

void NoticeManager::SetPollIntervalsForTesting(uint32_t firstMs, uint32_t laterMs) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_firstIntervalMs = firstMs;
  m_laterIntervalMs = laterMs;
}

void NoticeManager::SetSelection(std::vector<NoticeInfo> selection) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_selection = std::move(selection);
}

void NoticeManager::CollectPopups() {
  std::vector<NoticeInfo> popups;
  {
    std::lock_guard<std::mutex> lock(NoticeListMutex());
    for (const NoticeInfo& notice : CAppContext::Instance().noticeList)
      if (notice.readState == kUnread && notice.popMode == kPopUp) popups.push_back(notice);
  }
  SetSelection(std::move(popups));
}

void NoticeManager::CollectAll() {
  std::vector<NoticeInfo> all;
  {
    std::lock_guard<std::mutex> lock(NoticeListMutex());
    all = CAppContext::Instance().noticeList;
  }
  SetSelection(std::move(all));
}

bool NoticeManager::HasUnreadPopups() const {
  return AnyUnread(kPopUp);
}

bool NoticeManager::HasUnreadOthers() const {
  return AnyUnread(kListOnly);
}

std::vector<NoticeInfo> NoticeManager::Selection() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_selection;
}

bool NoticeManager::SelectionAt(int index, NoticeInfo& out) const {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (index < 0 || static_cast<size_t>(index) >= m_selection.size()) return false;
  out = m_selection[static_cast<size_t>(index)];
  return true;
}

size_t NoticeManager::SelectionSize() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_selection.size();
}

bool NoticeManager::PostMarkRead(const std::string& userNoticeId) {
  auto worker = CurrentWorker();
  if (!worker) return false;
  uintptr_t token = 0;
  {
    std::lock_guard<std::mutex> lock(worker->textMutex);
    token = worker->nextToken++;
    worker->texts[token] = userNoticeId;
  }
  if (worker->queue.Post(UWM_NOTICE_MARK_READ, token, kRead)) return true;
  std::lock_guard<std::mutex> lock(worker->textMutex);
  worker->texts.erase(token);
  return false;
}

void NoticeManager::MarkRead(int index) {
  NoticeInfo shown;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (index < 0 || static_cast<size_t>(index) >= m_selection.size()) return;
    NoticeInfo& copy = m_selection[static_cast<size_t>(index)];
    shown = copy;
    // Once reported, showing the notice again must not report it again.
    copy.readState = kRead;
  }
  if (shown.readState == kUnread) {
    PostMarkRead(shown.userNoticeId);
    std::lock_guard<std::mutex> lock(NoticeListMutex());
    for (NoticeInfo& notice : CAppContext::Instance().noticeList)
      if (notice.noticeId == shown.noticeId) notice.readState = kRead;
  }
  if (!HasUnreadOthers()) CMainWindowNotifier::Instance().Send(UWM_NOTICE_SIGNAL, 2, 0);
}

}  // namespace zv
