#include "pages/device_list_page.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include "api/service_api.h"
#include "api/text_util.h"
#include "app/events.h"
#include "toolkit/automation_server.h"
#include "toolkit/ui_builder.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_window.h"

namespace zv::pages {
namespace {

const wchar_t* const kTileNames[] = {L"Option_Service1", L"Option_Service2", L"Option_Service3",
                                     L"Option_Service4"};
const wchar_t* const kStatusAreaNames[] = {L"Option_ServiceStatus1", L"Option_ServiceStatus2",
                                           L"Option_ServiceStatus3", L"Option_ServiceStatus4"};
const wchar_t* const kStatusLabelNames[] = {L"Label_ServiceStatusColor1", L"Label_ServiceStatusColor2",
                                            L"Label_ServiceStatusColor3", L"Label_ServiceStatusColor4"};

constexpr const wchar_t* kInfoFolder = L"\\ServicePage\\right\\ServiceInfo\\";

std::wstring InfoImage(const wchar_t* file) {
  return std::wstring(kInfoFolder) + file;
}

// The one device-list page whose state the automation reports.
CServiceStatusUI* g_automationPage = nullptr;

QString Utf8(const std::string& ansi) {
  return QString::fromStdString(AnsiToUtf8(ansi));
}
QString Text(DuiLib::CControlUI* control) {
  return control ? QString::fromStdWString(control->GetText()) : QString();
}

}  // namespace

namespace device_rules {

std::wstring StatusImage(const PadInfo& pad) {
  switch (pad.padStatus) {
    case 1:
      if (pad.recoveryStatus == "0") return L"nomoney.png";
      return pad.leftControlTime > 0 ? L"online.png" : L"nomoney.png";
    case 0:
      return L"offline.png";
    case 2:
      return L"online.png";
    case 3:
      return L"nomoney.png";
    default:
      return std::wstring();
  }
}

std::wstring StatusText(const PadInfo& pad) {
  if (pad.padStatus == 1 || pad.padStatus == 2) {
    if (pad.recoveryStatus == "0") return L"设备已到期";
    return pad.leftControlTime > 0 ? L"在线" : L"控制时间不足";
  }
  return pad.padStatus == 0 ? L"离线" : L"";
}

int PageCountFor(size_t padCount) {
  return static_cast<int>(padCount / CServiceStatusUI::kSlotCount +
                          (padCount % CServiceStatusUI::kSlotCount ? 1 : 0));
}

}  // namespace device_rules

CServiceStatusUI::CServiceStatusUI(const std::wstring& layout, const std::wstring& name,
                                   DuiLib::CPaintManagerUI& manager)
    : m_pm(manager) {
  SetName(name);
  DuiLib::CDialogBuilder builder;
  builder.Create(layout, nullptr, &manager, this);
  BindSlots();
  RegisterAutomation();
}

CServiceStatusUI::~CServiceStatusUI() {
  if (g_automationPage == this) {
    g_automationPage = nullptr;
    DuiLib::CAutomationServer::UnregisterStateField("devices");
  }
}

template <class T>
T* CServiceStatusUI::Find(const wchar_t* name) {
  DuiLib::CControlUI* control = FindByName(name);
  return control ? dynamic_cast<T*>(control) : nullptr;
}

void CServiceStatusUI::BindSlots() {
  for (int i = 0; i < kSlotCount; ++i) {
    m_slots[i].tile = Find<DuiLib::COptionUI>(kTileNames[i]);
    m_slots[i].statusArea = Find<DuiLib::COptionUI>(kStatusAreaNames[i]);
    m_slots[i].statusLabel = Find<DuiLib::CLabelUI>(kStatusLabelNames[i]);
  }
}

void CServiceStatusUI::Reset() {
  m_pageIndex = 0;
  SelectSlot(-1);
  Refresh();
}

void CServiceStatusUI::Refresh() {
  ApiRequest request;
  request.kind = REQ_GET_PADS;
  CServiceApi::Instance().Execute(request);
  if (request.sessionExpired) return;
  FillSlots();
  DrawSlots();
  UpdateArrows();
  ShowQualityPanel();
  ShowDetails();
}

void CServiceStatusUI::FillSlots() {
  const std::vector<PadInfo>& pads = CAppContext::Instance().padList;
  m_pageCount = device_rules::PageCountFor(pads.size());
  for (DeviceSlot& slot : m_slots) {
    slot.used = 0;
    slot.pad = PadInfo();
  }
  size_t first = static_cast<size_t>(m_pageIndex) * kSlotCount;
  if (first >= pads.size() && m_pageIndex != 0) {
    m_pageIndex = 0;
    first = 0;
  }
  size_t next = 0;
  for (size_t i = first; i < pads.size() && next < m_slots.size(); ++i) {
    if (pads[i].padCode.empty()) continue;
    m_slots[next].pad = pads[i];
    m_slots[next].used = 1;
    ++next;
  }
}

void CServiceStatusUI::DrawSlots() {
  for (int i = 0; i < kSlotCount; ++i) {
    DeviceSlot& slot = m_slots[i];
    if (!slot.tile || !slot.statusArea || !slot.statusLabel) break;
    DrawSlot(i, slot);
  }
  NeedUpdate();
}

void CServiceStatusUI::DrawSlot(int index, DeviceSlot& slot) {
  if (slot.used) {
    const bool normal = slot.pad.padGrade == "0";
    slot.tile->SetToolTip(L"双击可控制设备");
    slot.tile->SetNormalImage(InfoImage(normal ? L"service_nochoose.png" : L"vipdevice_nochoose.png"));
    slot.tile->SetSelectedImage(InfoImage(normal ? L"service_choosed.png" : L"vipdevice_choosed.png"));
    slot.tile->SetHotImage(InfoImage(normal ? L"service_focused.png" : L"vipdevice_focused.png"));
    slot.tile->SetText(L"设备" + std::to_wstring(index + 1));
    const std::wstring status = device_rules::StatusImage(slot.pad);
    if (!status.empty()) slot.statusLabel->SetBkImage(status);
    slot.statusArea->SetEnabled(true);
  } else {
    slot.tile->SetToolTip(L"点击申请设备");
    slot.tile->SetNormalImage(InfoImage(L"emptyservice_nochoose.png"));
    slot.tile->SetSelectedImage(InfoImage(L"emptyservice_choosed.png"));
    slot.tile->SetHotImage(InfoImage(L"emptyservice_focused.png"));
    slot.tile->SetText(L"");
    slot.statusLabel->SetBkImage(L"offline.png");
    slot.statusArea->SetEnabled(false);
  }
  slot.tile->Invalidate();
}

void CServiceStatusUI::UpdateArrows() {
  if (auto* left = Find<DuiLib::CButtonUI>(L"Button_LeftPage")) {
    if (m_pageIndex == 0) {
      left->SetNormalImage(L"\\ServicePage\\right\\ServiceInfo\\Arrow-left-grey.png");
      left->SetEnabled(false);
    } else {
      left->SetNormalImage(L"Arrow-left.png");
      left->SetPushedImage(L"Arrow-left-active.png");
      left->SetEnabled(true);
    }
  }
  if (auto* right = Find<DuiLib::CButtonUI>(L"Button_RightPage")) {
    if (m_pageIndex + 1 == m_pageCount) {
      right->SetNormalImage(L"Arrow-Right-grey.png");
      right->SetEnabled(false);
    } else {
      right->SetNormalImage(L"Arrow-Right.png");
      right->SetPushedImage(L"Arrow-Right-active.png");
      right->SetEnabled(true);
    }
  }
}

void CServiceStatusUI::SelectSlot(int index) {
  if (index < -1 || index >= kSlotCount) return;
  m_selected = index;
  auto* panel = Find<DuiLib::CTabLayoutUI>(L"switch_List");
  if (index == -1) {
    if (panel) panel->SelectItem(0);
    ShowQualityPanel();
    for (DeviceSlot& slot : m_slots)
      if (slot.tile) slot.tile->Selected(false, false);
    return;
  }
  DeviceSlot& slot = m_slots[static_cast<size_t>(index)];
  if (slot.used) {
    if (panel) panel->SelectItem(1);
    ShowDetails();
  }
  if (slot.tile) slot.tile->Selected(true, false);
}

bool CServiceStatusUI::HandleSlotClick(const std::wstring& sender) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (sender == kTileNames[i] || sender == kStatusAreaNames[i]) {
      SelectSlot(i);
      if (!m_slots[static_cast<size_t>(i)].used) PageCommand(PAGE_CMD_SHOW_APPLY);
      return true;
    }
  }
  return false;
}

