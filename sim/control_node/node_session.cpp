#include "sim/control_node/node_session.h"

#include <event2/buffer.h>
#include <event2/bufferevent.h>
#include <event2/event.h>

#include "sim/control_node/control_node.h"

namespace zv::sim {
namespace {

constexpr int kDefaultQueueIntervalMs = 1000;

timeval Milliseconds(int ms) {
  if (ms < 0) ms = 0;
  return timeval{ms / 1000, (ms % 1000) * 1000};
}

}  // namespace

CNodeSession::CNodeSession(CControlNode& node, bufferevent* bev, int id)
    : m_node(node), m_bev(bev), m_id(id) {
  bufferevent_setcb(m_bev, OnReadCallback, nullptr, OnEventCallback, this);
  bufferevent_enable(m_bev, EV_READ | EV_WRITE);
}

CNodeSession::~CNodeSession() {
  CancelQueue();
  bufferevent_free(m_bev);
  if (!m_padCode.empty() && m_node.Context().bus.onControlClosed)
    m_node.Context().bus.onControlClosed(m_padCode);
}

void CNodeSession::Send(const ControlMessage& message) {
  if (m_node.Silent()) return;
  bufferevent_write(m_bev, message.data(), message.size());
}

void CNodeSession::OnReadCallback(bufferevent*, void* self) {
  static_cast<CNodeSession*>(self)->OnRead();
}

void CNodeSession::OnEventCallback(bufferevent*, short flags, void* self) {
  auto* session = static_cast<CNodeSession*>(self);
  if (flags & (BEV_EVENT_EOF | BEV_EVENT_ERROR | BEV_EVENT_TIMEOUT))
    session->m_node.CloseSession(session->m_id);
}

void CNodeSession::OnQueueCallback(int, short, void* self) {
  static_cast<CNodeSession*>(self)->OnQueueStep();
}

bool CNodeSession::OnRead() {
  evbuffer* input = bufferevent_get_input(m_bev);
  for (;;) {
    size_t unit = m_helloDone ? kControlMessageSize : kControlHelloSize;
    if (evbuffer_get_length(input) < unit) return true;
    uint8_t bytes[kControlHelloSize];
    evbuffer_remove(input, bytes, unit);
    if (!m_helloDone) {
      if (!HandleHello(bytes)) return false;
    } else {
      HandleMessage(bytes);
    }
  }
}

bool CNodeSession::HandleHello(const uint8_t* hello) {
  ControlHelloFields fields = ReadControlHello(hello);
  bool accepted =
      fields.magicOk && fields.version == CTRL_VERSION && m_node.Context().IsSessionLive(fields.session);
  m_node.Log().AddHello(m_id, hello)["accepted"] = accepted;
  if (!accepted) {
    m_node.CloseSession(m_id);
    return false;
  }
  m_helloDone = true;
  m_session = fields.session;
  return true;
}

void CNodeSession::HandleMessage(const uint8_t* message) {
  m_node.Log().AddMessage(m_id, message);
  ControlFields fields = ReadControlMessage(message);
  DeviceBus& bus = m_node.Context().bus;
  switch (fields.type) {
    case CTRL_QUALITY:
      m_quality = fields.subCode;
      if (!m_padCode.empty() && bus.onQuality) bus.onQuality(m_padCode, static_cast<int>(m_quality));
      break;
    case CTRL_PAD:
      HandlePad(ReadControlText(message));
      break;
    case CTRL_POINTER_DOWN:
    case CTRL_POINTER_UP:
    case CTRL_POINTER_MOVE:
      if (!m_padCode.empty() && bus.onPointer)
        bus.onPointer(m_padCode, static_cast<int>(fields.type & 0xFF), static_cast<int32_t>(fields.subCode),
                      fields.first);
      break;
    case CTRL_KEY_DOWN:
    case CTRL_KEY_UP:
      if (!m_padCode.empty() && bus.onKey)
        bus.onKey(m_padCode, static_cast<int>(fields.subCode), fields.type == CTRL_KEY_DOWN);
      break;
    default:
      break;
  }
}

void CNodeSession::HandlePad(const std::string& padCode) {
  CancelQueue();
  if (!m_padCode.empty() && m_padCode != padCode && m_node.Context().bus.onControlClosed)
    m_node.Context().bus.onControlClosed(m_padCode);
  m_padCode = padCode;
  const Json::Value* device = m_node.FindDevice(padCode);
  if (device == nullptr) {
    Send(BuildControlMessage(CTRL_PAD, GetTickCount32(), PAD_NOT_CONTROLLABLE));
    return;
  }
  DeviceBus& bus = m_node.Context().bus;
  if (m_quality != 0 && bus.onQuality) bus.onQuality(m_padCode, static_cast<int>(m_quality));
  m_state = (*device)["node"].isObject() ? (*device)["node"] : Json::Value(Json::objectValue);
  std::string state = m_state.get("state", "ready").asString();
  if (state == "offline") {
    Send(BuildControlMessage(CTRL_PAD, GetTickCount32(), PAD_OFFLINE));
  } else if (state == "busy" && m_state["queue"].isArray() && !m_state["queue"].empty()) {
    m_queueStep = 0;
    m_queueTimer = event_new(m_node.Context().Base(), -1, 0, OnQueueCallback, this);
    OnQueueStep();
  } else if (state == "ready" || state == "busy") {
    AnswerReady();
  } else {
    Send(BuildControlMessage(CTRL_PAD, GetTickCount32(), PAD_NOT_CONTROLLABLE));
  }
}

void CNodeSession::OnQueueStep() {
  const Json::Value& queue = m_state["queue"];
  if (m_queueStep >= queue.size()) {
    AnswerReady();
    return;
  }
  int ahead = queue[m_queueStep].isNumeric() ? queue[m_queueStep].asInt() : 0;
  ++m_queueStep;
  ControlMessage notice = BuildNodeMessage(CTRL_PAD, GetTickCount32(), PAD_QUEUE_STATUS, ahead, ahead * 2);
  Send(notice);
  const Json::Value& interval = m_state["queueIntervalMs"];
  timeval wait = Milliseconds(interval.isNumeric() ? interval.asInt() : kDefaultQueueIntervalMs);
  event_add(m_queueTimer, &wait);
}

void CNodeSession::AnswerReady() {
  const Json::Value& number = m_state["streamNumber"];
  int streamNumber = number.isNumeric() ? number.asInt() : 1;
  Send(BuildControlMessage(CTRL_STREAM_READY, GetTickCount32(), static_cast<uint32_t>(streamNumber)));
  DeviceBus& bus = m_node.Context().bus;
  if (bus.onStreamReady) bus.onStreamReady(m_padCode, m_session, streamNumber);
}

void CNodeSession::CancelQueue() {
  if (m_queueTimer == nullptr) return;
  event_free(m_queueTimer);
  m_queueTimer = nullptr;
}

}  // namespace zv::sim
