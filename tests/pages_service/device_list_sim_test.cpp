// The device list against the simulated platform: the account's pads fetched with the
// list, paging and arrows, and a list that shrinks under the page being shown.
#include <gtest/gtest.h>

#include "app/events.h"
#include "tests/pages_service/service_page_fixture.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_container.h"

namespace zv::test {
namespace {

class DeviceListSimTest : public SimPageTest {
 protected:
  DuiLib::CButtonUI* Arrow(const wchar_t* name) { return dynamic_cast<DuiLib::CButtonUI*>(host->Find(name)); }
  std::wstring Tooltip(int slot) { return host->List()->Slot(slot).tile->GetToolTip(); }
  int UsedSlots() {
    int used = 0;
    for (int i = 0; i < 4; ++i) used += host->List()->Slot(i).used;
    return used;
  }
};

TEST_F(DeviceListSimTest, NoDevicesShowsFourEmptyTilesThatLeadToTheApplyPage) {
  SignInAndShow("nodevice");
  pages::CServiceStatusUI* list = host->List();
  EXPECT_EQ(list->PageCount(), 0);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(list->Slot(i).used, 0);
    EXPECT_EQ(Tooltip(i), L"点击申请设备");
    EXPECT_EQ(list->Slot(i).statusLabel->GetBkImage(), L"offline.png");
  }
  EXPECT_FALSE(Arrow(L"Button_LeftPage")->IsEnabled());
  EXPECT_EQ(Arrow(L"Button_LeftPage")->GetNormalImage(),
            L"\\ServicePage\\right\\ServiceInfo\\Arrow-left-grey.png");
  // With no page at all the right arrow stays usable; its empty page folds back to 0.
  EXPECT_TRUE(Arrow(L"Button_RightPage")->IsEnabled());
  EXPECT_EQ(Arrow(L"Button_RightPage")->GetNormalImage(), L"Arrow-Right.png");

  host->Click(L"Option_Service3");
  EXPECT_EQ(list->Selected(), 2);
  EXPECT_EQ(host->log, std::vector<std::string>({"cmd:2"}));
  // A double click on an empty tile selects it and opens nothing.
  host->log.clear();
  host->List()->OpenDevice(1, host->GetHWND());
  EXPECT_EQ(list->Selected(), 1);
  EXPECT_TRUE(host->log.empty());
}

TEST_F(DeviceListSimTest, FourDevicesFillOnePage) {
  SignInAndShow("four");
  pages::CServiceStatusUI* list = host->List();
  EXPECT_EQ(list->PageCount(), 1);
  const char* codes[] = {"T-FREE", "T-VIP", "T-OFFLINE", "T-NOMONEY"};
  const wchar_t* images[] = {L"online.png", L"online.png", L"offline.png", L"nomoney.png"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(list->Slot(i).pad.padCode, codes[i]);
    EXPECT_EQ(list->Slot(i).tile->GetText(), L"设备" + std::to_wstring(i + 1));
    EXPECT_EQ(Tooltip(i), L"双击可控制设备");
    EXPECT_EQ(list->Slot(i).statusLabel->GetBkImage(), images[i]) << i;
  }
  EXPECT_FALSE(Arrow(L"Button_LeftPage")->IsEnabled());
  EXPECT_FALSE(Arrow(L"Button_RightPage")->IsEnabled());
  EXPECT_EQ(Arrow(L"Button_RightPage")->GetNormalImage(), L"Arrow-Right-grey.png");

  host->Click(L"Option_Service2");
  EXPECT_EQ(host->TextOf(L"Label_ServiceId"), L"VIP设备");
  EXPECT_EQ(host->TextOf(L"Label_Contrl_Time"), L"120分");
  EXPECT_EQ(host->TextOf(L"Label_OnLine_Time"), L"90天");
  EXPECT_EQ(host->TextOf(L"Label_Status"), L"在线");
  EXPECT_TRUE(host->commands.empty());
}

TEST_F(DeviceListSimTest, FiveDevicesPageWithTheArrows) {
  SignInAndShow("five");
  pages::CServiceStatusUI* list = host->List();
  EXPECT_EQ(list->PageCount(), 2);
  EXPECT_EQ(UsedSlots(), 4);
  EXPECT_TRUE(Arrow(L"Button_RightPage")->IsEnabled());

  host->Click(L"Button_RightPage");
  EXPECT_EQ(list->PageIndex(), 1);
  EXPECT_EQ(UsedSlots(), 1);
  EXPECT_EQ(list->Slot(0).pad.padCode, "T-EXPIRED");
  EXPECT_EQ(list->Slot(0).tile->GetText(), L"设备1");  // slot numbers, not list positions
  EXPECT_EQ(list->Slot(0).statusLabel->GetBkImage(), L"nomoney.png");
  EXPECT_EQ(Tooltip(1), L"点击申请设备");
  EXPECT_TRUE(Arrow(L"Button_LeftPage")->IsEnabled());
  EXPECT_EQ(Arrow(L"Button_LeftPage")->GetNormalImage(), L"Arrow-left.png");
  EXPECT_EQ(Arrow(L"Button_LeftPage")->GetPushedImage(), L"Arrow-left-active.png");
  EXPECT_FALSE(Arrow(L"Button_RightPage")->IsEnabled());

  host->Click(L"Button_LeftPage");
  EXPECT_EQ(list->PageIndex(), 0);
  EXPECT_EQ(UsedSlots(), 4);
  EXPECT_FALSE(Arrow(L"Button_LeftPage")->IsEnabled());
  EXPECT_TRUE(Arrow(L"Button_RightPage")->IsEnabled());
}

TEST_F(DeviceListSimTest, ListShrinkingUnderPageTwoFallsBackToPageOne) {
  SignInAndShow("five");
  host->Click(L"Button_RightPage");
  ASSERT_EQ(host->List()->PageIndex(), 1);
  // The same window, now with an account of four devices.
  ASSERT_TRUE(CPagesSim::SignIn("four"));
  host->Click(L"Button_RefreshService");
  EXPECT_EQ(host->List()->PageIndex(), 0);
  EXPECT_EQ(host->List()->PageCount(), 1);
  EXPECT_EQ(UsedSlots(), 4);
  EXPECT_FALSE(Arrow(L"Button_LeftPage")->IsEnabled());
  EXPECT_FALSE(Arrow(L"Button_RightPage")->IsEnabled());
}

TEST_F(DeviceListSimTest, AnExpiredSessionLeavesTheListAsItWas) {
  SignInAndShow("four");
  CPagesSim::Admin("sessions/expire");
  host->Click(L"Button_RefreshService");
  EXPECT_EQ(host->List()->PageCount(), 1);
  EXPECT_EQ(UsedSlots(), 4);
  EXPECT_TRUE(window.WaitForMessage(UWM_SESSION_TIMEOUT));
}

TEST_F(DeviceListSimTest, ShortcutsCarryThePadCode) {
  SignInAndShow("four");
  host->Click(L"Option_ServiceStatus2");
  ASSERT_EQ(host->List()->Selected(), 1);
  host->Click(L"Button_Charge");
  host->Click(L"Button_ExChange");
  ASSERT_EQ(host->commands.size(), 2u);
  EXPECT_EQ(host->commands[0].sub, PAGE_CMD_RECHARGE);
  EXPECT_EQ(host->commands[0].text, "T-VIP");
  EXPECT_EQ(host->commands[1].sub, PAGE_CMD_EXCHANGE);
  EXPECT_EQ(host->commands[1].text, "T-VIP");
}

}  // namespace
}  // namespace zv::test