void CServiceStatusUI::Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) {
  if (!msg.pSender) return;
  const std::wstring& sender = msg.pSender->GetName();
  if (msg.sType == L"dbclick") {
    HandleDoubleClick(sender, mainWnd);
    return;
  }
  if (msg.sType != L"click") return;
  if (HandleSlotClick(sender)) return;
  HandleQualityClick(sender);
  if (sender == L"Button_LeftPage") {
    if (m_pageIndex > 0) {
      --m_pageIndex;
      FillSlots();
      DrawSlots();
    }
  } else if (sender == L"Button_RightPage") {
    if (m_pageIndex + 1 != m_pageCount) {
      ++m_pageIndex;
      FillSlots();
      DrawSlots();
    }
  } else if (sender == L"Button_List_Close") {
    SelectSlot(-1);
    return;
  } else if (sender == L"Button_RefreshService") {
    Refresh();
    return;
  } else if (sender == L"Button_Charge") {
    SendShortcut(PAGE_CMD_RECHARGE);
    return;
  } else if (sender == L"Button_ExChange") {
    SendShortcut(PAGE_CMD_EXCHANGE);
    return;
  } else {
    return;
  }
  UpdateArrows();
}

DuiLib::LRESULT CServiceStatusUI::PageCommand(uint32_t subCode, DuiLib::LPARAM lParam) {
  return DuiLib::SendMessage(m_pm.GetPaintWindow(), UWM_PAGE_COMMAND, subCode, lParam);
}

