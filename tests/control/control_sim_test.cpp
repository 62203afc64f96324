// The control session against the built zelvane-sim: one sim per test binary on ephemeral
// loopback ports, a real login for a live session, the node's log read over the admin
// interface.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "api/app_context.h"
#include "app/events.h"
#include "control/control_client.h"
#include "control/control_protocol.h"
#include "tests/control/recording_stream.h"
#include "tests/sim_core/sim_client.h"
#include "tests/sim_core/sim_process.h"
#include "tests/support/recording_window.h"

namespace zv::test {
namespace {

using namespace std::chrono_literals;

class ControlSimTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sim = new sim::test::CSimProcess();
    std::string error;
    ASSERT_TRUE(sim->Start(sim::test::DefaultScenario(), error)) << error;
    ASSERT_GT(sim->Port("control"), 0);
  }
  static void TearDownTestSuite() {
    delete sim;
    sim = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(sim, nullptr);
    m_client = std::make_unique<sim::test::CSimClient>(*sim);
    m_client->Admin("reset");
    int userId = 0;
    std::string session = m_client->Login("demo", "123456", userId);
    ASSERT_FALSE(session.empty()) << m_client->last.body;

    m_window.Attach();
    CControlClient::Instance().SetStreamSession(&m_stream);
    CAppContext& context = CAppContext::Instance();
    context.sessionId = session;
    context.qualityLevel = QUALITY_HD;
    PadInfo pad;
    pad.padCode = "PAD-FREE-1";
    pad.controlCode = "node-1";
    context.padList = {pad};
    context.SetCurrentPadCode("PAD-FREE-1");
    context.controlList = {
        ControlNodeInfo{"node-1", "127.0.0.1", static_cast<uint16_t>(sim->Port("control"))}};
  }

  void TearDown() override {
    CControlClient::Instance().Stop();
    EXPECT_TRUE(CControlClient::Instance().WaitForLoops(20s));
    CControlClient::Instance().SetStreamSession(nullptr);
  }

  Json::Value NodeLog() { return m_client->Admin("control/log")["messages"]; }
  bool WaitForNodeLog(Json::ArrayIndex count) {
    for (auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;) {
      if (NodeLog().size() >= count) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  static sim::test::CSimProcess* sim;
  std::unique_ptr<sim::test::CSimClient> m_client;
  RecordingWindow m_window;
  RecordingStream m_stream;
};
sim::test::CSimProcess* ControlSimTest::sim = nullptr;

TEST_F(ControlSimTest, WholeSessionIsSeenInTheNodeLog) {
  CControlClient& client = CControlClient::Instance();
  ASSERT_EQ(client.Connect("PAD-FREE-1"), 0);
  ASSERT_TRUE(m_window.WaitForMessage(UWM_STREAM_STARTED));
  StreamCall open = m_stream.Calls().at(0);
  EXPECT_EQ(open.padCode, "PAD-FREE-1");
  EXPECT_EQ(open.streamNumber, 1);
  client.SendPointer(4, 100, 200);
  client.SendPointer(8, 101, 201);
  client.SendPointer(0, 102, 202);
  client.SendKey(KEY_FLAG_DOWN | KEY_FLAG_UP, KEY_CODE_BACK, 0);
  ASSERT_TRUE(WaitForNodeLog(8));

  Json::Value log = NodeLog();
  ASSERT_EQ(log.size(), 8u) << log.toStyledString();
  EXPECT_EQ(log[0]["kind"].asString(), "hello");
  EXPECT_TRUE(log[0]["accepted"].asBool());
  EXPECT_EQ(log[0]["session"].asString(), CAppContext::Instance().sessionId.substr(0, 32));
  const char* types[] = {"CTRL_QUALITY",    "CTRL_PAD",      "CTRL_POINTER_DOWN", "CTRL_POINTER_MOVE",
                         "CTRL_POINTER_UP", "CTRL_KEY_DOWN", "CTRL_KEY_UP"};
  for (Json::ArrayIndex i = 1; i < 8; ++i) EXPECT_EQ(log[i]["type"].asString(), types[i - 1]) << i;
  EXPECT_EQ(log[1]["quality"].asUInt(), 1u);
  EXPECT_EQ(log[2]["padCode"].asString(), "PAD-FREE-1");
  EXPECT_EQ(log[3]["x"].asInt(), 100);
  EXPECT_EQ(log[3]["y"].asInt(), 200);
  EXPECT_EQ(log[6]["keyCode"].asInt(), KEY_CODE_BACK);

  Json::Value notice;
  notice["type"] = "CTRL_PAD";
  notice["sub"] = "PAD_CONTROL_TIME_EXHAUSTED";
  EXPECT_EQ(m_client->Admin("control/notice", notice)["sent"].asInt(), 1);
  ASSERT_TRUE(m_window.WaitForMessage(UWM_CONTROL_TIME_EXHAUSTED));
  EXPECT_TRUE(client.WaitForLoops(10s));
}

std::string ToHex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", value);
  return text;
}

TEST_F(ControlSimTest, ExpiredSessionIsTurnedAwayAtTheHello) {
  EXPECT_TRUE(m_client->Admin("sessions/expire")["ok"].asBool());
  ASSERT_EQ(CControlClient::Instance().Connect("PAD-FREE-1"), 0);
  // The node closes after each hello; the client tries three more times, then gives up.
  ASSERT_TRUE(m_window.WaitForMessage(UWM_CTRL_CONNECTION_LOST, 20s)) << [&] {
    std::string seen = "events:";
    for (uint32_t message : m_window.Messages()) seen += " 0x" + ToHex(message);
    return seen + "\nnode log: " + NodeLog().toStyledString();
  }();
  EXPECT_EQ(m_window.Count(UWM_CTRL_RECONNECTING), 3u);
  EXPECT_EQ(m_window.Count(UWM_STREAM_STARTED), 0u);
  Json::Value log = NodeLog();
  ASSERT_EQ(log.size(), 4u);
  for (const auto& entry : log) EXPECT_FALSE(entry["accepted"].asBool());
}

}  // namespace
}  // namespace zv::test
