// Opening a device from the list against the simulated platform: the first-control gift,
// the redemption-period refusal, a node that does not exist and a connect that reaches
// the simulated control node.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "api/app_context.h"
#include "app/events.h"
#include "control/control_client.h"
#include "tests/pages_service/service_page_fixture.h"

namespace zv::test {
namespace {

const std::string kGiftBox = "box:恭喜您！首次控制该设备，获赠金豆奖励，可在账户余额中查看。";

class DeviceOpenSimTest : public SimPageTest {
 protected:
  void SetUp() override {
    SimPageTest::SetUp();
    if (HasFatalFailure()) return;
    CPagesSim::Admin("control/log/clear");
    CPagesSim::Admin("log/clear");
    SignInAndShow("opener");
  }
  // The CTRL_PAD messages the node received, as their pad codes.
  std::vector<std::string> PadsAnnounced() {
    std::vector<std::string> pads;
    const Json::Value log = CPagesSim::Admin("control/log");
    for (const Json::Value& m : log["messages"])
      if (m["padCode"].isString()) pads.push_back(m["padCode"].asString());
    return pads;
  }
  bool WaitForAnnounced(const std::string& pad) {
    for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(std::chrono::milliseconds(50)))
      for (const std::string& p : PadsAnnounced())
        if (p == pad) return true;
    return false;
  }
  int SlotOf(const std::string& pad) {
    for (int i = 0; i < 4; ++i)
      if (host->List()->Slot(i).pad.padCode == pad) return i;
    return -1;
  }
  const wchar_t* TileOf(const std::string& pad) {
    static const wchar_t* const tiles[] = {L"Option_Service1", L"Option_Service2", L"Option_Service3",
                                           L"Option_Service4"};
    const int slot = SlotOf(pad);
    return slot < 0 ? L"" : tiles[slot];
  }
};

TEST_F(DeviceOpenSimTest, RedemptionPeriodDeviceIsRefusedFromTheTile) {
  host->Click(TileOf("O-EXPIRED"), true);
  EXPECT_EQ(host->log, std::vector<std::string>({kGiftBox, "box:你的设备可用时间不够，请充值！"}));
  EXPECT_EQ(CAppContext::Instance().currentPadCode, "O-EXPIRED");
  EXPECT_TRUE(PadsAnnounced().empty());
}

TEST_F(DeviceOpenSimTest, MissingControlNodeShowsItsTextThenTheDeviceList) {
  host->Click(TileOf("O-NONODE"), true);
  EXPECT_EQ(host->log,
            std::vector<std::string>({kGiftBox, "cmd:4", "box:连接服务器失败!找不到控制节点", "cmd:3"}));
}

TEST_F(DeviceOpenSimTest, GoodDeviceOpensThePlayerThenReachesTheNode) {
  host->Click(TileOf("O-GOOD"), true);
  EXPECT_EQ(host->log, std::vector<std::string>({kGiftBox, "cmd:4"}));
  EXPECT_EQ(CAppContext::Instance().currentPadCode, "O-GOOD");
  EXPECT_TRUE(WaitForAnnounced("O-GOOD"));
  // The gift comes once per device: the second opening is silent about it.
  CControlClient::Instance().Stop();
  ASSERT_TRUE(CControlClient::Instance().WaitForLoops(std::chrono::seconds(20)));
  host->log.clear();
  host->Click(TileOf("O-GOOD"), true);
  EXPECT_EQ(host->log, std::vector<std::string>({"cmd:4"}));
}

TEST_F(DeviceOpenSimTest, ListItemOpensTheSelectedDeviceWithoutTaskOrTimeCheck) {
  host->Click(TileOf("O-EXPIRED"));
  ASSERT_EQ(host->List()->Selected(), SlotOf("O-EXPIRED"));
  host->Click(L"Button_ListItem", true);
  EXPECT_EQ(host->log, std::vector<std::string>({"cmd:4"}));
  EXPECT_TRUE(WaitForAnnounced("O-EXPIRED"));
  bool taskSent = false;
  const Json::Value log = CPagesSim::Admin("log");
  for (const Json::Value& entry : log["entries"])
    taskSent = taskSent || entry["path"].asString().find("doPadLoginTask") != std::string::npos;
  EXPECT_FALSE(taskSent);
}

}  // namespace
}  // namespace zv::test
