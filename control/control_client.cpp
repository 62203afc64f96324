#include "control/control_client.h"

#include <algorithm>
#include <system_error>

#include "api/app_context.h"
#include "app/events.h"
#include "app/main_window_notifier.h"
#include "control/control_result.h"
#include "control/stream_link.h"

namespace zv {
namespace {

IStreamSession* CurrentStreamSession() {
  return CControlClient::Instance().GetStreamSession();
}

}  // namespace

CControlClient& CControlClient::Instance() {
  // Never destroyed: loop threads may still be running when the process exits.
  static CControlClient* instance = new CControlClient();
  return *instance;
}

int32_t CControlClient::Connect(const std::string& padCode) {
  CAppContext& context = CAppContext::Instance();
  std::vector<PadInfo> pads = context.padList;
  std::vector<ControlNodeInfo> nodes = context.controlList;

  auto pad = std::find_if(pads.begin(), pads.end(),
                          [&](const PadInfo& p) { return CAppContext::FindPadByCode(p, padCode); });
  if (pad == pads.end() || pad->controlCode.empty()) return kControlNoPad;
  auto node = std::find_if(nodes.begin(), nodes.end(),
                           [&](const ControlNodeInfo& n) { return n.controlCode == pad->controlCode; });
  if (node == nodes.end()) return kControlNoNode;

  NodeResolver resolver;
  ControlOptions options;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    resolver = m_resolver;
    options = m_options;
  }
  sockaddr_in address{};
  if (int32_t rc = MakeNodeAddress(node->controlIp, node->controlPort, resolver, &address); rc != 0)
    return rc;

  auto connection = std::make_shared<CControlConnection>(padCode, address, options, CurrentStreamSession);
  if (!connection->Open() || !StartLoop(connection)) return kControlConnectFailed;
  return 0;
}

bool CControlClient::StartLoop(const std::shared_ptr<CControlConnection>& connection) {
  ReapEndedLoops();
  std::lock_guard<std::mutex> lock(m_mutex);
  auto loop = std::make_unique<LoopThread>();
  loop->connection = connection;
  LoopThread* entry = loop.get();
  try {
    loop->thread = std::thread([this, entry] {
      entry->connection->RunLoop();
      {
        std::lock_guard<std::mutex> ended(m_mutex);
        entry->ended = true;
      }
      m_loopEnded.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  m_loops.push_back(std::move(loop));
  if (m_current) {
    // An orphaned connection would run on with nobody able to stop it.
    m_current->Silence();
    m_current->Stop();
  }
  m_current = connection;
  return true;
}

void CControlClient::ReapEndedLoops() {
  std::vector<std::unique_ptr<LoopThread>> ended;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto split =
        std::stable_partition(m_loops.begin(), m_loops.end(), [](const auto& l) { return !l->ended; });
    std::move(split, m_loops.end(), std::back_inserter(ended));
    m_loops.erase(split, m_loops.end());
  }
  // These threads are past their last use of our state: joining returns at once.
  for (auto& loop : ended) loop->thread.join();
}

bool CControlClient::WaitForLoops(std::chrono::milliseconds timeout) {
  bool all;
  {
    std::unique_lock<std::mutex> lock(m_mutex);
    all = m_loopEnded.wait_for(lock, timeout, [this] {
      return std::all_of(m_loops.begin(), m_loops.end(), [](const auto& l) { return l->ended; });
    });
  }
  ReapEndedLoops();
  return all;
}

std::shared_ptr<CControlConnection> CControlClient::Current() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_current;
}

int32_t CControlClient::Stop() {
  if (auto connection = Current()) {
    connection->Silence();
    connection->Stop();
  }
  return 0;
}

void CControlClient::SendQuality(int32_t level) {
  if (auto connection = Current()) connection->SendQuality(level);
}

void CControlClient::SendPointer(int32_t action, int32_t x, int32_t y) {
  if (auto connection = Current()) connection->SendPointer(action, x, y);
}

void CControlClient::SendKey(uint32_t flags, uint32_t code, uint32_t value) {
  if (auto connection = Current()) connection->SendKey(flags, code, value);
}

void CControlClient::RestartStream() {
  IStreamSession* stream = GetStreamSession();
  if (stream != nullptr) stream->Stop();
  // Composition off: the player reuses the URL of its last open.
  if (stream == nullptr || stream->Open(std::string(), std::string(), 0, false) != 0) {
    Stop();
    CMainWindowNotifier::Instance().Post(UWM_STREAM_CONNECT_FAILED, 0, 0);
    return;
  }
  stream->Start();
}

std::wstring CControlClient::GetErrorText(int32_t code) {
  return GetControlErrorText(code);
}

void CControlClient::SetStreamSession(IStreamSession* session) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_stream = session;
}

IStreamSession* CControlClient::GetStreamSession() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_stream;
}

void CControlClient::SetResolver(NodeResolver resolver) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_resolver = std::move(resolver);
}

void CControlClient::SetOptions(const ControlOptions& options) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_options = options;
}

}  // namespace zv
