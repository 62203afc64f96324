#include "control/control_connection.h"

#include <event2/bufferevent.h>
#include <event2/thread.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "api/app_context.h"
#include "app/events.h"
#include "app/main_window_notifier.h"
#include "control/control_protocol.h"
#include "control/stream_link.h"

namespace zv {
namespace {

constexpr int32_t kMaxReconnects = 3;
// Bounds the wait for room in the socket buffer when a message went out only in part.
constexpr int kPartialSendWaitMs = 1000;

event_base* NewLockingBase() {
  // Stop arrives from the window thread: the base must take locks and be able to wake its
  // loop from another thread.
  static std::once_flag once;
  std::call_once(once, [] { evthread_use_pthreads(); });
  return event_base_new();
}

uintptr_t AsWParam(int32_t value) {
  return static_cast<uintptr_t>(static_cast<intptr_t>(value));
}

}  // namespace

CControlConnection::CControlConnection(std::string padCode, const sockaddr_in& node,
                                       const ControlOptions& options, StreamProvider stream)
    : m_padCode(std::move(padCode)), m_node(node), m_options(options), m_stream(stream) {
  m_base = NewLockingBase();
  if (m_base == nullptr) return;
  m_heartbeat = event_new(m_base, -1, EV_TIMEOUT | EV_PERSIST, OnHeartbeatCallback, this);
  m_stopEvent = event_new(m_base, -1, 0, OnStopCallback, this);
}

CControlConnection::~CControlConnection() {
  FreeBufferEvent();
  if (m_heartbeat != nullptr) event_free(m_heartbeat);
  if (m_stopEvent != nullptr) event_free(m_stopEvent);
  if (m_base != nullptr) event_base_free(m_base);
}

bool CControlConnection::Open() {
  if (m_base == nullptr || m_heartbeat == nullptr || m_stopEvent == nullptr) return false;
  if (!StartBufferEvent()) return false;
  event_add(m_heartbeat, &m_options.heartbeat);
  return true;
}

void CControlConnection::RunLoop() {
  m_loopThread.store(std::this_thread::get_id());
  if (event_base_loop(m_base, 0) == -1) Stop();
}

bool CControlConnection::StartBufferEvent() {
  int fd = m_options.openSocket ? m_options.openSocket() : socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  evutil_make_socket_nonblocking(fd);
  bufferevent* bev = bufferevent_socket_new(m_base, fd, BEV_OPT_CLOSE_ON_FREE);
  if (bev == nullptr) {
    close(fd);
    return false;
  }
  if (bufferevent_socket_connect(bev, reinterpret_cast<sockaddr*>(&m_node), sizeof m_node) != 0) {
    bufferevent_free(bev);
    return false;
  }
  bufferevent_setcb(bev, OnReadCallback, nullptr, OnEventCallback, this);
  bufferevent_set_timeouts(bev, &m_options.readTimeout, nullptr);
  {
    std::lock_guard<std::mutex> lock(m_sendMutex);
    if (m_stopRequested) {
      bufferevent_free(bev);
      return false;
    }
    m_bev = bev;
    m_fd = bufferevent_getfd(bev);
  }
  bufferevent_enable(bev, EV_READ | EV_WRITE);
  return true;
}

void CControlConnection::FreeBufferEvent() {
  if (m_bev == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(m_sendMutex);
    // Senders must let go of the descriptor before the free closes it.
    if (m_fd >= 0) shutdown(m_fd, SHUT_RDWR);
    m_fd = -1;
  }
  bufferevent_free(m_bev);
  m_bev = nullptr;
}

void CControlConnection::Stop() {
  {
    std::lock_guard<std::mutex> lock(m_sendMutex);
    m_stopRequested = true;
    // Shutting the socket down at once tells the node even before the loop has woken.
    if (m_fd >= 0) shutdown(m_fd, SHUT_RDWR);
    m_fd = -1;
  }
  if (std::this_thread::get_id() == m_loopThread.load()) {
    Teardown();
  } else if (m_stopEvent != nullptr) {
    event_active(m_stopEvent, EV_TIMEOUT, 0);
  }
}

void CControlConnection::Teardown() {
  if (m_heartbeat != nullptr) event_del(m_heartbeat);
  FreeBufferEvent();
  if (m_base != nullptr) event_base_loopbreak(m_base);
}

bool CControlConnection::StopRequested() {
  std::lock_guard<std::mutex> lock(m_sendMutex);
  return m_stopRequested;
}

void CControlConnection::OnReadCallback(bufferevent*, void* self) {
  static_cast<CControlConnection*>(self)->OnRead();
}

void CControlConnection::OnEventCallback(bufferevent*, short flags, void* self) {
  static_cast<CControlConnection*>(self)->OnEvent(flags);
}

void CControlConnection::OnHeartbeatCallback(evutil_socket_t, short, void* self) {
  static_cast<CControlConnection*>(self)->OnHeartbeat();
}

void CControlConnection::OnStopCallback(evutil_socket_t, short, void* self) {
  static_cast<CControlConnection*>(self)->Teardown();
}

void CControlConnection::OnRead() {
  if (StopRequested()) return;
  uint8_t buffer[4096];
  size_t total = 0;
  while (m_bev != nullptr) {
    size_t taken = bufferevent_read(m_bev, buffer, sizeof buffer);
    if (taken == 0) break;
    total += taken;
    OnBytes(buffer, taken);
  }
  if (total == 0) Post(m_established ? UWM_CTRL_CONNECTION_LOST : UWM_CTRL_CONNECT_FAILED, 0, 0);
}

void CControlConnection::OnBytes(const uint8_t* data, size_t size) {
  m_framer.Feed(data, size, [this](const uint8_t* message) {
    Dispatch(message);
    // A message that ended the session leaves the rest of the read unread.
    return !StopRequested();
  });
}

void CControlConnection::OnEvent(short flags) {
  if (StopRequested()) return;
  if (flags & BEV_EVENT_CONNECTED) {
    OnConnected();
  } else if (flags & (BEV_EVENT_TIMEOUT | BEV_EVENT_EOF)) {
    if (!Reconnect()) {
      Stop();
      Post(UWM_CTRL_CONNECTION_LOST, 0, 0);
    }
  } else if (flags & BEV_EVENT_ERROR) {
    if (!Reconnect()) {
      Stop();
      Post(m_established ? UWM_CTRL_CONNECTION_LOST : UWM_CTRL_CONNECT_FAILED, 0, 0);
    }
  }
}

void CControlConnection::OnConnected() {
  int one = 1;
  setsockopt(bufferevent_getfd(m_bev), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  CAppContext& context = CAppContext::Instance();
  ControlHello hello = BuildControlHello(context.sessionId, GetTickCount32());
  Send(hello.data(), hello.size());
  SendQuality(context.qualityLevel.load());
  ControlMessage pad = BuildControlTextMessage(CTRL_PAD, GetTickCount32(), m_padCode);
  Send(pad.data(), pad.size());
  m_established = true;
}

void CControlConnection::OnHeartbeat() {
  // Before the hello the node would take the heartbeat for a broken hello.
  if (m_bev == nullptr || !m_established) return;
  ControlMessage heartbeat = BuildControlMessage(CTRL_HEARTBEAT, GetTickCount32());
  Send(heartbeat.data(), heartbeat.size());
}

bool CControlConnection::Reconnect() {
  StopPlayer();
  if (!m_established || m_bev == nullptr) return false;
  ++m_reconnectCount;
  m_established = false;
  if (m_reconnectCount > kMaxReconnects) return false;
  Post(UWM_CTRL_RECONNECTING, 1, 0);
  FreeBufferEvent();
  // Bytes of a message cut off by the old connection cannot be completed by the new one.
  m_framer.Reset();
  if (!StartBufferEvent()) {
    SendToWindow(UWM_CTRL_RECONNECTING, 0, 0);
    return false;
  }
  return true;
}

void CControlConnection::Dispatch(const uint8_t* message) {
  ControlFields fields = ReadControlMessage(message);
  switch (fields.type) {
    case CTRL_SESSION_NOTICE:
      if (fields.subCode == SESSION_TIMEOUT) EndSession(false, UWM_SESSION_TIMEOUT);
      break;
    case CTRL_PAD:
      DispatchPadNotice(fields.subCode, fields.first, fields.second);
      break;
    case CTRL_STREAM_READY:
      OpenStream(static_cast<int32_t>(fields.subCode));
      break;
    case CTRL_STREAM_FAULT:
      EndSession(false, UWM_STREAM_SERVER_FAULT);
      break;
    default:
      break;
  }
}

void CControlConnection::DispatchPadNotice(uint32_t subCode, int32_t first, int32_t second) {
  switch (subCode) {
    case PAD_OFFLINE:
      EndSession(false, UWM_PAD_OFFLINE);
      break;
    case PAD_CONNECTION_LOST:
      EndSession(true, UWM_PAD_CONNECTION_LOST);
      break;
    case PAD_CONTROLLED_ELSEWHERE:
      EndSession(true, UWM_CONTROLLED_ELSEWHERE);
      break;
    case PAD_IDLE_TIMEOUT:
      EndSession(true, UWM_IDLE_TIMEOUT);
      break;
    case PAD_QUEUE_STATUS:
      Post(UWM_QUEUE_STATUS, AsWParam(first), second);
      break;
    case PAD_CONTROL_TIME_EXHAUSTED:
      EndSession(true, UWM_CONTROL_TIME_EXHAUSTED);
      break;
    case PAD_NOT_CONTROLLABLE:
      EndSession(true, UWM_PAD_NOT_CONTROLLABLE);
      break;
    default:
      break;
  }
}

void CControlConnection::EndSession(bool stopPlayer, uint32_t event) {
  if (stopPlayer) StopPlayer();
  Stop();
  Post(event, 0, 0);
}

void CControlConnection::OpenStream(int32_t streamNumber) {
  if (m_silenced.load()) return;
  IStreamSession* stream = Stream();
  CAppContext& context = CAppContext::Instance();
  if (stream == nullptr || stream->Open(context.sessionId, context.currentPadCode, streamNumber, true) != 0) {
    Stop();
    Post(UWM_STREAM_CONNECT_FAILED, 0, 0);
    return;
  }
  stream->Start();
  Post(UWM_STREAM_STARTED, 0, 0);
}

void CControlConnection::StopPlayer() {
  if (IStreamSession* stream = Stream()) stream->Stop();
}

IStreamSession* CControlConnection::Stream() const {
  if (m_silenced.load() || m_stream == nullptr) return nullptr;
  return m_stream();
}

void CControlConnection::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!m_silenced.load()) CMainWindowNotifier::Instance().Post(message, wParam, lParam);
}

