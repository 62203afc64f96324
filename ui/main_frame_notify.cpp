// Notify: the frame's own clicks, "windowinit", and the routing of every other
// notification to the page that owns the sending control.
#include <array>
#include <string>

#include "api/app_context.h"
#include "app/events.h"
#include "player/stream_player.h"
#include "toolkit/ui_button.h"
#include "ui/main_frame_page.h"

namespace zv::ui {

namespace {

enum class Receiver { Login, LeftPanel, Apply, DeviceList, Fault, Recharge, Orders, Exchange, Agreement };

struct RouteGroup {
  Receiver receiver;
  bool stop;  // the notification is finished after the forward
  std::vector<std::wstring> names;
};

std::vector<std::wstring> DeviceSlotNames() {
  std::vector<std::wstring> names;
  for (int slot = 1; slot <= 4; ++slot)
    for (const wchar_t* base :
         {L"Option_Service", L"Option_ServiceStatus", L"Label_ServiceStatusColor", L"Option_Quality"})
      names.push_back(base + std::to_wstring(slot));
  return names;
}

// In the order the groups are tested.
const std::vector<RouteGroup>& RouteTable() {
  static const std::vector<RouteGroup> table = {
      {Receiver::Login,
       true,
       {L"Button_Login", L"Edit_Password", L"Edit_UserName", L"Option_Login", L"Option_rememberPsw",
        L"Button_Register", L"Button_ForgetPsw", L"Button_QQ"}},
      {Receiver::LeftPanel,
       false,
       {L"Button_AddMoney", L"Button_AddService", L"Button_Contact", L"Button_Notice",
        L"Button_SwitchAccount", L"Button_Service_QQ", L"Button_OrderList", L"Button_DailyAttendance"}},
      {Receiver::Apply, true, {L"Button_NormalDevice", L"Button_VIPDevice"}},
      {Receiver::DeviceList, true, DeviceSlotNames()},
      {Receiver::DeviceList,
       true,
       {L"Button_RightPage", L"Button_LeftPage", L"Button_List_Close", L"Button_RefreshService",
        L"Button_ListItem", L"Button_Charge", L"Button_ExChange", L"Option_AutoQuality"}},
      {Receiver::Fault,
       false,
       {L"Option_Fault_Apply", L"Option_Fault_Info", L"Fault_List_Container", L"Button_Tab_Fault",
        L"FaultApply_Fault_Feedback"}},
      {Receiver::Recharge,
       false,
       {L"Button_Apply_Order", L"GoodList_GoodsName", L"Option_Bank_Choose", L"Option_ChargeType_Choose",
        L"Button_Bank_Charge", L"Button_Charge_back", L"Button_Charge_Apply", L"Button_Charge_End"}},
      {Receiver::Orders, false, {L"Button_RefreshOrder", L"Button_OrderStatus", L"OrderList"}},
      {Receiver::Exchange, false, {L"Button_ExChange_Apply", L"Button_ExChange_back", L"Edit_Count"}},
      {Receiver::Agreement, true, {L"Button_Agree_OK", L"Button_Agren_Back", L"Option_Agree"}},
  };
  return table;
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
  for (const std::wstring& n : names)
    if (n == name) return true;
  return false;
}

const std::array<const wchar_t*, 4> kQualityOptions = {L"Setting_HD", L"Setting_Normal", L"Setting_Fast",
                                                       L"Setting_UtlratFast"};

}  // namespace

void CMainFramePage::Notify(DuiLib::TNotifyUI& msg) {
  const std::wstring sender = msg.pSender ? msg.pSender->GetName() : L"";
  // A frame click may close the window, which ends this object: nothing may follow it.
  if (msg.sType == L"click" && OnFrameClick(sender)) return;
  if (msg.sType == L"windowinit") {
    OnWindowInit();
    return;
  }
  RouteToPages(msg, sender);
}

bool CMainFramePage::OnFrameClick(const std::wstring& sender) {
  if (sender == L"closebtn") {
    Close(1);
    return true;
  }
  if (sender == L"minbtn") {
    SendMessage(zv::WM_SYSCOMMAND, zv::SC_MINIMIZE, 0);
    return true;
  }
  if (sender == L"Button_MainMenu") {
    BackToDeviceList();
    return true;
  }
  if (sender == L"Button_Back") {
    SendBackKey();
    return true;
  }
  for (size_t level = 0; level < kQualityOptions.size(); ++level) {
    if (sender == kQualityOptions[level]) {
      ChooseQuality(static_cast<int32_t>(level));
      return true;
    }
  }
  if (sender == L"Button_More") {
    ToggleQualityMenu();
    return true;
  }
  return false;
}

void CMainFramePage::ChooseQuality(int32_t level) {
  zv::CAppContext::Instance().qualityLevel = level;
  zv::CStreamPlayer::Instance().SetQuality(level, false);
}

void CMainFramePage::ToggleQualityMenu() {
  if (!m_inSession) return;
  DuiLib::CControlUI* menu = Find(L"VideoSetting");
  if (!menu) return;
  menu->SetVisible(!menu->IsVisible());
  if (!menu->IsVisible()) return;
  const int32_t level = zv::CAppContext::Instance().qualityLevel.load();
  if (level < 0 || level >= static_cast<int32_t>(kQualityOptions.size())) return;
  DuiLib::CControlUI* control = Find(kQualityOptions[static_cast<size_t>(level)]);
  if (auto* option = control ? static_cast<DuiLib::COptionUI*>(control->GetInterface(L"Option")) : nullptr)
    option->Selected(true, false);
}

void CMainFramePage::RouteToPages(DuiLib::TNotifyUI& msg, const std::wstring& sender) {
  if (sender.empty()) return;
  for (const RouteGroup& group : RouteTable()) {
    if (!Contains(group.names, sender)) continue;
    switch (group.receiver) {
      case Receiver::Login:
        if (m_loginPage) m_loginPage->Notify(msg, m_hWnd);
        break;
      case Receiver::LeftPanel:
        if (m_servicePanel) m_servicePanel->Notify(msg, m_hWnd);
        break;
      case Receiver::Apply:
        if (m_applyPage) m_applyPage->Notify(msg, m_hWnd);
        break;
      case Receiver::DeviceList:
        if (m_deviceList) m_deviceList->Notify(msg, m_hWnd);
        break;
      case Receiver::Fault:
        ForwardByName(L"FaultFeedbackWindow", msg);
        break;
      case Receiver::Recharge:
        ForwardByName(L"ChargeWindow", msg);
        break;
      case Receiver::Orders:
        ForwardByName(L"OrderInfoWindow", msg);
        break;
      case Receiver::Exchange:
        ForwardByName(L"ExChangeRBCWindow", msg);
        break;
      case Receiver::Agreement:
        ForwardByName(L"AgreeServiceWindow", msg);
        break;
    }
    if (group.stop) return;
  }
}

void CMainFramePage::ForwardByName(const wchar_t* pageName, DuiLib::TNotifyUI& msg) {
  if (auto* page = dynamic_cast<IPage*>(Find(pageName))) page->Notify(msg, m_hWnd);
}

}  // namespace zv::ui
