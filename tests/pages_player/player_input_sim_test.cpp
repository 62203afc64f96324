// Mouse input on the player page reaching the control node of the built zelvane-sim:
// one sim per test binary on ephemeral loopback ports, a real login for a live session,
// the node's log read over the admin interface.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "api/app_context.h"
#include "app/events.h"
#include "app/main_window_notifier.h"
#include "control/control_client.h"
#include "tests/control/recording_stream.h"
#include "tests/pages_player/player_host.h"
#include "tests/sim_core/sim_client.h"
#include "tests/sim_core/sim_process.h"
#include "toolkit/main_window_target.h"

namespace zv::test {
namespace {

using namespace std::chrono_literals;
using zv::pages::CShowPlayerUI;

struct Pointer {
  std::string type;
  int x, y;
  bool operator==(const Pointer&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Pointer& p) {
  return os << p.type << "(" << p.x << "," << p.y << ")";
}

class PlayerInputSimTest : public ::testing::Test {
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

    CAppContext& context = CAppContext::Instance();
    context.sessionId = session;
    context.qualityLevel = QUALITY_HD;
    PadInfo pad;
    pad.padCode = "PAD-FREE-1";
    pad.padName = "PAD-FREE-1";
    pad.padGrade = "0";
    pad.adPlayTime = 15;
    pad.controlCode = "node-1";
    context.padList = {pad};
    context.SetCurrentPadCode("PAD-FREE-1");
    context.controlList = {
        ControlNodeInfo{"node-1", "127.0.0.1", static_cast<uint16_t>(sim->Port("control"))}};

    m_host.Open();
    ASSERT_NE(m_host.player, nullptr);
    m_target.SetWindow(m_host.GetHWND());
    CMainWindowNotifier::Instance().SetTarget(&m_target);
    CControlClient::Instance().SetStreamSession(&m_stream);
  }

  void TearDown() override {
    CMainWindowNotifier::Instance().SetTarget(nullptr);
    CControlClient::Instance().Stop();
    // The loops may still be sending to the window: keep it running while they end.
    std::atomic<bool> ended{false};
    std::thread waiter([&] { ended = CControlClient::Instance().WaitForLoops(20s); });
    PumpUntil([&] { return ended.load(); }, 25000);
    waiter.join();
    EXPECT_TRUE(ended.load());
    CControlClient::Instance().SetStreamSession(nullptr);
    CAppContext::Instance().padList.clear();
    CAppContext::Instance().controlList.clear();
  }

  std::vector<Pointer> PointerLog() {
    std::vector<Pointer> pointers;
    const Json::Value log = m_client->Admin("control/log");
    for (const auto& entry : log["messages"]) {
      std::string type = entry["type"].asString();
      if (type.rfind("CTRL_POINTER", 0) == 0)
        pointers.push_back({type, entry["x"].asInt(), entry["y"].asInt()});
    }
    return pointers;
  }
  bool NodeSawPad() {
    const Json::Value log = m_client->Admin("control/log");
    for (const auto& entry : log["messages"])
      if (entry["type"].asString() == "CTRL_PAD") return true;
    return false;
  }
  void Connect() {
    ASSERT_EQ(CControlClient::Instance().Connect("PAD-FREE-1"), 0);
    ASSERT_TRUE(PumpUntil([&] { return NodeSawPad(); }, 10000));
  }
  void PressAndRelease(int x, int y) {
    m_host.Press(x, y);
    m_host.Release(x, y);
  }
  void GiveVideoFrame() {
    m_host.player->OnVideoSize(m_picture.Width(), m_picture.Height());
    m_host.player->OnVideoFrame(m_picture.Frame());
  }

  static sim::test::CSimProcess* sim;
  std::unique_ptr<sim::test::CSimClient> m_client;
  CPageHost m_host;
  DuiLib::CMainWindowTarget m_target;
  RecordingStream m_stream;
  CTestPicture m_picture{360, 640};
};
sim::test::CSimProcess* PlayerInputSimTest::sim = nullptr;

TEST_F(PlayerInputSimTest, PointerReachesTheNodeInPictureCoordinatesOnlyWhileTheVideoShows) {
  Connect();
  CShowPlayerUI* page = m_host.player;

  // Before the first frame.
  PressAndRelease(140, 260);
  m_host.Move(150, 270);
  // During the ad, with a frame already there.
  page->StartPlayback(m_host.GetHWND());
  GiveVideoFrame();
  ASSERT_EQ(page->PlayerTab(), CShowPlayerUI::kAdTab);
  PressAndRelease(140, 260);
  for (int i = 0; i < 15; ++i) page->OnAdTick(m_host.GetHWND());
  ASSERT_EQ(page->PlayerTab(), CShowPlayerUI::kVideoTab);

  // The target lies at (40, 60) of the window.
  m_host.Press(140, 260);
  m_host.Move(30, 50);  // held: followed beyond the picture, unclamped
  m_host.Release(30, 50);
  m_host.Press(140, 260);
  m_host.Release(140, 260);
  m_host.DoubleClick(140, 260);
  m_host.Release(140, 260);
  m_host.Move(41, 61);  // hovering over the picture

  const std::vector<Pointer> expected{{"CTRL_POINTER_DOWN", 100, 200}, {"CTRL_POINTER_MOVE", -10, -10},
                                      {"CTRL_POINTER_UP", -10, -10},   {"CTRL_POINTER_DOWN", 100, 200},
                                      {"CTRL_POINTER_UP", 100, 200},   {"CTRL_POINTER_UP", 100, 200},
                                      {"CTRL_POINTER_MOVE", 1, 1}};
  ASSERT_TRUE(PumpUntil([&] { return PointerLog().size() >= expected.size(); }, 10000));
  Pump(200);
  EXPECT_EQ(PointerLog(), expected);
}

TEST_F(PlayerInputSimTest, OutsideThePictureNothingIsSentAndEndingTheSessionStopsInput) {
  Connect();
  CShowPlayerUI* page = m_host.player;
  CAppContext::Instance().padList[0].adPlayTime = 0;
  page->StartPlayback(m_host.GetHWND());
  GiveVideoFrame();
  ASSERT_EQ(page->PlayerTab(), CShowPlayerUI::kVideoTab);
  PressAndRelease(600, 300);  // the toolbar card
  m_host.Move(700, 400);
  m_host.Press(140, 260);
  page->SetFrameReceived(false);  // the frame left the session while the button was down
  m_host.Move(150, 270);
  m_host.Release(150, 270);
  GiveVideoFrame();
  m_host.Move(45, 65);
  const std::vector<Pointer> expected{{"CTRL_POINTER_DOWN", 100, 200}, {"CTRL_POINTER_MOVE", 5, 5}};
  ASSERT_TRUE(PumpUntil([&] { return PointerLog().size() >= expected.size(); }, 10000));
  Pump(200);
  EXPECT_EQ(PointerLog(), expected);
}

}  // namespace
}  // namespace zv::test
