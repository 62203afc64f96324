// The device list's slots, images, details and quality choice on a device list given
// directly (no service): the rules that need cases the simulated platform cannot serve.
#include <gtest/gtest.h>

#include <QSettings>

#include "api/app_context.h"
#include "api/settings.h"
#include "app/events.h"
#include "tests/pages_service/service_page_fixture.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_container.h"

namespace zv::test {
namespace {

using DeviceSlotsTest = PanelTest;

TEST_F(DeviceSlotsTest, PadsWithoutCodeTakeNoSlot) {
  ShowPads({Pad("A"), Pad(""), Pad("B"), Pad(""), Pad("C"), Pad("D")});
  pages::CServiceStatusUI* list = host->List();
  EXPECT_EQ(list->PageCount(), 2);  // counted from the whole list, blanks included
  const char* expected[] = {"A", "B", "C", "D"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(list->Slot(i).used, 1) << i;
    EXPECT_EQ(list->Slot(i).pad.padCode, expected[i]) << i;
  }
  // Page 2 starts at list position 4: "C", "D"; the blank at 3 was already skipped.
  host->Click(L"Button_RightPage");
  EXPECT_EQ(list->PageIndex(), 1);
  EXPECT_EQ(list->Slot(0).pad.padCode, "C");
  EXPECT_EQ(list->Slot(1).pad.padCode, "D");
  EXPECT_EQ(list->Slot(2).used, 0);
  EXPECT_EQ(host->TextOf(L"Option_Service1"), L"设备1");
  EXPECT_EQ(host->TextOf(L"Option_Service3"), L"");
}

TEST_F(DeviceSlotsTest, StatusImagesAndTextsFollowStatusTimeAndRedemption) {
  struct Case {
    int32_t status;
    int32_t seconds;
    const char* recovery;
    const wchar_t* image;
    const wchar_t* text;
  };
  const Case cases[] = {
      {1, 60, "1", L"online.png", L"在线"},        {1, 0, "1", L"nomoney.png", L"控制时间不足"},
      {1, 60, "0", L"nomoney.png", L"设备已到期"}, {2, 60, "1", L"online.png", L"在线"},
      {2, 0, "1", L"online.png", L"控制时间不足"}, {2, 60, "0", L"online.png", L"设备已到期"},
      {0, 60, "1", L"offline.png", L"离线"},       {3, 60, "1", L"nomoney.png", L""},
  };
  for (const Case& c : cases) {
    ShowPads({Pad("P", c.status, "0", c.seconds, c.recovery)});
    host->List()->SelectSlot(0);
    auto* status = host->Find(L"Label_ServiceStatusColor1");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->GetBkImage(), c.image) << c.status << "/" << c.seconds << "/" << c.recovery;
    EXPECT_EQ(host->TextOf(L"Label_Status"), c.text) << c.status << "/" << c.seconds << "/" << c.recovery;
  }
}

TEST_F(DeviceSlotsTest, AnUnknownStatusKeepsTheImageItHad) {
  ShowPads({Pad("P", 0)});
  ShowPads({Pad("P", 7)});
  EXPECT_EQ(host->Find(L"Label_ServiceStatusColor1")->GetBkImage(), L"offline.png");
}

TEST_F(DeviceSlotsTest, ControlTimeShowsWholeMinutes) {
  const std::pair<int32_t, const wchar_t*> cases[] = {{59, L"1分"},  {60, L"1分"}, {119, L"1分"},
                                                      {120, L"2分"}, {0, L"0分"},  {-30, L"0分"}};
  for (const auto& [seconds, text] : cases) {
    ShowPads({Pad("P", 1, "0", seconds)});
    host->List()->SelectSlot(0);
    EXPECT_EQ(host->TextOf(L"Label_Contrl_Time"), text) << seconds;
  }
}

TEST_F(DeviceSlotsTest, DetailsNameTheDeviceAndItsDaysOrRedemptionDays) {
  PadInfo vip = Pad("V", 1, "1", 600, "0");
  vip.padName = "我的VIP";
  ShowPads({Pad("N"), vip});
  host->List()->SelectSlot(0);
  auto* tabs = dynamic_cast<DuiLib::CTabLayoutUI*>(host->Find(L"switch_List"));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->GetCurSel(), 1);
  EXPECT_EQ(host->TextOf(L"Time_Day"), L"剩余在线时间");
  EXPECT_EQ(host->TextOf(L"Label_OnLine_Time"), L"30天");
  EXPECT_FALSE(host->Find(L"Label_VipIcon")->IsVisible());

  host->List()->SelectSlot(1);
  EXPECT_EQ(host->TextOf(L"Label_ServiceId"), L"我的VIP");
  EXPECT_EQ(host->TextOf(L"Time_Day"), L"剩余赎回时间");
  EXPECT_EQ(host->TextOf(L"Label_OnLine_Time"), L"3天");
  EXPECT_TRUE(host->Find(L"Label_VipIcon")->IsVisible());

