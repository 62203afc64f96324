// The simulated platform's control node: a TCP listener on 127.0.0.1 that serves the
// scenario's devices, with the admin routes that inject notices and faults and read back
// what the client sent. Runs on the sim's loop thread.
#pragma once

#include <json/json.h>

#include <map>
#include <memory>
#include <string>

#include "sim/control_node/node_log.h"
#include "sim/control_node/node_session.h"
#include "sim/sim_module.h"

struct bufferevent;
struct event;
struct evconnlistener;
struct sockaddr;

namespace zv::sim {

class CControlNode {
 public:
  explicit CControlNode(SimContext& context);
  ~CControlNode();
  CControlNode(const CControlNode&) = delete;
  CControlNode& operator=(const CControlNode&) = delete;

  // Binds the scenario's "control" port (0 or absent: ephemeral) and registers the routes.
  bool Start(std::string& error);
  int Port() const { return m_port; }

  SimContext& Context() { return m_context; }
  CNodeLog& Log() { return m_log; }
  bool Silent() const { return m_silent; }
  // Destroys the session; the caller must not touch it afterwards.
  void CloseSession(int id);
  // The scenario's device with that pad code, or null.
  const Json::Value* FindDevice(const std::string& padCode);

  // The admin routes, callable directly.
  Json::Value Notice(const Json::Value& body);
  Json::Value Drop();
  Json::Value SetSilent(const Json::Value& body);
  Json::Value SetRefuse(const Json::Value& body);
  Json::Value State();
  void Reset();

 private:
  static void OnAccept(evconnlistener* listener, int fd, ::sockaddr* address, int length, void* self);
  static void OnHeartbeat(int fd, short flags, void* self);
  bool Listen(int port, std::string& error);
  void RegisterRoutes();
  void SendHeartbeats();

  SimContext& m_context;
  evconnlistener* m_listener = nullptr;
  event* m_heartbeat = nullptr;
  int m_port = 0;
  int m_nextId = 1;
  bool m_silent = false;
  bool m_refusing = false;
  CNodeLog m_log;
  std::map<int, std::unique_ptr<CNodeSession>> m_sessions;
};

// A type or sub-code given to "control/notice": a number, a decimal or 0x-hex text, or a
// name such as "CTRL_STREAM_READY" or "PAD_OFFLINE". False when it is none of these.
bool ParseControlCode(const Json::Value& value, uint32_t& out);

}  // namespace zv::sim
