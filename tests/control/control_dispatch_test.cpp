#include <gtest/gtest.h>

#include "api/app_context.h"
#include "app/events.h"
#include "tests/control/control_fixture.h"

namespace zv::test {
namespace {

using namespace std::chrono_literals;

constexpr int32_t kMarkerAhead = 99;
constexpr int32_t kMarkerMinutes = 98;

struct DispatchCase {
  const char* name;
  uint32_t type;
  uint32_t sub;
  int32_t a, b;
  int openResult;
  // What the window is told, in order; the session ends when `ends` is set.
  std::vector<uint32_t> events;
  std::vector<std::string> streamCalls;
  bool ends;
};

void PrintTo(const DispatchCase& c, std::ostream* out) {
  *out << c.name;
}

class ControlDispatchTest : public ControlSessionTest, public ::testing::WithParamInterface<DispatchCase> {};

// The node's message is followed in the same write by a queue notice: a message that ends
// the session leaves it undispatched, one that does not lets it through.
TEST_P(ControlDispatchTest, NodeMessageLeadsToItsActionAndEvent) {
  const DispatchCase& c = GetParam();
  m_stream.SetOpenResult(c.openResult);
  TcpConnection peer = ConnectAndHandshake();
  std::vector<uint8_t> bytes = NodeMessage(c.type, c.sub, c.a, c.b);
  std::vector<uint8_t> marker = NodeMessage(CTRL_PAD, PAD_QUEUE_STATUS, kMarkerAhead, kMarkerMinutes);
  bytes.insert(bytes.end(), marker.begin(), marker.end());
  peer.Write(bytes);

  std::vector<uint32_t> expected = c.events;
  if (!c.ends) expected.push_back(UWM_QUEUE_STATUS);
  ASSERT_TRUE(m_window.WaitFor([&](const auto& events) { return events.size() >= expected.size(); }))
      << "events seen: " << m_window.Events().size();
  if (c.ends) {
    EXPECT_TRUE(peer.WaitForClose());
    EXPECT_TRUE(CControlClient::Instance().WaitForLoops(10s));
  } else {
    EXPECT_TRUE(peer.Quiet(100ms));
  }
  EXPECT_EQ(m_window.Messages(), expected);
  EXPECT_EQ(m_stream.Names(), c.streamCalls);
  for (const auto& e : m_window.Events()) EXPECT_FALSE(e.sent);
}

const std::vector<std::string> kNone;
const std::vector<std::string> kStop = {"Stop"};

INSTANTIATE_TEST_SUITE_P(
    Table, ControlDispatchTest,
    ::testing::Values(
        DispatchCase{"SessionTimeout",
                     CTRL_SESSION_NOTICE,
                     SESSION_TIMEOUT,
                     0,
                     0,
                     0,
                     {UWM_SESSION_TIMEOUT},
                     kNone,
                     true},
        DispatchCase{"SessionNoticeOtherSub", CTRL_SESSION_NOTICE, 2, 0, 0, 0, {}, kNone, false},
        DispatchCase{"PadOffline", CTRL_PAD, PAD_OFFLINE, 0, 0, 0, {UWM_PAD_OFFLINE}, kNone, true},
        DispatchCase{"PadConnectionLost",
                     CTRL_PAD,
                     PAD_CONNECTION_LOST,
                     0,
                     0,
                     0,
                     {UWM_PAD_CONNECTION_LOST},
                     kStop,
                     true},
        DispatchCase{"ControlledElsewhere",
                     CTRL_PAD,
                     PAD_CONTROLLED_ELSEWHERE,
                     0,
                     0,
                     0,
                     {UWM_CONTROLLED_ELSEWHERE},
                     kStop,
                     true},
        DispatchCase{"IdleTimeout", CTRL_PAD, PAD_IDLE_TIMEOUT, 0, 0, 0, {UWM_IDLE_TIMEOUT}, kStop, true},
        DispatchCase{"QueueStatus", CTRL_PAD, PAD_QUEUE_STATUS, 3, 6, 0, {UWM_QUEUE_STATUS}, kNone, false},
        DispatchCase{"QueueStatusNegativeAndZero",
                     CTRL_PAD,
                     PAD_QUEUE_STATUS,
                     -4,
                     0,
                     0,
                     {UWM_QUEUE_STATUS},
                     kNone,
                     false},
        DispatchCase{"ControlTimeExhausted",
                     CTRL_PAD,
                     PAD_CONTROL_TIME_EXHAUSTED,
                     0,
                     0,
                     0,
                     {UWM_CONTROL_TIME_EXHAUSTED},
                     kStop,
                     true},
        DispatchCase{"NotControllable",
                     CTRL_PAD,
                     PAD_NOT_CONTROLLABLE,
                     0,
                     0,
                     0,
                     {UWM_PAD_NOT_CONTROLLABLE},
                     kStop,
                     true},
        DispatchCase{"PadSubZero", CTRL_PAD, 0, 0, 0, 0, {}, kNone, false},
        DispatchCase{"PadSubEight", CTRL_PAD, 8, 0, 0, 0, {}, kNone, false},
        DispatchCase{"Heartbeat", CTRL_HEARTBEAT, 0, 0, 0, 0, {}, kNone, false},
        DispatchCase{"UnknownType", 0x12345678, PAD_OFFLINE, 0, 0, 0, {}, kNone, false},
        DispatchCase{"ClientOnlyType", CTRL_POINTER_DOWN, 1, 1, 0, 0, {}, kNone, false},
        DispatchCase{
            "StreamReady", CTRL_STREAM_READY, 7, 0, 0, 0, {UWM_STREAM_STARTED}, {"Open", "Start"}, false},
        DispatchCase{"StreamReadyOpenFails",
                     CTRL_STREAM_READY,
                     7,
                     0,
                     0,
                     static_cast<int>(0x80001001u),
                     {UWM_STREAM_CONNECT_FAILED},
                     {"Open"},
                     true},
        DispatchCase{"StreamFault", CTRL_STREAM_FAULT, 0, 0, 0, 0, {UWM_STREAM_SERVER_FAULT}, kNone, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControlSessionTest, QueueValuesPassUnchanged) {
  TcpConnection peer = ConnectAndHandshake();
  const std::pair<int32_t, int32_t> values[] = {{0, 0}, {-4, -1}, {12, 24}, {INT32_MIN, INT32_MAX}};
  for (auto [ahead, minutes] : values) peer.Write(NodeMessage(CTRL_PAD, PAD_QUEUE_STATUS, ahead, minutes));
  ASSERT_TRUE(m_window.WaitFor([](const auto& events) { return events.size() == 4; }));
  std::vector<RecordedEvent> events = m_window.Events();
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(static_cast<int32_t>(events[i].wParam), values[i].first);
    EXPECT_EQ(events[i].lParam, values[i].second);
  }
}

TEST_F(ControlSessionTest, StreamReadyOpensWithSessionCurrentPadAndStreamNumber) {
  CAppContext::Instance().SetCurrentPadCode("PAD-CURRENT");
  TcpConnection peer = ConnectAndHandshake();
  peer.Write(NodeMessage(CTRL_STREAM_READY, static_cast<uint32_t>(-2)));
  ASSERT_TRUE(m_window.WaitForMessage(UWM_STREAM_STARTED));
  StreamCall open = m_stream.Calls().at(0);
  EXPECT_EQ(open.session, kSession);
  EXPECT_EQ(open.padCode, "PAD-CURRENT");
  EXPECT_EQ(open.streamNumber, -2);
  EXPECT_TRUE(open.compose);
}

TEST_F(ControlSessionTest, RestartStreamReopensWithoutCompositionOrEndsTheSession) {
  TcpConnection peer = ConnectAndHandshake();
  CControlClient& client = CControlClient::Instance();
  client.RestartStream();
  std::vector<StreamCall> calls = m_stream.Calls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].name, "Stop");
  EXPECT_EQ(calls[1].name, "Open");
  EXPECT_FALSE(calls[1].compose);
  EXPECT_EQ(calls[2].name, "Start");
  EXPECT_TRUE(peer.Quiet(100ms));
  EXPECT_TRUE(m_window.Events().empty());

  m_stream.Clear();
  m_stream.SetOpenResult(-1);
  client.RestartStream();
  EXPECT_EQ(m_stream.Names(), (std::vector<std::string>{"Stop", "Open"}));
  EXPECT_TRUE(peer.WaitForClose());
  ASSERT_TRUE(m_window.WaitForMessage(UWM_STREAM_CONNECT_FAILED));
}

}  // namespace
}  // namespace zv::test