  host->Click(L"Button_List_Close");
  EXPECT_EQ(host->List()->Selected(), -1);
  EXPECT_EQ(tabs->GetCurSel(), 0);
}

TEST_F(DeviceSlotsTest, TilesTakeTheImagesOfTheirGrade) {
  ShowPads({Pad("N", 1, "0"), Pad("V", 1, "1")});
  auto image = [&](const wchar_t* name) {
    auto* tile = dynamic_cast<DuiLib::COptionUI*>(host->Find(name));
    return tile ? tile->GetNormalImage() + L"|" + tile->GetSelectedImage() + L"|" + tile->GetHotImage() : L"";
  };
  EXPECT_EQ(image(L"Option_Service1"),
            L"\\ServicePage\\right\\ServiceInfo\\service_nochoose.png|"
            L"\\ServicePage\\right\\ServiceInfo\\service_choosed."
            L"png|\\ServicePage\\right\\ServiceInfo\\service_focused.png");
  EXPECT_EQ(image(L"Option_Service2"),
            L"\\ServicePage\\right\\ServiceInfo\\vipdevice_nochoose.png|"
            L"\\ServicePage\\right\\ServiceInfo\\vipdevice_"
            L"choosed.png|\\ServicePage\\right\\ServiceInfo\\vipdevice_focused.png");
  EXPECT_EQ(image(L"Option_Service3"),
            L"\\ServicePage\\right\\ServiceInfo\\emptyservice_nochoose.png|"
            L"\\ServicePage\\right\\ServiceInfo\\emptyservice_"
            L"choosed.png|\\ServicePage\\right\\ServiceInfo\\emptyservice_focused.png");
  EXPECT_TRUE(host->Find(L"Option_ServiceStatus2")->IsEnabled());
  EXPECT_FALSE(host->Find(L"Option_ServiceStatus3")->IsEnabled());
}

TEST_F(DeviceSlotsTest, QualityChoiceIsRememberedForTheNextSession) {
  ShowPads({Pad("P")});
  host->List()->SelectSlot(-1);
  host->Click(L"Option_Quality1");
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), QUALITY_HD);
  host->Click(L"Option_Quality4");
  host->Click(L"Option_AutoQuality");
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), QUALITY_ULTRA_FAST);
  EXPECT_EQ(CAppContext::Instance().autoQuality.load(), 1);

  // What the next start of the program reads back.
  ISettingsBackend* store = CSettings::GetBackend();
  ASSERT_NE(store, nullptr);
  EXPECT_EQ(store->ReadInt(L"ZelvanePlayer", L"VideoSpeedMode", -1), 3);
  EXPECT_EQ(store->ReadInt(L"ZelvanePlayer", L"VideoSpeedAutoChange", -1), 1);

  host->Click(L"Option_AutoQuality");
  EXPECT_EQ(store->ReadInt(L"ZelvanePlayer", L"VideoSpeedAutoChange", -1), 0);
}

TEST_F(DeviceSlotsTest, QualityPanelShowsTheStoredChoice) {
  CAppContext::Instance().qualityLevel = QUALITY_NORMAL;
  CAppContext::Instance().autoQuality = 1;
  host->List()->SelectSlot(-1);
  auto selected = [&](const wchar_t* name) {
    auto* option = dynamic_cast<DuiLib::COptionUI*>(host->Find(name));
    return option && option->IsSelected();
  };
  EXPECT_FALSE(selected(L"Option_Quality1"));
  EXPECT_TRUE(selected(L"Option_Quality2"));
  EXPECT_TRUE(selected(L"Option_AutoQuality"));
  // A level outside the four options selects none of them.
  CAppContext::Instance().qualityLevel = 7;
  host->List()->ShowQualityPanel();
  for (const wchar_t* name : {L"Option_Quality1", L"Option_Quality2", L"Option_Quality3", L"Option_Quality4"})
    EXPECT_FALSE(selected(name)) << Utf8(name);
}

TEST_F(DeviceSlotsTest, ShortcutsNeedASelectedDevice) {
  ShowPads({Pad("P")});
  auto forward = [&](const wchar_t* name) {
    DuiLib::TNotifyUI msg;
    msg.sType = L"click";
    msg.pSender = host->Find(name);
    ASSERT_NE(msg.pSender, nullptr);
    host->List()->Notify(msg, host->GetHWND());
  };
  host->List()->SelectSlot(-1);
  forward(L"Button_Charge");
  host->List()->SelectSlot(1);  // an empty slot
  forward(L"Button_ExChange");
  EXPECT_TRUE(host->commands.empty());
  host->List()->SelectSlot(0);
  forward(L"Button_Charge");
  ASSERT_EQ(host->commands.size(), 1u);
  EXPECT_EQ(host->commands[0].sub, PAGE_CMD_RECHARGE);
  EXPECT_EQ(host->commands[0].text, "P");
}

}  // namespace
}  // namespace zv::test
