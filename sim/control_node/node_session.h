// One client connection of the simulated control node: checks the hello, takes the
// quality and the pad code, answers by the device's scenario state and hands the input
// on to the simulated phone.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <string>

#include "control/control_protocol.h"

struct bufferevent;
struct event;

namespace zv::sim {

class CControlNode;

class CNodeSession {
 public:
  CNodeSession(CControlNode& node, bufferevent* bev, int id);
  // Tells the phone that the control connection of its device ended.
  ~CNodeSession();
  CNodeSession(const CNodeSession&) = delete;
  CNodeSession& operator=(const CNodeSession&) = delete;

  int Id() const { return m_id; }
  bool Announced() const { return m_helloDone; }
  const std::string& PadCode() const { return m_padCode; }
  const std::string& Session() const { return m_session; }
  uint32_t Quality() const { return m_quality; }
  // Dropped while the node is silent.
  void Send(const ControlMessage& message);

 private:
  static void OnReadCallback(bufferevent* bev, void* self);
  static void OnEventCallback(bufferevent* bev, short flags, void* self);
  static void OnQueueCallback(int fd, short flags, void* self);

  // Each returns false when the session was closed (and this object is gone).
  bool OnRead();
  bool HandleHello(const uint8_t* hello);
  void HandleMessage(const uint8_t* message);
  void HandlePad(const std::string& padCode);
  void AnswerReady();
  void OnQueueStep();
  void CancelQueue();

  CControlNode& m_node;
  bufferevent* m_bev;
  int m_id;
  bool m_helloDone = false;
  std::string m_session;
  std::string m_padCode;
  uint32_t m_quality = 0;
  Json::Value m_state;  // the device's "node" object
  event* m_queueTimer = nullptr;
  Json::ArrayIndex m_queueStep = 0;
};

}  // namespace zv::sim
