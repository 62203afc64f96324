// The account panel on the left of the account area: user name, bean balance and the
// buttons to the other account pages. Its layout also holds the right-hand tab layout,
// whose eight pages this panel's control factory builds.
#pragma once

#include <string>

#include "toolkit/ui_builder.h"
#include "toolkit/ui_container.h"
#include "ui/hyper_link.h"
#include "ui/page_interfaces.h"

namespace DuiLib {
class CButtonUI;
class CPaintManagerUI;
}  // namespace DuiLib

namespace zv::pages {

class CServiceUI : public DuiLib::CContainerUI,
                   public DuiLib::IDialogBuilderCallback,
                   public zv::ui::IServicePanel {
 public:
  CServiceUI(const std::wstring& layout, const std::wstring& name, DuiLib::CPaintManagerUI& manager);
  ~CServiceUI() override = default;

  DuiLib::CControlUI* CreateControl(const wchar_t* pstrClass) override;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;

  void RefreshBeans() override;
  void SetMode(int mode) override { m_mode = mode; }
  int Mode() const { return m_mode; }

  void ShowNoticeWindow(int mode) override;
  void FlickerNotice() override;
  void StopNoticeFlicker() override;
  void CloseNoticeWindow() override;
  int FlickerStep() const { return m_flickerStep; }

 private:
  void ToggleService();
  DuiLib::LRESULT PageCommand(uint32_t subCode, DuiLib::LPARAM lParam = 0);

  DuiLib::CPaintManagerUI& m_pm;
  DuiLib::CButtonUI* m_addService = nullptr;
  DuiLib::CButtonUI* m_addMoney = nullptr;
  DuiLib::CButtonUI* m_contact = nullptr;
  DuiLib::CButtonUI* m_notice = nullptr;
  CHyperLink m_chatLink;
  int m_flickerStep = 0;
  int m_mode = 2;  // 2 the apply page is shown on the right, 3 the device list
};

}  // namespace zv::pages
