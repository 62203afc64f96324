#include "sim/control_node/control_node.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "api/app_context.h"
#include "app/events.h"
#include "control/control_client.h"
#include "control/control_protocol.h"
#include "sim/control_node/control_node_module.h"
#include "tests/control/recording_stream.h"
#include "tests/control/tcp_peer.h"
#include "tests/control/test_sim_context.h"
#include "tests/support/recording_window.h"

namespace zv::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kLive = "S-LIVE-0001";

Json::Value NodeScenario() {
  Json::Value scenario;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::istringstream text(R"({
    "ports": {"control": 0},
    "controlNode": {"heartbeatMs": 200},
    "devices": [
      {"padCode": "PAD-FREE-1", "controlCode": "node-1", "node": {"state": "ready", "streamNumber": 5}},
      {"padCode": "PAD-BUSY-1", "controlCode": "node-1",
       "node": {"state": "busy", "streamNumber": 3, "queue": [3, 2, 1], "queueIntervalMs": 50}},
      {"padCode": "PAD-OFFLINE-1", "controlCode": "node-1", "node": {"state": "offline"}}
    ]})");
  Json::parseFromStream(builder, text, &scenario, &errors);
  return scenario;
}

class ControlNodeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sim = new TestSimContext(NodeScenario());
    std::string error;
    ASSERT_TRUE(sim->Start(CreateControlNodeModule(), error)) << error;
    sim->AddLiveSession(kLive);
  }
  static void TearDownTestSuite() {
    delete sim;
    sim = nullptr;
  }

  void SetUp() override {
    sim->Reset();
    m_window.Attach();
    CControlClient::Instance().SetStreamSession(&m_stream);
    CAppContext& context = CAppContext::Instance();
    context.sessionId = kLive;
    context.qualityLevel = QUALITY_FAST;
    context.padList.clear();
    for (const char* code : {"PAD-FREE-1", "PAD-BUSY-1", "PAD-OFFLINE-1", "PAD-UNKNOWN"}) {
      PadInfo pad;
      pad.padCode = code;
      pad.controlCode = "node-1";
      context.padList.push_back(pad);
    }
    context.controlList = {ControlNodeInfo{"node-1", "127.0.0.1", static_cast<uint16_t>(Port())}};
    m_busBefore = sim->BusCalls().size();
  }

  void TearDown() override {
    CControlClient::Instance().Stop();
    EXPECT_TRUE(CControlClient::Instance().WaitForLoops(20s));
    CControlClient::Instance().SetStreamSession(nullptr);
  }

  static uint16_t Port() { return static_cast<uint16_t>(sim->Port("control")); }

  Json::Value Log() { return sim->Admin("control/log")["messages"]; }
  bool WaitForLog(Json::ArrayIndex count) {
    for (auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;) {
      if (Log().size() >= count) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }
  // Bus calls made since this test began.
  std::vector<std::string> Bus() {
    std::vector<std::string> all = sim->BusCalls();
    return std::vector<std::string>(all.begin() + static_cast<long>(m_busBefore), all.end());
  }
  bool WaitForBus(const std::string& call) {
    for (auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;) {
      for (const auto& c : Bus())
        if (c == call) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }
  // A raw client that sends the hello, a quality and the pad code.
  TcpConnection RawSession(const std::string& padCode, const std::string& session = kLive) {
    TcpConnection peer = ConnectTo(Port());
    ControlHello hello = BuildControlHello(session, 1);
    peer.Write(hello.data(), hello.size());
    ControlMessage quality = BuildControlMessage(CTRL_QUALITY, 2, 1);
    peer.Write(quality.data(), quality.size());
    ControlMessage pad = BuildControlTextMessage(CTRL_PAD, 3, padCode);
    peer.Write(pad.data(), pad.size());
    return peer;
  }
  static ControlFields Read(TcpConnection& peer) {
    std::vector<uint8_t> bytes = peer.ReadExact(kControlMessageSize);
    if (bytes.size() != kControlMessageSize) return ControlFields{0xDEADBEEF, 0, 0, 0, 0};
    return ReadControlMessage(bytes.data());
  }

  static TestSimContext* sim;
  RecordingWindow m_window;
  RecordingStream m_stream;
  size_t m_busBefore = 0;
};
TestSimContext* ControlNodeTest::sim = nullptr;

TEST_F(ControlNodeTest, WholeSessionIsSeenInTheLogAndReachesThePhone) {
  CControlClient& client = CControlClient::Instance();
  ASSERT_EQ(client.Connect("PAD-FREE-1"), 0);
  ASSERT_TRUE(m_window.WaitForMessage(UWM_STREAM_STARTED));
  EXPECT_EQ(m_stream.Calls().at(0).streamNumber, 5);
  client.SendPointer(4, 10, 20);
  client.SendPointer(8, -11, 21);
  client.SendPointer(0, 12, 22);
  client.SendKey(KEY_FLAG_DOWN | KEY_FLAG_UP, KEY_CODE_BACK, 0);
  ASSERT_TRUE(WaitForLog(8));

  Json::Value log = Log();
  ASSERT_EQ(log.size(), 8u);
  EXPECT_EQ(log[0]["kind"].asString(), "hello");
  EXPECT_TRUE(log[0]["accepted"].asBool());
  EXPECT_EQ(log[0]["session"].asString(), kLive);
  EXPECT_EQ(log[0]["hex"].asString().substr(0, 16), "5a56504300000100");
  const char* types[] = {"CTRL_QUALITY",    "CTRL_PAD",      "CTRL_POINTER_DOWN", "CTRL_POINTER_MOVE",
                         "CTRL_POINTER_UP", "CTRL_KEY_DOWN", "CTRL_KEY_UP"};
  for (Json::ArrayIndex i = 1; i < 8; ++i) {
    EXPECT_EQ(log[i]["type"].asString(), types[i - 1]) << i;
    EXPECT_EQ(log[i]["hex"].asString().size(), 80u);
    EXPECT_EQ(log[i]["connection"], log[0]["connection"]);
  }
  EXPECT_EQ(log[1]["quality"].asUInt(), 3u);
  EXPECT_EQ(log[2]["padCode"].asString(), "PAD-FREE-1");
  EXPECT_EQ(log[4]["x"].asInt(), -11);
  EXPECT_EQ(log[4]["y"].asInt(), 21);
  EXPECT_EQ(log[6]["keyCode"].asInt(), KEY_CODE_BACK);

  client.Stop();
  ASSERT_TRUE(WaitForBus("closed PAD-FREE-1"));
  EXPECT_EQ(Bus(), (std::vector<std::string>{"quality PAD-FREE-1 3", "ready PAD-FREE-1 S-LIVE-0001 5",
                                             "pointer PAD-FREE-1 1 10 20", "pointer PAD-FREE-1 3 -11 21",
                                             "pointer PAD-FREE-1 2 12 22", "key PAD-FREE-1 158 down",
                                             "key PAD-FREE-1 158 up", "closed PAD-FREE-1"}));
}

TEST_F(ControlNodeTest, BusyDeviceQueuesWithAShrinkingQueueThenStarts) {
  ASSERT_EQ(CControlClient::Instance().Connect("PAD-BUSY-1"), 0);
  ASSERT_TRUE(m_window.WaitForMessage(UWM_STREAM_STARTED));
  std::vector<RecordedEvent> events = m_window.Events();
  ASSERT_EQ(events.size(), 4u);
  const std::pair<int, int> queue[] = {{3, 6}, {2, 4}, {1, 2}};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(events[i].message, UWM_QUEUE_STATUS);
    EXPECT_EQ(static_cast<int>(events[i].wParam), queue[i].first);
    EXPECT_EQ(events[i].lParam, queue[i].second);
  }
  EXPECT_EQ(m_stream.Calls().at(0).streamNumber, 3);
}

