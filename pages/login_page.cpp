#include "pages/login_page.h"

#include <QJsonObject>

#include "api/app_context.h"
#include "api/text_util.h"
#include "app/events.h"
#include "platform/message_box.h"
#include "platform/win_app.h"
#include "toolkit/automation_server.h"
#include "toolkit/ui_builder.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_window.h"
#include "ui/child_page.h"

namespace zv::pages {

namespace {

constexpr int kNoResult = -100;
constexpr int kAutoLoginDelayMs = 500;
constexpr int kMinimumWaitMs = 2000;
constexpr int kBindMobileMode = 5;
constexpr int kBindMobileClose = 0;
constexpr const wchar_t* kBindMobileSkin = L"\\UserBindMobile\\UserBindMobile.xml";
constexpr const char* kStateField = "login";

// The page the automation's "login" field describes: the newest one alive.
CLoginUI* g_statePage = nullptr;

template <class T>
T* FindTyped(DuiLib::CControlUI* root, const wchar_t* name) {
  return dynamic_cast<T*>(root->FindByName(name));
}

std::wstring ToWide(const std::string& utf8) {
  return QString::fromStdString(utf8).toStdWString();
}

}  // namespace

CLoginUI::CLoginUI(const std::wstring& layout, const std::wstring& name, DuiLib::CPaintManagerUI& manager) {
  SetManager(&manager, nullptr, false);
  DuiLib::CDialogBuilder builder;
  builder.Create(layout, nullptr, &manager, this);
  SetName(name);
  FindControls();
  if (DuiLib::CControlUI* updateIcon = FindByName(L"Label_UpdateIcon")) updateIcon->SetVisible(true);
  if (auto* fonts = FindTyped<DuiLib::CComboUI>(this, L"fontcombox"))
    fonts->SetDropBoxSize(DuiLib::SIZE{254, 50});
  RegisterAutomationState();
}

CLoginUI::~CLoginUI() {
  CloseWorkerHandle();
  zv::ui::CChildPage::Dispose(m_bindPopup);
  if (g_statePage == this) {
    g_statePage = nullptr;
    DuiLib::CAutomationServer::UnregisterStateField(kStateField);
  }
}

void CLoginUI::FindControls() {
  m_userNameEdit = FindTyped<DuiLib::CEditUI>(this, L"Edit_UserName");
  m_passwordEdit = FindTyped<DuiLib::CEditUI>(this, L"Edit_Password");
  m_rememberOption = FindTyped<DuiLib::COptionUI>(this, L"Option_rememberPsw");
  m_autoLoginOption = FindTyped<DuiLib::COptionUI>(this, L"Option_Login");
  m_loginButton = FindTyped<DuiLib::CButtonUI>(this, L"Button_Login");
  m_registerButton = FindByName(L"Button_Register");
  m_forgetButton = FindByName(L"Button_ForgetPsw");
  m_versionLabel = FindByName(L"Label_Version");
}

bool CLoginUI::HasLoginControls() const {
  return m_userNameEdit && m_passwordEdit && m_rememberOption && m_autoLoginOption && m_loginButton;
}

void CLoginUI::RegisterAutomationState() {
  g_statePage = this;
  DuiLib::CAutomationServer::RegisterStateField(kStateField, [] {
    if (!g_statePage) return QJsonValue();
    const CLoginUI& page = *g_statePage;
    QJsonObject state;
    state.insert("resultCode", page.m_request.resultCode);
    state.insert("waiting", page.m_waiting);
    state.insert("passwordEdited", page.m_passwordEdited);
    state.insert("buttonEnabled", page.IsLoginButtonEnabled());
    state.insert("bindPopupShown", page.IsBindPopupShown());
    return QJsonValue(state);
  });
}

void CLoginUI::Init(bool allowAutoLogin, DuiLib::HWND wnd) {
  if (!HasLoginControls() || !m_registerButton || !m_forgetButton) return;
  m_request = zv::ui::LoginRequest{};
  m_request.resultCode = kNoResult;

  const CAppContext& context = CAppContext::Instance();
  m_userNameEdit->SetText(AnsiToWide(context.userName));
  m_userNameEdit->SetFocus();
  if (!context.passwordDigest.empty()) {
    m_passwordEdited = false;
    m_passwordEdit->SetText(kPasswordPlaceholder);
  }
  m_rememberOption->Selected(context.savePassword, false);
  m_autoLoginOption->Selected(context.autoLogin, false);

  if (context.autoLogin && allowAutoLogin) {
    SetLoginButtonEnabled(false);
    DuiLib::SetTimer(wnd, TIMER_AUTO_LOGIN, kAutoLoginDelayMs);
  }
  if (m_versionLabel) m_versionLabel->SetText(L"V" + AnsiToWide(kClientVersion));
  SetLinkUrls();
}

void CLoginUI::SetLinkUrls() {
  const EndpointConfig& endpoints = CAppContext::Instance().endpoints;
  m_registerLink.SetURL(ToWide(endpoints.webBase + "/user/index.html"));
  m_forgetLink.SetURL(ToWide(endpoints.webBase + "/user/toForgetPassword.html"));
  m_chatLink.SetURL(ToWide(endpoints.chatUrl));
}

bool CLoginUI::Login(DuiLib::HWND wnd) {
  // A finished result still waiting for the overlay's minimum time is not replaced.
  if (m_request.resultCode != kNoResult && m_waiting) return false;
  if (!HasLoginControls()) return false;

  const std::wstring password = m_passwordEdit->GetText();
  m_request.userName = WideToAnsi(m_userNameEdit->GetText());
  m_request.password = WideToAnsi(password);
  m_request.owner = wnd;
  m_request.passwordChanged = (password != kPasswordPlaceholder || m_passwordEdited) ? 1 : 0;
  m_request.autoLogin = m_autoLoginOption->IsSelected();
  m_request.rememberPassword = m_rememberOption->IsSelected();

  if (m_request.userName.empty()) {
    zv::AfxMessageBox(L"请输入用户名", zv::MB_OK);
    m_userNameEdit->SetFocus();
    return false;
  }

  m_passwordEdited = false;
  // An earlier result (code 4 stays stored while the bind popup is open) must not be
  // taken for this login's answer when the minimum wait ends.
  m_request.resultCode = kNoResult;
  m_request.resultMessage.clear();
  if (m_manager) DuiLib::SendMessage(m_manager->GetPaintWindow(), UWM_PAGE_COMMAND, PAGE_CMD_SHOW_WAITING, 0);
  DuiLib::SetTimer(wnd, TIMER_LOGIN_MIN_WAIT, kMinimumWaitMs);
  m_waiting = 1;
  CloseWorkerHandle();
  StartWorker();
  return true;
}

void CLoginUI::StartWorker() {
  m_job = std::make_shared<CLoginJob>();
  m_job->request = m_request;
  StartLoginWorker(m_job);
}

void CLoginUI::CloseWorkerHandle() {
  if (!m_job) return;
  m_job->superseded.store(true);
  m_job.reset();
}

void CLoginUI::StartLoginFromPage(DuiLib::HWND wnd) {
  if (!m_loginButton) return;
  m_loginButton->SetFocus();
  SetLoginButtonEnabled(false);
  if (!Login(wnd)) SetLoginButtonEnabled(true);
}

void CLoginUI::Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND mainWnd) {
  if (!msg.pSender) return;
  const std::wstring& sender = msg.pSender->GetName();
  const std::wstring& type = msg.sType;
  if (type == L"click") {
    if (sender == L"Button_Login")
      StartLoginFromPage(mainWnd);
    else if (sender == L"Button_Register")
      m_registerLink.Open();
    else if (sender == L"Button_ForgetPsw")
      m_forgetLink.Open();
    else if (sender == L"Button_QQ")
      m_chatLink.Open();
  } else if (type == L"textchanged") {
    if (sender == L"Edit_Password") {
      m_passwordEdited = true;
    } else if (sender == L"Edit_UserName") {
      // A remembered password never pairs with another user name.
      m_passwordEdited = true;
      if (m_passwordEdit) m_passwordEdit->SetText(L"");
    }
  } else if (type == L"setfocus") {
    if (sender == L"Edit_Password" && m_passwordEdit) m_passwordEdit->SetSelAll();
  } else if (type == L"return") {
    if (sender == L"Edit_UserName" || sender == L"Edit_Password") StartLoginFromPage(mainWnd);
  }
}

