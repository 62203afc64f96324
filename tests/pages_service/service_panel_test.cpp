// The account panel: its factory of the right-hand pages, its buttons' page commands, the
// notice button's flicker and the bean balance from the simulated platform.
#include <gtest/gtest.h>

#include "app/events.h"
#include "pages/account_pages.h"
#include "tests/pages_service/service_page_fixture.h"
#include "toolkit/ui_container.h"

namespace zv::test {
namespace {

using ServicePanelTest = PanelTest;

TEST_F(ServicePanelTest, FactoryBuildsTheEightRightHandPagesInTabOrder) {
  auto* tabs = dynamic_cast<DuiLib::CTabLayoutUI*>(host->Find(L"switch"));
  ASSERT_NE(tabs, nullptr);
  ASSERT_EQ(tabs->GetCount(), 8);
  const wchar_t* names[] = {L"AddServiceWindow",    L"ServiceStatusWindow", L"BindMobileWindow",
                            L"FaultFeedbackWindow", L"ChargeWindow",        L"OrderInfoWindow",
                            L"ExChangeRBCWindow",   L"AgreeServiceWindow"};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(tabs->GetItemAt(i)->GetName(), names[i]) << i;
  EXPECT_NE(dynamic_cast<ui::IApplyPage*>(tabs->GetItemAt(0)), nullptr);
  EXPECT_NE(dynamic_cast<ui::IDeviceListPage*>(tabs->GetItemAt(1)), nullptr);
  EXPECT_NE(dynamic_cast<pages::CBindMobileUI*>(tabs->GetItemAt(2)), nullptr);
  EXPECT_NE(dynamic_cast<ui::IFaultFeedbackPage*>(tabs->GetItemAt(3)), nullptr);
  EXPECT_NE(dynamic_cast<ui::IChargePage*>(tabs->GetItemAt(4)), nullptr);
  EXPECT_NE(dynamic_cast<ui::IOrderPage*>(tabs->GetItemAt(5)), nullptr);
  EXPECT_NE(dynamic_cast<ui::IExchangePage*>(tabs->GetItemAt(6)), nullptr);
  EXPECT_NE(dynamic_cast<ui::IAgreementPage*>(tabs->GetItemAt(7)), nullptr);
  // Each page built its own layout, and the apply page holds its two offers.
  for (const wchar_t* name : {L"Button_NormalDevice", L"Button_VIPDevice", L"Label_NormalDeviceStatusIcon",
                              L"Label_VIPDeviceStatus_Des", L"OrderInfoPage_Title", L"ExChangePage_Title"})
    EXPECT_NE(host->Find(name), nullptr) << Utf8(name);
  EXPECT_EQ(host->Panel()->CreateControl(L"NoSuchPage"), nullptr);
}

TEST_F(ServicePanelTest, AddServiceAlternatesBetweenApplyPageAndDeviceList) {
  EXPECT_EQ(host->Panel()->Mode(), 2);
  host->Click(L"Button_AddService");
  host->Click(L"Button_AddService");
  host->Click(L"Button_AddService");
  EXPECT_EQ(host->log, std::vector<std::string>({"cmd:3", "cmd:2", "cmd:3"}));
  // The frame's own page changes set the mode; the toggle follows the page last shown.
  host->Panel()->SetMode(2);
  host->Click(L"Button_AddService");
  EXPECT_EQ(host->log.back(), "cmd:3");
}

TEST_F(ServicePanelTest, ButtonsSendTheirPageCommands) {
  host->Click(L"Button_SwitchAccount");
  host->Click(L"Button_Contact");
  host->Click(L"Button_OrderList");
  host->Click(L"Button_AddMoney");
  ASSERT_EQ(host->commands.size(), 3u);
  EXPECT_EQ(host->commands[0].sub, PAGE_CMD_LOG_OUT);
  EXPECT_EQ(host->commands[0].lParam, 1);
  EXPECT_EQ(host->commands[1].sub, PAGE_CMD_FAULT_FEEDBACK);
  EXPECT_EQ(host->commands[2].sub, PAGE_CMD_ORDERS);
}

TEST_F(ServicePanelTest, NoticeButtonCyclesThroughTheFlickerImagesAndComesToRest) {
  DuiLib::CControlUI* notice = host->Find(L"Button_Notice");
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(notice->GetBkImage(), L"ShowNotice/notice_normal.png");
  std::vector<std::wstring> seen;
  for (int i = 0; i < 4; ++i) {
    host->Panel()->FlickerNotice();
    seen.push_back(notice->GetBkImage());
  }
  EXPECT_EQ(seen, std::vector<std::wstring>(
                      {L"ShowNotice\\notice_flickered_2.png", L"ShowNotice\\notice_flickered_3.png",
                       L"ShowNotice\\notice_flickered_1.png", L"ShowNotice\\notice_flickered_2.png"}));
  host->Panel()->StopNoticeFlicker();
  EXPECT_EQ(notice->GetBkImage(), L"ShowNotice\\notice_normal.png");
}

class ServicePanelSimTest : public SimPageTest {};

TEST_F(ServicePanelSimTest, RefreshBeansShowsTheBalanceUnlessTheSessionExpired) {
  ASSERT_TRUE(CPagesSim::SignIn("five"));
  host->Panel()->RefreshBeans();
  EXPECT_EQ(host->TextOf(L"Label_RBC"), L"250");
  CPagesSim::Admin("sessions/expire");
  CAppContext::Instance().rbcAmount = 7;
  host->Panel()->RefreshBeans();
  EXPECT_EQ(host->TextOf(L"Label_RBC"), L"250");
}

}  // namespace
}  // namespace zv::test
