#include "pages/service_panel.h"

#include "api/service_api.h"
#include "api/text_util.h"
#include "app/events.h"
#include "pages/account_pages.h"
#include "pages/device_list_page.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_window.h"
#include "ui/notice_manager.h"

namespace zv::pages {
namespace {

const wchar_t* const kFlickerImages[] = {L"ShowNotice\\notice_flickered_1.png",
                                         L"ShowNotice\\notice_flickered_2.png",
                                         L"ShowNotice\\notice_flickered_3.png"};
constexpr const wchar_t* kNoticeSteadyImage = L"ShowNotice\\notice_normal.png";

template <class Page>
DuiLib::CControlUI* Make(const wchar_t* layout, const wchar_t* name, DuiLib::CPaintManagerUI& manager) {
  return new Page(layout, name, manager);
}

struct PageEntry {
  const wchar_t* name;
  const wchar_t* layout;
  DuiLib::CControlUI* (*make)(const wchar_t*, const wchar_t*, DuiLib::CPaintManagerUI&);
};

// The right-hand tab layout `switch`, in tab order.
const PageEntry kRightPages[] = {
    {L"AddServiceWindow", L"ServicePage\\right\\ApplyService\\ApplyDevice.xml", Make<CApplyServiceUI>},
    {L"ServiceStatusWindow", L"ServicePage\\right\\ServiceInfo\\ServiceStatus.xml", Make<CServiceStatusUI>},
    {L"BindMobileWindow", L"ServicePage\\right\\BindMobile\\BindMobile.xml", Make<CBindMobileUI>},
    {L"FaultFeedbackWindow", L"ServicePage\\right\\FaultFeedback\\FaultFeedback.xml",
     Make<CFaultFeedbackPageUI>},
    {L"ChargeWindow", L"ServicePage\\right\\ChargePage\\ChargePage.xml", Make<CChargePageUI>},
    {L"OrderInfoWindow", L"ServicePage\\right\\OrderInfo\\OrderInfo.xml", Make<COrderInfoPageUI>},
    {L"ExChangeRBCWindow", L"ServicePage\\right\\ChargePage\\ExCharge_RBC.xml", Make<CExChangePageUI>},
    {L"AgreeServiceWindow", L"ServicePage\\right\\ApplyService\\AgreenService.xml",
     Make<CAgreeServicePageUI>},
};

template <class T>
T* FindIn(DuiLib::CControlUI* root, const wchar_t* name) {
  DuiLib::CControlUI* control = root->FindByName(name);
  return control ? dynamic_cast<T*>(control) : nullptr;
}

}  // namespace

CServiceUI::CServiceUI(const std::wstring& layout, const std::wstring& name, DuiLib::CPaintManagerUI& manager)
    : m_pm(manager) {
  SetName(name);
  DuiLib::CDialogBuilder builder;
  builder.Create(layout, this, &manager, this);
  m_addService = FindIn<DuiLib::CButtonUI>(this, L"Button_AddService");
  m_addMoney = FindIn<DuiLib::CButtonUI>(this, L"Button_AddMoney");
  m_contact = FindIn<DuiLib::CButtonUI>(this, L"Button_Contact");
  m_notice = FindIn<DuiLib::CButtonUI>(this, L"Button_Notice");
  m_chatLink.SetURL(AnsiToWide(CAppContext::Instance().endpoints.chatUrl));
}

DuiLib::CControlUI* CServiceUI::CreateControl(const wchar_t* pstrClass) {
  if (!pstrClass) return nullptr;
  const std::wstring cls(pstrClass);
  for (const PageEntry& page : kRightPages)
    if (cls == page.name) return page.make(page.layout, page.name, m_pm);
  return nullptr;
}

void CServiceUI::Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) {
  if (msg.sType != L"click" || !msg.pSender) return;
  const std::wstring& sender = msg.pSender->GetName();
  if (sender == L"Button_AddService") {
    ToggleService();
  } else if (sender == L"Button_SwitchAccount") {
    PageCommand(PAGE_CMD_LOG_OUT, 1);
  } else if (sender == L"Button_Notice") {
    NoticeManager::Instance().CollectAll();
    ShowNoticeWindow(1);
  } else if (sender == L"Button_Contact") {
    PageCommand(PAGE_CMD_FAULT_FEEDBACK);
  } else if (sender == L"Button_Service_QQ") {
    // The address may come from the deployment after the panel was built.
    m_chatLink.SetURL(AnsiToWide(CAppContext::Instance().endpoints.chatUrl));
    m_chatLink.Open();
  } else if (sender == L"Button_OrderList") {
    PageCommand(PAGE_CMD_ORDERS);
  }
  // Button_DailyAttendance: the attendance sequence comes with the tasks page.
  // Button_AddMoney has no action of its own.
}

void CServiceUI::ToggleService() {
  m_mode = m_mode == 3 ? 2 : 3;
  PageCommand(static_cast<uint32_t>(m_mode));
}

DuiLib::LRESULT CServiceUI::PageCommand(uint32_t subCode, DuiLib::LPARAM lParam) {
  return DuiLib::SendMessage(m_pm.GetPaintWindow(), UWM_PAGE_COMMAND, subCode, lParam);
}

void CServiceUI::RefreshBeans() {
  ApiRequest request;
  request.kind = REQ_GET_USER_INFO;
  CServiceApi::Instance().Execute(request);
  if (request.sessionExpired) return;
  if (DuiLib::CControlUI* label = FindByName(L"Label_RBC"))
    label->SetText(std::to_wstring(CAppContext::Instance().rbcAmount));
}

// The notice window comes with the notice pages; nothing to show until then.
void CServiceUI::ShowNoticeWindow(int) {}
void CServiceUI::CloseNoticeWindow() {}

void CServiceUI::FlickerNotice() {
  m_flickerStep = (m_flickerStep + 1) % 3;
  if (m_notice) m_notice->SetBkImage(kFlickerImages[m_flickerStep]);
}

void CServiceUI::StopNoticeFlicker() {
  if (m_notice) m_notice->SetBkImage(kNoticeSteadyImage);
}

}  // namespace zv::pages
