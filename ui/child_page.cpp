#include "ui/child_page.h"

#include <string>

#include "api/service_api.h"
#include "api/text_util.h"
#include "app/events.h"
#include "platform/message_box.h"
#include "toolkit/ui_button_gif.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_window_host.h"

namespace zv::ui {

namespace {

constexpr const wchar_t* kWaitingSkin = L"WaitingLogin.xml";
constexpr const wchar_t* kBindMobileSkin = L"\\UserBindMobile\\UserBindMobile.xml";
constexpr const wchar_t* kNoticeSkin = L"ShowNotice.xml";
constexpr const wchar_t* kAdTimeSkin = L"ShowPlayAdTime.xml";
constexpr int kSmsCountdownSeconds = 60;
constexpr DuiLib::DWORD kChildStyle = 0x56000000u;

std::wstring RetryText(int seconds) { return std::to_wstring(seconds) + L" 秒后重试"; }

}  // namespace

CChildPage::CChildPage(DuiLib::HWND parent) : m_parent(parent) {}

CChildPage::~CChildPage() { *m_alive = false; }

bool CChildPage::CreateOver(const wchar_t* windowName, const DuiLib::RECT& rc) {
  if (!Create(m_parent, windowName, kChildStyle, 0, 0, 0, 0, 0)) return false;
  int cx = rc.Width();
  int cy = rc.Height();
  if (rc.IsEmpty()) {
    DuiLib::SIZE init = m_PaintManager.GetInitSize();
    cx = init.cx;
    cy = init.cy;
  }
  DuiLib::MoveWindow(m_hWnd, rc.left, rc.top, cx, cy);
  ShowWindow(true, true);
  return true;
}

void CChildPage::ClosePopup() {
  if (m_closed) return;
  m_closed = 1;
  if (m_skinFile == kNoticeSkin) {
    if (auto* list = dynamic_cast<DuiLib::CContainerUI*>(m_PaintManager.FindControl(L"List_Content")))
      list->RemoveAll();
    m_selectedItem = -1;
  }
  SendMessage(DuiLib::WM_CLOSE, 0, 0);
}

void CChildPage::SetAdTime(const std::wstring& text) {
  if (m_skinFile != kAdTimeSkin) return;
  if (DuiLib::CControlUI* label = m_PaintManager.FindControl(L"Label_playadTime")) label->SetText(text);
}

DuiLib::CControlUI* CChildPage::CreateControl(const wchar_t* cls) {
  if (cls && std::wstring(cls) == L"ButtonGif") return new DuiLib::CButtonGifUI;
  return nullptr;
}

DuiLib::LRESULT CChildPage::HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) {
  if (msg == DuiLib::WM_TIMER) {
    if (wParam == TIMER_WAITING_ANIMATION && m_skinFile == kWaitingSkin) NextAnimationFrame();
    if (wParam == TIMER_BIND_SMS_COUNTDOWN && m_skinFile == kBindMobileSkin) CountdownTick();
  } else if (msg == DuiLib::WM_CREATE) {
    m_closed = 0;
  } else if (msg == DuiLib::WM_CLOSE) {
    m_closed = 1;
  }
  return WindowImplBase::HandleMessage(msg, wParam, lParam);
}

void CChildPage::NextAnimationFrame() {
  DuiLib::CControlUI* gif = m_PaintManager.FindControl(L"Label_gif");
  if (!gif) return;
  if (m_animationFrame >= kAnimationFrames || m_animationFrame < 0) m_animationFrame = 0;
  wchar_t name[32];
  swprintf(name, 32, L"Login_Gif\\%02d.png", m_animationFrame + 1);
  gif->SetBkImage(name);
  ++m_animationFrame;
}

void CChildPage::CountdownTick() {
  // The timer starts before the request; its ticks while the request's box is still open
  // find no countdown yet and wait for it.
  if (m_countdown <= 0) return;
  DuiLib::CControlUI* button = m_PaintManager.FindControl(L"Button_BindMobile_code");
  --m_countdown;
  if (m_countdown > 0) {
    if (button) button->SetText(RetryText(m_countdown));
    return;
  }
  if (button) {
    button->SetEnabled(true);
    button->SetText(L"获取验证码");
  }
  KillTimer(TIMER_BIND_SMS_COUNTDOWN);
}

