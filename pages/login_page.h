// CLoginUI: the login page ("LoginWindow"). It fills itself from the remembered values,
// starts one worker thread per login (key exchange and signed login), and leaves the
// evaluation of the result to the main frame, which reaches it through ILoginPage.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "toolkit/ui_container.h"
#include "ui/hyper_link.h"
#include "ui/page_interfaces.h"

namespace DuiLib {
class CButtonUI;
class CEditUI;
class COptionUI;
}  // namespace DuiLib

namespace zv::ui {
class CChildPage;
}

namespace zv::pages {

// The text the password box shows while a remembered digest stands in for the password.
inline constexpr const wchar_t* kPasswordPlaceholder = L"********";

// One login's record: the worker fills it and hands it to the owner window with
// UWM_LOGIN_DONE. A newer login or the page's end supersedes it, and a superseded worker
// finishes without reporting.
struct CLoginJob {
  zv::ui::LoginRequest request;
  std::atomic<bool> superseded{false};
};

// Starts a detached worker on the job; the thread holds the job until it ends.
void StartLoginWorker(std::shared_ptr<CLoginJob> job);
// The worker's procedure, on the calling thread.
void RunLoginWorker(CLoginJob& job);
// Workers still running in this process (tests wait for 0 before they stop the service).
int RunningLoginWorkers();

class CLoginUI : public DuiLib::CContainerUI, public zv::ui::ILoginPage {
 public:
  CLoginUI(const std::wstring& layout, const std::wstring& name, DuiLib::CPaintManagerUI& manager);
  ~CLoginUI() override;

  std::wstring GetClass() const override { return L"LoginUI"; }

  void Init(bool allowAutoLogin, DuiLib::HWND wnd) override;
  bool Login(DuiLib::HWND wnd) override;
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) override;
  void SetLoginResult(int code, const std::string& message) override;
  zv::ui::LoginRequest GetRequest() const override { return m_request; }
  int IsWaiting() const override { return m_waiting; }
  void SetWaiting(int waiting) override { m_waiting = waiting; }
  void SetLoginButtonEnabled(bool enabled) override;
  void SetCredentials(const std::string& userName, const std::string& password) override;
  void ShowBindMobileWindow(int mode, DuiLib::HWND wnd) override;

  bool IsPasswordEdited() const { return m_passwordEdited; }
  bool IsLoginButtonEnabled() const;
  bool IsBindPopupShown() const;
  zv::ui::CChildPage* BindPopup() const { return m_bindPopup; }
  const zv::CHyperLink& RegisterLink() const { return m_registerLink; }
  const zv::CHyperLink& ForgetPasswordLink() const { return m_forgetLink; }
  const zv::CHyperLink& ChatLink() const { return m_chatLink; }

 private:
  void FindControls();
  bool HasLoginControls() const;
  void StartLoginFromPage(DuiLib::HWND wnd);
  void StartWorker();
  void CloseWorkerHandle();
  void SetLinkUrls();
  void RegisterAutomationState();

  DuiLib::CEditUI* m_userNameEdit = nullptr;
  DuiLib::CEditUI* m_passwordEdit = nullptr;
  DuiLib::COptionUI* m_rememberOption = nullptr;
  DuiLib::COptionUI* m_autoLoginOption = nullptr;
  DuiLib::CButtonUI* m_loginButton = nullptr;
  DuiLib::CControlUI* m_registerButton = nullptr;
  DuiLib::CControlUI* m_forgetButton = nullptr;
  DuiLib::CControlUI* m_versionLabel = nullptr;

  zv::CHyperLink m_registerLink;
  zv::CHyperLink m_forgetLink;
  zv::CHyperLink m_chatLink;

  bool m_passwordEdited = false;
  int m_waiting = 0;
  zv::ui::LoginRequest m_request;
  // The last worker's record; the worker holds its own reference, so the page may go
  // first (the worker then finishes without reporting).
  std::shared_ptr<CLoginJob> m_job;
  zv::ui::CChildPage* m_bindPopup = nullptr;
};

}  // namespace zv::pages
