#include "sim/control_node/control_node.h"

#include <arpa/inet.h>
#include <event2/bufferevent.h>
#include <event2/event.h>
#include <event2/listener.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "control/control_protocol.h"

namespace zv::sim {
namespace {

// The client gives up after 65 seconds without a byte; the node speaks well within that.
constexpr int kDefaultHeartbeatMs = 30000;
// The port a scenario without ports.control listens on.
constexpr int kStandardControlPort = 7100;

int ScenarioInt(const Json::Value& object, const char* key, int fallback) {
  if (!object.isObject() || !object[key].isNumeric()) return fallback;
  return object[key].asInt();
}

Json::Value Ok() {
  Json::Value answer(Json::objectValue);
  answer["ok"] = true;
  return answer;
}

Json::Value Error(const std::string& text) {
  Json::Value answer(Json::objectValue);
  answer["ok"] = false;
  answer["error"] = text;
  return answer;
}

bool FlagOf(const Json::Value& body) {
  return body.isObject() && body.get("on", false).asBool();
}

bool ParseNamedCode(const std::string& text, uint32_t& out) {
  static const uint32_t kTypes[] = {CTRL_HEARTBEAT,    CTRL_SESSION_NOTICE, CTRL_PAD,          CTRL_QUALITY,
                                    CTRL_POINTER_DOWN, CTRL_POINTER_UP,     CTRL_POINTER_MOVE, CTRL_KEY_DOWN,
                                    CTRL_KEY_UP,       CTRL_STREAM_READY,   CTRL_STREAM_FAULT};
  for (uint32_t type : kTypes)
    if (text == ControlTypeName(type)) return out = type, true;
  for (uint32_t sub = PAD_OFFLINE; sub <= PAD_NOT_CONTROLLABLE; ++sub)
    if (text == PadNoticeName(sub)) return out = sub, true;
  if (text == "SESSION_TIMEOUT") return out = SESSION_TIMEOUT, true;
  return false;
}

}  // namespace

bool ParseControlCode(const Json::Value& value, uint32_t& out) {
  if (value.isNull()) return out = 0, true;
  if (value.isUInt()) return out = value.asUInt(), true;
  if (value.isInt()) return out = static_cast<uint32_t>(value.asInt()), true;
  if (!value.isString()) return false;
  std::string text = value.asString();
  if (ParseNamedCode(text, out)) return true;
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  unsigned long long number = std::strtoull(text.c_str(), &end, 0);
  if (errno != 0 || *end != '\0' || number > 0xFFFFFFFFull) return false;
  out = static_cast<uint32_t>(number);
  return true;
}

CControlNode::CControlNode(SimContext& context) : m_context(context) {}

CControlNode::~CControlNode() {
  m_sessions.clear();
  if (m_heartbeat != nullptr) event_free(m_heartbeat);
  if (m_listener != nullptr) evconnlistener_free(m_listener);
}

bool CControlNode::Start(std::string& error) {
  const Json::Value& scenario = m_context.Scenario();
  // The scenario's port (0 = ephemeral), else the standard control port.
  int port = scenario.isObject() ? ScenarioInt(scenario["ports"], "control", kStandardControlPort) : kStandardControlPort;
  if (!Listen(port, error)) return false;
  int heartbeatMs = scenario.isObject()
                        ? ScenarioInt(scenario["controlNode"], "heartbeatMs", kDefaultHeartbeatMs)
                        : kDefaultHeartbeatMs;
  if (heartbeatMs <= 0) heartbeatMs = kDefaultHeartbeatMs;
  m_heartbeat = event_new(m_context.Base(), -1, EV_PERSIST, OnHeartbeat, this);
  timeval interval{heartbeatMs / 1000, (heartbeatMs % 1000) * 1000};
  event_add(m_heartbeat, &interval);
  RegisterRoutes();
  m_context.OnReset([this] { Reset(); });
  return true;
}

bool CControlNode::Listen(int port, std::string& error) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  m_listener =
      evconnlistener_new_bind(m_context.Base(), OnAccept, this, LEV_OPT_CLOSE_ON_FREE | LEV_OPT_REUSEABLE, 16,
                              reinterpret_cast<sockaddr*>(&address), sizeof address);
  if (m_listener == nullptr) {
    error = "control node: cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  socklen_t length = sizeof address;
  getsockname(evconnlistener_get_fd(m_listener), reinterpret_cast<sockaddr*>(&address), &length);
  m_port = ntohs(address.sin_port);
  return true;
}

void CControlNode::OnAccept(evconnlistener*, int fd, ::sockaddr*, int, void* self) {
  auto* node = static_cast<CControlNode*>(self);
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  bufferevent* bev = bufferevent_socket_new(node->m_context.Base(), fd, BEV_OPT_CLOSE_ON_FREE);
  if (bev == nullptr) {
    close(fd);
    return;
  }
  int id = node->m_nextId++;
  node->m_sessions[id] = std::make_unique<CNodeSession>(*node, bev, id);
}

void CControlNode::OnHeartbeat(int, short, void* self) {
  static_cast<CControlNode*>(self)->SendHeartbeats();
}

void CControlNode::SendHeartbeats() {
  for (auto& [id, session] : m_sessions)
    if (session->Announced()) session->Send(BuildControlMessage(CTRL_HEARTBEAT, GetTickCount32()));
}

void CControlNode::CloseSession(int id) {
  m_sessions.erase(id);
}

const Json::Value* CControlNode::FindDevice(const std::string& padCode) {
  const Json::Value& devices = m_context.Scenario()["devices"];
  if (!devices.isArray()) return nullptr;
  for (const auto& device : devices)
    if (device.isObject() && device["padCode"].isString() && device["padCode"].asString() == padCode)
      return &device;
  return nullptr;
}

void CControlNode::RegisterRoutes() {
  m_context.AddAdminRoute("control/notice", [this](const Json::Value& body) { return Notice(body); });
  m_context.AddAdminRoute("control/drop", [this](const Json::Value&) { return Drop(); });
  m_context.AddAdminRoute("control/silent", [this](const Json::Value& body) { return SetSilent(body); });
  m_context.AddAdminRoute("control/refuse", [this](const Json::Value& body) { return SetRefuse(body); });
  m_context.AddAdminRoute("control/state", [this](const Json::Value&) { return State(); });
  m_context.AddAdminRoute("control/log", [this](const Json::Value&) {
    Json::Value answer = Ok();
    answer["messages"] = m_log.Entries();
    return answer;
  });
  m_context.AddAdminRoute("control/log/clear", [this](const Json::Value&) {
    m_log.Clear();
    return Ok();
  });
}

Json::Value CControlNode::Notice(const Json::Value& body) {
  if (!body.isObject()) return Error("body must be an object with type, sub, a, b");
  uint32_t type = 0, sub = 0;
  if (!body.isMember("type") || !ParseControlCode(body["type"], type))
    return Error("type: a number or a message name");
  if (!ParseControlCode(body["sub"], sub)) return Error("sub: a number or a sub-code name");
  const Json::Value& a = body["a"];
  const Json::Value& b = body["b"];
  if ((!a.isNull() && !a.isInt()) || (!b.isNull() && !b.isInt())) return Error("a and b: 32-bit integers");
  std::string padCode = body.get("padCode", "").asString();
  ControlMessage message =
      BuildNodeMessage(type, GetTickCount32(), sub, a.isNull() ? 0 : a.asInt(), b.isNull() ? 0 : b.asInt());
  int sent = 0;
  for (auto& [id, session] : m_sessions) {
    if (!session->Announced() || (!padCode.empty() && session->PadCode() != padCode)) continue;
    if (!m_silent) ++sent;
    session->Send(message);
  }
  Json::Value answer = Ok();
  answer["sent"] = sent;
  return answer;
}

Json::Value CControlNode::Drop() {
  Json::Value answer = Ok();
  answer["dropped"] = static_cast<int>(m_sessions.size());
  m_sessions.clear();
  return answer;
}

Json::Value CControlNode::SetSilent(const Json::Value& body) {
  m_silent = FlagOf(body);
  Json::Value answer = Ok();
  answer["silent"] = m_silent;
  return answer;
}

Json::Value CControlNode::SetRefuse(const Json::Value& body) {
  bool on = FlagOf(body);
  if (on && m_listener != nullptr) {
    // Closing the listening socket makes new connections fail at once instead of waiting.
    evconnlistener_free(m_listener);
    m_listener = nullptr;
  } else if (!on && m_listener == nullptr) {
    std::string error;
    if (!Listen(m_port, error)) return Error(error);
  }
  m_refusing = on;
  Json::Value answer = Ok();
  answer["refusing"] = m_refusing;
  return answer;
}

Json::Value CControlNode::State() {
  Json::Value answer = Ok();
  answer["port"] = m_port;
  answer["silent"] = m_silent;
  answer["refusing"] = m_refusing;
  Json::Value sessions(Json::arrayValue);
  for (auto& [id, session] : m_sessions) {
    Json::Value entry(Json::objectValue);
    entry["connection"] = id;
    entry["announced"] = session->Announced();
    entry["session"] = session->Session();
    entry["padCode"] = session->PadCode();
    entry["quality"] = session->Quality();
    sessions.append(entry);
  }
  answer["sessions"] = sessions;
  return answer;
}

void CControlNode::Reset() {
  m_sessions.clear();
  m_log.Clear();
  m_silent = false;
  if (m_refusing) SetRefuse(Json::Value(Json::objectValue));
}

}  // namespace zv::sim