void CLoginUI::SetLoginResult(int code, const std::string& message) {
  m_request.resultCode = code;
  m_request.resultMessage = message;
}

void CLoginUI::SetLoginButtonEnabled(bool enabled) {
  if (m_loginButton) m_loginButton->SetEnabled(enabled);
}

bool CLoginUI::IsLoginButtonEnabled() const {
  return m_loginButton && m_loginButton->IsEnabled();
}

void CLoginUI::SetCredentials(const std::string& userName, const std::string& password) {
  if (m_userNameEdit) m_userNameEdit->SetText(AnsiToWide(userName));
  if (m_passwordEdit) m_passwordEdit->SetText(AnsiToWide(password));
  m_passwordEdited = true;
}

bool CLoginUI::IsBindPopupShown() const {
  return m_bindPopup && !m_bindPopup->IsClosed();
}

void CLoginUI::ShowBindMobileWindow(int mode, DuiLib::HWND wnd) {
  if (mode != kBindMobileMode && mode != kBindMobileClose) return;
  zv::ui::CChildPage::Dispose(m_bindPopup);
  if (mode == kBindMobileClose) return;
  m_bindPopup = new zv::ui::CChildPage(wnd);
  m_bindPopup->SetSkinFile(kBindMobileSkin);
  if (!m_bindPopup->CreateOver(L"UserBindMobile", GetPos())) {
    zv::ui::CChildPage::Dispose(m_bindPopup);
    return;
  }
  const std::string& userName = CAppContext::Instance().userName;
  if (userName.empty()) return;
  if (DuiLib::CControlUI* email = m_bindPopup->Manager().FindControl(L"Edit_BindMobile_email"))
    email->SetText(AnsiToWide(userName));
}

}  // namespace zv::pages
