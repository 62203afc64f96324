// One control connection: what a single Connect starts and the first Stop ends. It owns an
// event base of its own, so a new Connect never has to wait for the loop thread of the
// previous connection (which may be blocked on the window thread) before starting its own.
#pragma once

#include <event2/event.h>
#include <netinet/in.h>
#include <sys/time.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "control/control_framer.h"

struct bufferevent;

namespace zv {

class IStreamSession;

struct ControlOptions {
  timeval heartbeat{60, 0};
  timeval readTimeout{65, 0};
  // Opens the TCP socket of each connect attempt; -1 when none can be had. Empty: socket().
  std::function<int()> openSocket;
};

class CControlConnection {
 public:
  // Called for everything the session does to the stream player; answers null when there
  // is none.
  using StreamProvider = IStreamSession* (*)();

  CControlConnection(std::string padCode, const sockaddr_in& node, const ControlOptions& options,
                     StreamProvider stream);
  // Only once the loop thread has ended (or never ran).
  ~CControlConnection();
  CControlConnection(const CControlConnection&) = delete;
  CControlConnection& operator=(const CControlConnection&) = delete;

  // Before the loop runs: starts the connect and the heartbeat; false if it cannot start.
  bool Open();
  // The loop thread's body: runs until Stop or until nothing is left to wait for.
  void RunLoop();

  // Any thread. After Stop nothing more is written; the teardown runs on the loop thread.
  void Stop();
  // From now on this connection tells neither the window nor the player anything: it was
  // left by its owner or superseded by a newer Connect.
  void Silence() { m_silenced.store(true); }

  void SendQuality(int32_t level);
  void SendPointer(int32_t action, int32_t x, int32_t y);
  void SendKey(uint32_t flags, uint32_t code, uint32_t value);

  // The read side: framing, then Dispatch of every whole message. Public so that the read
  // side can be driven without a socket.
  void OnBytes(const uint8_t* data, size_t size);
  void Dispatch(const uint8_t* message);

 private:
  static void OnReadCallback(bufferevent* bev, void* self);
  static void OnEventCallback(bufferevent* bev, short flags, void* self);
  static void OnHeartbeatCallback(evutil_socket_t fd, short flags, void* self);
  static void OnStopCallback(evutil_socket_t fd, short flags, void* self);

  void OnRead();
  void OnEvent(short flags);
  void OnConnected();
  void OnHeartbeat();
  bool Reconnect();
  void Teardown();
  bool StartBufferEvent();
  void FreeBufferEvent();
  bool StopRequested();

  void EndSession(bool stopPlayer, uint32_t event);
  void DispatchPadNotice(uint32_t subCode, int32_t first, int32_t second);
  void OpenStream(int32_t streamNumber);
  void StopPlayer();
  IStreamSession* Stream() const;
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);
  void SendToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam);

  // One whole message per call; the send mutex keeps the window, reader, timer and loop
  // threads from interleaving inside a message.
  bool Send(const uint8_t* data, size_t size);
  void SendLocked(const uint8_t* data, size_t size);

  event_base* m_base = nullptr;
  event* m_heartbeat = nullptr;
  event* m_stopEvent = nullptr;
  bufferevent* m_bev = nullptr;  // the loop thread's (and Open's, before the loop runs)

  std::mutex m_sendMutex;
  int m_fd = -1;                 // guarded by m_sendMutex; -1 once stopped
  bool m_stopRequested = false;  // guarded by m_sendMutex
  std::atomic<bool> m_silenced{false};
  std::atomic<std::thread::id> m_loopThread{};

  std::string m_padCode;
  sockaddr_in m_node{};
  ControlOptions m_options;
  StreamProvider m_stream;
  bool m_established = false;
  int32_t m_reconnectCount = 0;
  CControlFramer m_framer;
};

}  // namespace zv
