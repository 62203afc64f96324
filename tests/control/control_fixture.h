// A control session against a peer of the test's own: the account model names one device
// served by a node on the peer's loopback port, the window and the player are recorders.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "control/control_client.h"
#include "control/control_protocol.h"
#include "tests/control/recording_stream.h"
#include "tests/control/tcp_peer.h"
#include "tests/support/recording_window.h"

namespace zv::test {

constexpr const char* kSession = "SESSION-0123456789";
constexpr const char* kPadCode = "PAD-FREE-1";

class ControlSessionTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Points the device's node at this host and port.
  void UseNode(const std::string& host, uint16_t port);
  // Connect, accept, and read the hello, quality and pad messages; fails the test if any
  // of them is missing or wrong.
  TcpConnection ConnectAndHandshake();
  void ReadHandshake(TcpConnection& connection);
  ControlFields ReadMessage(TcpConnection& connection);
  static std::vector<uint8_t> NodeMessage(uint32_t type, uint32_t sub = 0, int32_t a = 0, int32_t b = 0);
  std::vector<RecordedEvent> EventsOf(uint32_t message);

  RecordingWindow m_window;
  RecordingStream m_stream;
  std::unique_ptr<TcpListener> m_listener;
};

}  // namespace zv::test