TEST_F(ControlNodeTest, OfflineAndUnknownDevicesEndTheSession) {
  const std::pair<const char*, uint32_t> table[] = {{"PAD-OFFLINE-1", UWM_PAD_OFFLINE},
                                                    {"PAD-UNKNOWN", UWM_PAD_NOT_CONTROLLABLE}};
  for (auto [pad, event] : table) {
    m_window.Clear();
    ASSERT_EQ(CControlClient::Instance().Connect(pad), 0);
    ASSERT_TRUE(m_window.WaitForMessage(event)) << pad;
    EXPECT_TRUE(CControlClient::Instance().WaitForLoops(10s));
    EXPECT_EQ(m_window.Messages(), std::vector<uint32_t>{event}) << pad;
  }
}

TEST_F(ControlNodeTest, BadHelloClosesTheConnection) {
  ControlHello badMagic = BuildControlHello(kLive, 0);
  badMagic[0] = 'X';
  ControlHello badVersion = BuildControlHello(kLive, 0);
  badVersion[6] = 2;
  const std::pair<const char*, ControlHello> table[] = {
      {"dead session", BuildControlHello("S-DEAD", 0)}, {"magic", badMagic}, {"version", badVersion}};
  for (const auto& [name, hello] : table) {
    TcpConnection peer = ConnectTo(Port());
    ASSERT_TRUE(peer.Valid());
    peer.Write(hello.data(), hello.size());
    EXPECT_TRUE(peer.WaitForClose()) << name;
  }
  ASSERT_TRUE(WaitForLog(3));
  for (const auto& entry : Log()) EXPECT_FALSE(entry["accepted"].asBool());
}