DuiLib::HWND CServiceStatusUI::BoxOwner(DuiLib::HWND mainWnd) const {
  return mainWnd ? mainWnd : m_pm.GetPaintWindow();
}

const DeviceSlot* CServiceStatusUI::SelectedDevice() const {
  if (m_selected < 0 || m_selected >= kSlotCount) return nullptr;
  const DeviceSlot& slot = m_slots[static_cast<size_t>(m_selected)];
  return slot.used && !slot.pad.padCode.empty() ? &slot : nullptr;
}

void CServiceStatusUI::RegisterAutomation() {
  g_automationPage = this;
  DuiLib::CAutomationServer::RegisterStateField("devices", [this] {
    QJsonArray slotList;
    for (const DeviceSlot& slot : m_slots) {
      QJsonObject o;
      o["used"] = slot.used;
      o["padCode"] = Utf8(slot.pad.padCode);
      o["text"] = Text(slot.tile);
      o["statusImage"] =
          slot.statusLabel ? QString::fromStdWString(slot.statusLabel->GetBkImage()) : QString();
      o["tooltip"] = slot.tile ? QString::fromStdWString(slot.tile->GetToolTip()) : QString();
      slotList.append(o);
    }
    QJsonObject state;
    state["pageIndex"] = m_pageIndex;
    state["pageCount"] = m_pageCount;
    state["selected"] = m_selected;
    state["slots"] = slotList;
    auto* panel = Find<DuiLib::CTabLayoutUI>(L"switch_List");
    state["detailsTab"] = panel ? panel->GetCurSel() : -1;
    state["status"] = Text(FindByName(L"Label_Status"));
    state["controlTime"] = Text(FindByName(L"Label_Contrl_Time"));
    state["onlineTime"] = Text(FindByName(L"Label_OnLine_Time"));
    state["name"] = Text(FindByName(L"Label_ServiceId"));
    return QJsonValue(state);
  });
}

}  // namespace zv::pages
