// The control session of the one device session that can exist at a time: finds the node
// serving the device, connects, announces session and device, keeps the connection alive,
// reconnects a few times, and turns the node's messages into application events.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "control/control_connection.h"
#include "control/node_address.h"

namespace zv {

class IStreamSession;

class CControlClient {
 public:
  static CControlClient& Instance();

  // Window thread. 0, or kControlNoPad, kControlNoNode, kControlConnectFailed,
  // kControlResolveFailed. A connection still running is stopped first.
  int32_t Connect(const std::string& padCode);
  // Any thread; returns 0. Nothing is sent after it, and the connection's loop ends.
  int32_t Stop();

  void SendQuality(int32_t level);
  // action: 4 down, 8 move, anything else up.
  void SendPointer(int32_t action, int32_t x, int32_t y);
  void SendKey(uint32_t flags, uint32_t code, uint32_t value);
  // Window thread, on UWM_STREAM_ENDED during a session: reopens the last stream.
  void RestartStream();
  static std::wstring GetErrorText(int32_t code);

  void SetStreamSession(IStreamSession* session);
  IStreamSession* GetStreamSession();
  // An empty resolver restores getaddrinfo.
  void SetResolver(NodeResolver resolver);
  // Applies to the next Connect.
  void SetOptions(const ControlOptions& options);

  // Waits until every loop thread has ended and joins them; true when all ended in time.
  // Never from the window thread: a loop thread may be waiting on it.
  bool WaitForLoops(std::chrono::milliseconds timeout);

 private:
  struct LoopThread {
    std::shared_ptr<CControlConnection> connection;
    std::thread thread;
    bool ended = false;
  };

  CControlClient() = default;
  std::shared_ptr<CControlConnection> Current();
  bool StartLoop(const std::shared_ptr<CControlConnection>& connection);
  void ReapEndedLoops();

  std::mutex m_mutex;
  std::condition_variable m_loopEnded;
  std::shared_ptr<CControlConnection> m_current;
  std::vector<std::unique_ptr<LoopThread>> m_loops;
  IStreamSession* m_stream = nullptr;
  NodeResolver m_resolver;
  ControlOptions m_options;
};

}  // namespace zv