TEST_F(ControlNodeTest, AdminNoticeReachesTheClient) {
  ASSERT_EQ(CControlClient::Instance().Connect("PAD-FREE-1"), 0);
  ASSERT_TRUE(m_window.WaitForMessage(UWM_STREAM_STARTED));
  Json::Value queue;
  queue["type"] = "CTRL_PAD";
  queue["sub"] = "PAD_QUEUE_STATUS";
  queue["a"] = -1;
  queue["b"] = 7;
  EXPECT_EQ(sim->Admin("control/notice", queue)["sent"].asInt(), 1);
  Json::Value idle;
  idle["type"] = "0x00010001";
  idle["sub"] = 4;
  EXPECT_TRUE(sim->Admin("control/notice", idle)["ok"].asBool());
  ASSERT_TRUE(m_window.WaitForMessage(UWM_IDLE_TIMEOUT));
  std::vector<RecordedEvent> events = m_window.Events();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].message, UWM_QUEUE_STATUS);
  EXPECT_EQ(static_cast<int>(events[1].wParam), -1);
  EXPECT_EQ(events[1].lParam, 7);

  Json::Value bad;
  bad["type"] = "CTRL_NOTHING";
  EXPECT_FALSE(sim->Admin("control/notice", bad)["ok"].asBool());
}

TEST_F(ControlNodeTest, DropMakesTheClientReconnect) {
  ASSERT_EQ(CControlClient::Instance().Connect("PAD-FREE-1"), 0);
  ASSERT_TRUE(m_window.WaitForMessage(UWM_STREAM_STARTED));
  EXPECT_EQ(sim->Admin("control/drop")["dropped"].asInt(), 1);
  ASSERT_TRUE(m_window.WaitFor([](const auto& events) { return events.size() == 3; }));
  EXPECT_EQ(m_window.Messages(),
            (std::vector<uint32_t>{UWM_STREAM_STARTED, UWM_CTRL_RECONNECTING, UWM_STREAM_STARTED}));
  Json::Value log = Log();
  int hellos = 0;
  for (const auto& entry : log) hellos += entry["kind"].asString() == "hello";
  EXPECT_EQ(hellos, 2);
}

TEST_F(ControlNodeTest, RefusedConnectionsAndSilence) {
  Json::Value on;
  on["on"] = true;
  Json::Value off;
  off["on"] = false;
  EXPECT_TRUE(sim->Admin("control/refuse", on)["refusing"].asBool());
  EXPECT_FALSE(ConnectTo(Port()).Valid());
  EXPECT_TRUE(sim->Admin("control/refuse", off)["ok"].asBool());

  TcpConnection peer = RawSession("PAD-FREE-1");
  ASSERT_TRUE(peer.Valid());
  ControlFields ready = Read(peer);
  EXPECT_EQ(ready.type, CTRL_STREAM_READY);
  EXPECT_EQ(ready.subCode, 5u);
  EXPECT_EQ(Read(peer).type, CTRL_HEARTBEAT);  // every 200 ms in this scenario

  EXPECT_TRUE(sim->Admin("control/silent", on)["silent"].asBool());
  std::this_thread::sleep_for(50ms);  // a heartbeat already on its way may still land
  peer.Quiet(250ms);
  EXPECT_TRUE(peer.Quiet(600ms));
  EXPECT_EQ(sim->Admin("control/notice", Json::Value(Json::objectValue))["ok"].asBool(), false);
  sim->Admin("control/silent", off);
  EXPECT_EQ(Read(peer).type, CTRL_HEARTBEAT);
}

TEST_F(ControlNodeTest, ResetDropsSessionsAndTheLog) {
  TcpConnection peer = RawSession("PAD-FREE-1");
  EXPECT_EQ(Read(peer).type, CTRL_STREAM_READY);
  ASSERT_TRUE(WaitForLog(3));
  EXPECT_EQ(sim->Admin("control/state")["sessions"].size(), 1u);
  sim->Reset();
  EXPECT_TRUE(peer.WaitForClose());
  EXPECT_EQ(Log().size(), 0u);
  EXPECT_EQ(sim->Admin("control/state")["sessions"].size(), 0u);
  EXPECT_TRUE(sim->Admin("control/log/clear")["ok"].asBool());
}

TEST(ControlCodeTest, NumbersHexAndNames) {
  struct Case {
    Json::Value value;
    bool ok;
    uint32_t code;
  };
  const Case table[] = {
      {Json::Value(5), true, 5},
      {Json::Value(4278190081u), true, CTRL_STREAM_READY},
      {Json::Value("0xFF000002"), true, CTRL_STREAM_FAULT},
      {Json::Value("65537"), true, CTRL_PAD},
      {Json::Value("CTRL_SESSION_NOTICE"), true, CTRL_SESSION_NOTICE},
      {Json::Value("PAD_NOT_CONTROLLABLE"), true, PAD_NOT_CONTROLLABLE},
      {Json::Value("SESSION_TIMEOUT"), true, SESSION_TIMEOUT},
      {Json::Value(-1), true, 0xFFFFFFFFu},
      {Json::Value(), true, 0},
      {Json::Value("0x1FFFFFFFF"), false, 0},
      {Json::Value("twelve"), false, 0},
      {Json::Value(""), false, 0},
      {Json::Value(true), false, 0},
  };
  for (const auto& c : table) {
    uint32_t code = 0;
    EXPECT_EQ(sim::ParseControlCode(c.value, code), c.ok) << c.value.toStyledString();
    if (c.ok) {
      EXPECT_EQ(code, c.code) << c.value.toStyledString();
    }
  }
}

}  // namespace
}  // namespace zv::test
