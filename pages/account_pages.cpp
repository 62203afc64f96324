#include "pages/account_pages.h"

#include "toolkit/ui_builder.h"
#include "toolkit/ui_manager.h"

namespace zv::pages {

CAccountPageBase::CAccountPageBase(const std::wstring& layout, const std::wstring& name,
                                   DuiLib::CPaintManagerUI& manager) {
  SetName(name);
  DuiLib::CDialogBuilder builder;
  builder.Create(layout, nullptr, &manager, this);
}

// The apply offer, the agreement, recharge, orders, exchange and fault feedback are built
// with their own pages; these handlers have nothing to act on until then.
void CApplyServiceUI::Notify(DuiLib::TNotifyUI&, DuiLib::HWND) {}
void CApplyServiceUI::Reload() {}

void CBindMobileUI::Notify(DuiLib::TNotifyUI&, DuiLib::HWND) {}

void CFaultFeedbackPageUI::Notify(DuiLib::TNotifyUI&, DuiLib::HWND) {}
void CFaultFeedbackPageUI::LoadData() {}

void CChargePageUI::Notify(DuiLib::TNotifyUI&, DuiLib::HWND) {}
void CChargePageUI::SetRenewal(bool renewing, const std::string& padCode) {
  m_renewing = renewing;
  m_padCode = padCode;
}
void CChargePageUI::Load(DuiLib::HWND) {}
void CChargePageUI::PayOrder(const std::string&, DuiLib::HWND) {}
void CChargePageUI::OnPayInfo(const void*) {}

void COrderInfoPageUI::Notify(DuiLib::TNotifyUI&, DuiLib::HWND) {}
void COrderInfoPageUI::Load(DuiLib::HWND) {}

void CExChangePageUI::Notify(DuiLib::TNotifyUI&, DuiLib::HWND) {}
void CExChangePageUI::Load(DuiLib::HWND) {}

void CAgreeServicePageUI::Notify(DuiLib::TNotifyUI&, DuiLib::HWND) {}

}  // namespace zv::pages