void CControlConnection::SendToWindow(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  // Blocks until the window thread has handled it; no lock of ours is held here.
  if (!m_silenced.load()) CMainWindowNotifier::Instance().Send(message, wParam, lParam);
}

bool CControlConnection::Send(const uint8_t* data, size_t size) {
  std::lock_guard<std::mutex> lock(m_sendMutex);
  if (m_fd < 0) return false;
  SendLocked(data, size);
  return true;
}

void CControlConnection::SendLocked(const uint8_t* data, size_t size) {
  size_t sent = 0;
  while (sent < size) {
    ssize_t n = send(m_fd, data + sent, size - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    // A message that cannot be written at all is lost; one that went out in part is
    // finished, or the node would read every later message out of step.
    if (n < 0 && errno == EAGAIN && sent > 0) {
      pollfd waiter{m_fd, POLLOUT, 0};
      if (poll(&waiter, 1, kPartialSendWaitMs) > 0) continue;
    }
    return;
  }
}

void CControlConnection::SendQuality(int32_t level) {
  if (level < 0 || level > 3) return;
  std::lock_guard<std::mutex> lock(m_sendMutex);
  if (m_fd < 0) return;
  CAppContext::Instance().qualityLevel.store(level);
  ControlMessage message = BuildControlMessage(CTRL_QUALITY, GetTickCount32(), QualityWireValue(level));
  SendLocked(message.data(), message.size());
}

void CControlConnection::SendPointer(int32_t action, int32_t x, int32_t y) {
  uint32_t type = action == 8 ? CTRL_POINTER_MOVE : action == 4 ? CTRL_POINTER_DOWN : CTRL_POINTER_UP;
  ControlMessage message =
      BuildControlMessage(type, GetTickCount32(), static_cast<uint32_t>(x), static_cast<uint32_t>(y));
  Send(message.data(), message.size());
}

void CControlConnection::SendKey(uint32_t flags, uint32_t code, uint32_t value) {
  std::lock_guard<std::mutex> lock(m_sendMutex);
  if (m_fd < 0) return;
  if (flags & KEY_FLAG_DOWN) {
    ControlMessage down = BuildControlMessage(CTRL_KEY_DOWN, GetTickCount32(), code, value);
    SendLocked(down.data(), down.size());
  }
  if (flags & KEY_FLAG_UP) {
    ControlMessage up = BuildControlMessage(CTRL_KEY_UP, GetTickCount32(), code, value);
    SendLocked(up.data(), up.size());
  }
}

}  // namespace zv
