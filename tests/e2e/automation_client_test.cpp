// The automation client library against a real program (the skin viewer): connecting
// while the program is still starting, calls and their failures, the waits, and what a
// caller sees once the program has gone.
#include <gtest/gtest.h>

#include "tools/automation_client.h"
#include "tools/automation_launch.h"

namespace zv::automation {
namespace {

class AutomationClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = MakeTempDir("zv-automation-client");
    ASSERT_FALSE(m_dir.empty());
    ClientOptions options;
    options.program = ZV_SKIN_VIEWER;
    options.arguments = {SourceDir() + "/tests/toolkit/skin/main.xml"};
    options.socketPath = m_dir + "/viewer.sock";
    options.logPath = m_dir + "/viewer.log";
    options.configDir = m_dir;
    std::string error;
    ASSERT_TRUE(m_viewer.Start(options, m_noSim, error)) << error;
    // Connect is called at once: the socket appears only with the first window.
    ASSERT_TRUE(m_ui.Connect(options.socketPath, 60000, error)) << error;
  }
  void TearDown() override {
    m_ui.Close();
    m_viewer.Stop();
    RemoveTree(m_dir);
  }

  std::string m_dir;
  CSimRunner m_noSim;
  CClientProcess m_viewer;
  CAutomationClient m_ui;
};

TEST_F(AutomationClientTest, FindsControlsAndDrivesThem) {
  Json::Value tree = m_ui.Tree();
  ASSERT_TRUE(tree["ok"].asBool()) << ToJsonLine(tree);
  Json::Value hello = FindControl(tree, "Button_Hello");
  ASSERT_FALSE(hello.isNull());
  EXPECT_EQ(hello["window"].asString(), "SkinViewer");
  int x = 0, y = 0, w = 0, h = 0;
  ASSERT_TRUE(ControlRect(hello, x, y, w, h));
  EXPECT_EQ(w, 120);
  EXPECT_EQ(h, 32);
  // Controls on a tab that is not shown exist but are not visible.
  EXPECT_TRUE(FindControl(tree, "List_Test").isNull());
  EXPECT_FALSE(FindControl(tree, "List_Test", false).isNull());

  std::string error;
  EXPECT_TRUE(m_ui.Type("Edit_Name", "张三 abc", error)) << error;
  Json::Value edit;
  ASSERT_TRUE(m_ui.WaitForControl("Edit_Name", 5000, &edit));
  EXPECT_EQ(edit["text"].asString(), "张三 abc");
  EXPECT_TRUE(m_ui.Click("Option_Check", error)) << error;
  EXPECT_TRUE(FindControl(m_ui.Tree(), "Option_Check")["selected"].asBool());
  EXPECT_TRUE(m_ui.Mouse(x + 5, y + 5, "move", error)) << error;
  std::string shot = m_dir + "/shot.png";
  EXPECT_TRUE(m_ui.Screenshot(shot, error)) << error;
  EXPECT_FALSE(TailOf(shot, 8).empty());
}

TEST_F(AutomationClientTest, FailuresComeBackAsAnswers) {
  std::string error;
  EXPECT_FALSE(m_ui.Click("No_Such_Control", error));
  EXPECT_NE(error.find("No_Such_Control"), std::string::npos) << error;
  EXPECT_FALSE(m_ui.Click("List_Test", error));
  EXPECT_NE(error.find("not visible"), std::string::npos) << error;
  Json::Value command(Json::objectValue);
  command["cmd"] = "frobnicate";
  Json::Value answer = m_ui.Call(command);
  EXPECT_FALSE(answer["ok"].asBool());
  EXPECT_FALSE(answer["error"].asString().empty());
  // The connection is still good after failed commands.
  EXPECT_TRUE(m_ui.State()["ok"].asBool());
  EXPECT_FALSE(m_ui.WaitForControl("No_Such_Control", 300));
  EXPECT_FALSE(m_ui.WaitForBox(300));
  EXPECT_TRUE(m_ui.IsConnected());
}

TEST_F(AutomationClientTest, WaitsEndAtTheirDeadline) {
  int polls = 0;
  Json::Value last;
  long long started = MonotonicMs();
  EXPECT_FALSE(m_ui.WaitForState([&](const Json::Value&) { return ++polls < 0; }, 500, &last));
  long long took = MonotonicMs() - started;
  EXPECT_GE(took, 500);
  EXPECT_LT(took, 20000);
  EXPECT_GT(polls, 1);
  EXPECT_TRUE(last["ok"].asBool());
  EXPECT_TRUE(m_ui.WaitForState([](const Json::Value& s) { return s.isMember("boxes"); }, 5000));
}

TEST_F(AutomationClientTest, AGoneProgramFailsCallsAndIsReaped) {
  std::string error;
  ASSERT_TRUE(m_ui.Click("closebtn", error)) << error;
  int status = -1;
  ASSERT_TRUE(m_viewer.WaitExit(30000, &status));
  EXPECT_EQ(status, 0);
  Json::Value answer = m_ui.State();
  EXPECT_FALSE(answer["ok"].asBool());
  EXPECT_FALSE(m_ui.IsConnected());
  EXPECT_FALSE(m_ui.Connect(m_dir + "/viewer.sock", 200, error));
  EXPECT_NE(error.find("no automation socket"), std::string::npos) << error;
}

TEST(AutomationPaths, StateAtFollowsDottedPaths) {
  Json::Value state;
  ASSERT_TRUE(ParseJson(R"({"frame":{"loggedIn":true,"tabs":{"login":2}},"list":[1]})", state));
  EXPECT_TRUE(StateAt(state, "frame.loggedIn").asBool());
  EXPECT_EQ(StateAt(state, "frame.tabs.login").asInt(), 2);
  EXPECT_TRUE(StateAt(state, "frame.missing").isNull());
  EXPECT_TRUE(StateAt(state, "list.0").isNull());
  EXPECT_TRUE(StateAt(state, "frame.loggedIn.deeper").isNull());
}

TEST(AutomationPaths, DemoScenarioCanUseFreePortsAndShorterAds) {
  std::string error;
  Json::Value scenario = DemoScenario(true, error);
  ASSERT_TRUE(scenario.isObject()) << error;
  for (const char* port : {"account", "payment", "admin", "web", "control", "rtmp"})
    EXPECT_EQ(scenario["ports"][port].asInt(), 0) << port;
  SetAdTime(scenario, 3);
  EXPECT_EQ((*FindDevice(scenario, "PAD-FREE-1"))["adPlayTime"].asInt(), 3);
  EXPECT_EQ((*FindDevice(scenario, "PAD-VIP-1"))["adPlayTime"].asInt(), 0);
  EXPECT_EQ(FindDevice(scenario, "PAD-NONE"), nullptr);
  EXPECT_EQ(DemoScenario(false, error)["ports"]["account"].asInt(), 8443);
}

}  // namespace
}  // namespace zv::automation