void CChildPage::Notify(DuiLib::TNotifyUI& msg) {
  if (m_skinFile == kWaitingSkin) {
    if (msg.sType == L"windowinit") SetTimer(TIMER_WAITING_ANIMATION, 70);
    return;
  }
  if (m_skinFile == kBindMobileSkin) {
    if (msg.sType == L"click" && msg.pSender) OnBindMobileClick(msg.pSender->GetName());
    return;
  }
  if (m_notifyHandler) m_notifyHandler(*this, msg);
}

void CChildPage::OnBindMobileClick(const std::wstring& sender) {
  if (sender == L"Button_BindMobile_code") {
    RequestSmsCode();
  } else if (sender == L"Button_BindMobile_Close") {
    KillTimer(TIMER_BIND_SMS_COUNTDOWN);
    ClosePopup();
  } else if (sender == L"Button_BindMobile") {
    BindPhone();
  }
}

std::wstring CChildPage::EditText(const wchar_t* name) const {
  DuiLib::CControlUI* edit = m_PaintManager.FindControl(name);
  return edit ? edit->GetText() : std::wstring();
}

void CChildPage::Box(const std::wstring& text) { ShowMessageBox(m_hWnd, text, L"提示"); }

void CChildPage::RequestSmsCode() {
  std::wstring phone = EditText(L"Edit_BindMobile_telphone");
  if (phone.empty()) {
    Box(L"请填写手机号码!");
    return;
  }
  SetTimer(TIMER_BIND_SMS_COUNTDOWN, 1000);
  ApiRequest request;
  request.kind = REQ_SEND_SMS_BOUND;
  request.params[0] = WideToAnsi(phone);
  int32_t code = CServiceApi::Instance().Execute(request);
  if (request.sessionExpired) {
    // The account is being logged out; a countdown that was never set must not run.
    KillTimer(TIMER_BIND_SMS_COUNTDOWN);
    return;
  }
  std::weak_ptr<bool> alive = m_alive;
  if (code == 0) Box(L"发送短信成功！请填写验证码后继续！");
  else Box(L"发送短信失败!" + AnsiToWide(request.resultInfo));
  if (auto still = alive.lock(); !still || !*still) return;  // disposed while the box was open
  m_countdown = kSmsCountdownSeconds;
  if (DuiLib::CControlUI* button = m_PaintManager.FindControl(L"Button_BindMobile_code")) {
    button->SetEnabled(false);
    button->SetText(RetryText(m_countdown));
  }
}

void CChildPage::BindPhone() {
  std::wstring code = EditText(L"Edit_BindMobile_code");
  std::wstring password = EditText(L"Edit_BindMobile_psw");
  std::wstring userName = EditText(L"Edit_BindMobile_email");
  if (code.empty()) return Box(L"请输入手机验证码！");
  if (password.empty()) return Box(L"请输入登录密码！");
  if (userName.empty()) return Box(L"请输入你的邮箱!");
  auto* request = new ApiRequest;
  request->kind = REQ_BIND_PHONE;
  request->params[0] = WideToAnsi(code);
  request->params[1] = WideToAnsi(password);
  request->params[2] = WideToAnsi(userName);
  int32_t result = CServiceApi::Instance().Execute(*request);
  if (request->sessionExpired) {
    delete request;
    return;
  }
  if (result != 0) {
    Box(L"绑定手机失败!" + AnsiToWide(request->resultInfo));
    delete request;
    return;
  }
  std::weak_ptr<bool> alive = m_alive;
  Box(L"绑定成功！");
  if (!DuiLib::IsWindow(m_parent)) {
    delete request;  // nobody left to take it
  } else {
    // The receiver frees the request.
    DuiLib::SendMessage(m_parent, UWM_LOGIN_WITH, reinterpret_cast<DuiLib::WPARAM>(request), result);
  }
  if (auto still = alive.lock(); still && *still) ClosePopup();
}

}  // namespace zv::ui
