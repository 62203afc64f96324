// The right-hand account pages besides the device list: each loads its own layout and
// answers the frame's calls. What they do with those calls comes with their own pages;
// until then the calls that have nothing to act on do nothing.
#pragma once

#include <string>

#include "toolkit/ui_container.h"
#include "ui/page_interfaces.h"

namespace DuiLib {
class CPaintManagerUI;
}

namespace zv::pages {

// Loads the page's layout as its only child.
class CAccountPageBase : public DuiLib::CContainerUI {
 public:
  CAccountPageBase(const std::wstring& layout, const std::wstring& name, DuiLib::CPaintManagerUI& manager);
};

// "AddServiceWindow": applying for a free or a VIP device.
class CApplyServiceUI : public CAccountPageBase, public zv::ui::IApplyPage {
 public:
  using CAccountPageBase::CAccountPageBase;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;
  void Reload() override;
};

// "BindMobileWindow": part of the skin, never selected.
class CBindMobileUI : public CAccountPageBase, public zv::ui::IPage {
 public:
  using CAccountPageBase::CAccountPageBase;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;
};

// "FaultFeedbackWindow"
class CFaultFeedbackPageUI : public CAccountPageBase, public zv::ui::IFaultFeedbackPage {
 public:
  using CAccountPageBase::CAccountPageBase;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;
  void LoadData() override;
};

// "ChargeWindow"
class CChargePageUI : public CAccountPageBase, public zv::ui::IChargePage {
 public:
  using CAccountPageBase::CAccountPageBase;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;
  void SetRenewal(bool renewing, const std::string& padCode) override;
  void Load(DuiLib::HWND mainWnd) override;
  void PayOrder(const std::string& orderId, DuiLib::HWND mainWnd) override;
  void OnPayInfo(const void* payInfo) override;
  bool IsRenewing() const { return m_renewing; }
  const std::string& PadCode() const { return m_padCode; }

 private:
  bool m_renewing = false;
  std::string m_padCode;
};

// "OrderInfoWindow"
class COrderInfoPageUI : public CAccountPageBase, public zv::ui::IOrderPage {
 public:
  using CAccountPageBase::CAccountPageBase;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;
  void Load(DuiLib::HWND mainWnd) override;
};

// "ExChangeRBCWindow"
class CExChangePageUI : public CAccountPageBase, public zv::ui::IExchangePage {
 public:
  using CAccountPageBase::CAccountPageBase;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;
  void SetPadCode(const std::string& padCode) override { m_padCode = padCode; }
  void Load(DuiLib::HWND mainWnd) override;
  const std::string& PadCode() const { return m_padCode; }

 private:
  std::string m_padCode;
};

// "AgreeServiceWindow"
class CAgreeServicePageUI : public CAccountPageBase, public zv::ui::IAgreementPage {
 public:
  using CAccountPageBase::CAccountPageBase;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;
  void SetDeviceKind(const std::wstring& kind) override { m_kind = kind; }
  const std::wstring& DeviceKind() const { return m_kind; }

 private:
  std::wstring m_kind;
};

}  // namespace zv::pages
