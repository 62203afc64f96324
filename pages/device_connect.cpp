// The lower half of the device list: details of the selected device, the quality choice
// for the next session, the recharge and exchange shortcuts, and opening a device.
#include <string>

#include "api/service_api.h"
#include "api/settings.h"
#include "api/text_util.h"
#include "app/events.h"
#include "control/control_client.h"
#include "pages/device_list_page.h"
#include "platform/message_box.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_label.h"
#include "toolkit/ui_window.h"
#include "toolkit/ui_window_host.h"

namespace zv::pages {
namespace {

const wchar_t* const kQualityNames[] = {L"Option_Quality1", L"Option_Quality2", L"Option_Quality3",
                                        L"Option_Quality4"};
const wchar_t* const kTileNames[] = {L"Option_Service1", L"Option_Service2", L"Option_Service3",
                                     L"Option_Service4"};

constexpr const wchar_t* kGiftText = L"恭喜您！首次控制该设备，获赠金豆奖励，可在账户余额中查看。";
constexpr const wchar_t* kNoTimeText = L"你的设备可用时间不够，请充值！";
constexpr const wchar_t* kConnectFailedPrefix = L"连接服务器失败!";

void SetTextOf(DuiLib::CControlUI* control, const std::wstring& text) {
  if (control) control->SetText(text);
}

std::wstring Days(int32_t days) {
  return std::to_wstring(days) + L"天";
}

}  // namespace

void CServiceStatusUI::ShowDetails() {
  if (m_selected < 0 || m_selected >= kSlotCount) return;
  const DeviceSlot& slot = m_slots[static_cast<size_t>(m_selected)];
  if (!slot.used) return;
  const PadInfo& pad = slot.pad;
  DuiLib::CControlUI* controlTime = FindByName(L"Label_Contrl_Time");
  DuiLib::CControlUI* onlineTime = FindByName(L"Label_OnLine_Time");
  DuiLib::CControlUI* name = FindByName(L"Label_ServiceId");
  if (!controlTime || !onlineTime || !name) return;
  if (pad.recoveryStatus == "0") {
    SetTextOf(FindByName(L"Time_Day"), L"剩余赎回时间");
    onlineTime->SetText(Days(pad.leftRecoveryDays));
  } else {
    SetTextOf(FindByName(L"Time_Day"), L"剩余在线时间");
    onlineTime->SetText(Days(pad.leftOnlineTime));
  }
  if (DuiLib::CControlUI* vip = FindByName(L"Label_VipIcon")) vip->SetVisible(pad.padGrade != "0");
  name->SetText(AnsiToWide(pad.padName));
  controlTime->SetText(AnsiToWide(FormatMinutes(pad.leftControlTime)));
  SetTextOf(FindByName(L"Label_Status"), device_rules::StatusText(pad));
  NeedUpdate();
}

void CServiceStatusUI::ShowQualityPanel() {
  const int32_t level = CAppContext::Instance().qualityLevel.load();
  for (int i = 0; i < kSlotCount; ++i) {
    if (auto* option = Find<DuiLib::COptionUI>(kQualityNames[i])) option->Selected(i == level, false);
  }
  if (auto* automatic = Find<DuiLib::COptionUI>(L"Option_AutoQuality"))
    automatic->Selected(CAppContext::Instance().autoQuality.load() != 0, false);
}

void CServiceStatusUI::HandleQualityClick(const std::wstring& sender) {
  CAppContext& context = CAppContext::Instance();
  for (int i = 0; i < kSlotCount; ++i) {
    if (sender == kQualityNames[i]) {
      // Only the next session starts with it; a running one is not touched from here.
      context.qualityLevel = i;
      CSettings::SaveQualitySettings(context);
      return;
    }
  }
  if (sender == L"Option_AutoQuality") {
    context.autoQuality = context.autoQuality.load() ? 0 : 1;
    CSettings::SaveQualitySettings(context);
  }
}

void CServiceStatusUI::SendShortcut(uint32_t subCode) {
  const DeviceSlot* slot = SelectedDevice();
  if (!slot) return;
  // The frame reads the text while the command is being sent.
  const std::string padCode = slot->pad.padCode;
  PageCommand(subCode, reinterpret_cast<DuiLib::LPARAM>(padCode.c_str()));
}

void CServiceStatusUI::HandleDoubleClick(const std::wstring& sender, DuiLib::HWND mainWnd) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (sender == kTileNames[i]) {
      OpenDevice(i, mainWnd);
      return;
    }
  }
  if (sender == L"Button_ListItem") {
    const DeviceSlot* slot = SelectedDevice();
    if (!slot) return;
    const std::string padCode = slot->pad.padCode;
    CAppContext::Instance().SetCurrentPadCode(padCode);
    ConnectDevice(padCode, mainWnd);
  }
}

void CServiceStatusUI::OpenDevice(int index, DuiLib::HWND mainWnd) {
  SelectSlot(index);
  if (index < 0 || index >= kSlotCount) return;
  // A copy: the boxes below run nested loops in which the list may be refilled.
  const DeviceSlot slot = m_slots[static_cast<size_t>(index)];
  if (!slot.used || slot.pad.padCode.empty()) return;
  CAppContext::Instance().SetCurrentPadCode(slot.pad.padCode);

  ApiRequest task;
  task.kind = REQ_PAD_LOGIN_TASK;
  task.params[0] = slot.pad.padCode;
  const int32_t result = CServiceApi::Instance().Execute(task);
  // An expired session ends the action here; the frame is already told.
  if (task.sessionExpired) return;
  if (result == 0) ShowMessageBox(BoxOwner(mainWnd), kGiftText, L"提示");

  if (slot.pad.recoveryStatus == "0") {
    ShowMessageBox(BoxOwner(mainWnd), kNoTimeText, L"提示");
    return;
  }
  ConnectDevice(slot.pad.padCode, mainWnd);
}

void CServiceStatusUI::ConnectDevice(const std::string& padCode, DuiLib::HWND mainWnd) {
  PageCommand(PAGE_CMD_OPEN_PLAYER);
  const int32_t result = CControlClient::Instance().Connect(padCode);
  if (result == 0) return;
  ShowMessageBox(BoxOwner(mainWnd), kConnectFailedPrefix + CControlClient::GetErrorText(result), L"提示");
  PageCommand(PAGE_CMD_SHOW_DEVICE_LIST);
}

}  // namespace zv::pages
