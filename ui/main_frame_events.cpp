// The main frame's side of the application events: what each event and timer does.
#include <QWidget>
#include <memory>

#include "api/app_context.h"
#include "api/service_api.h"
#include "api/text_util.h"
#include "app/events.h"
#include "control/control_client.h"
#include "platform/message_box.h"
#include "platform/shell_open.h"
#include "platform/win_app.h"
#include "player/stream_player.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_window_host.h"
#include "ui/main_frame_page.h"
#include "ui/notice_manager.h"

namespace zv::ui {

using DuiLib::LPARAM;
using DuiLib::LRESULT;
using DuiLib::UINT;
using DuiLib::WPARAM;

namespace {

constexpr UINT kNoticeFlickerMs = 500;
constexpr int kBalloonSeconds = 10;
constexpr int kNoResult = -100;

bool IsSessionFailure(UINT msg) {
  switch (msg) {
    case zv::UWM_CTRL_CONNECT_FAILED:
    case zv::UWM_CTRL_CONNECTION_LOST:
    case zv::UWM_PAD_OFFLINE:
    case zv::UWM_PAD_CONNECTION_LOST:
    case zv::UWM_CONTROL_TIME_EXHAUSTED:
    case zv::UWM_PAD_NOT_CONTROLLABLE:
    case zv::UWM_IDLE_TIMEOUT:
    case zv::UWM_CONTROLLED_ELSEWHERE:
    case zv::UWM_STREAM_SERVER_FAULT:
      return true;
    default:
      return false;
  }
}

}  // namespace

LRESULT CMainFramePage::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == zv::WM_TIMER) {
    OnTimer(static_cast<UINT>(wParam));
  } else if (msg == zv::WM_SYSCOMMAND && (wParam & 0xFFF0) == zv::SC_MINIMIZE) {
    if (m_tray.GetHiddenWindow()) m_tray.AnimateToTray(m_hWnd, false);
  } else if (HandleAppEvent(msg, wParam, lParam)) {
    return 0;
  }
  return WindowImplBase::HandleMessage(msg, wParam, lParam);
}

bool CMainFramePage::HandleAppEvent(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (IsSessionFailure(msg)) {
    OnSessionFailure(msg);
    return true;
  }
  switch (msg) {
    case zv::UWM_LOGIN_DONE:
      OnLoginDone(wParam);
      return true;
    case zv::UWM_PAGE_COMMAND:
      OnPageCommand(wParam, lParam);
      return true;
    case zv::UWM_LOGIN_RESULT:
      OnLoginResult();
      return true;
    case zv::UWM_NOTICE_SIGNAL:
      OnNoticeSignal(wParam, lParam);
      return true;
    case zv::UWM_LOGIN_WITH:
      OnLoginWith(wParam);
      return true;
    case zv::UWM_PAY_INFO:
      OnPayInfo(wParam);
      return true;
    case zv::UWM_REFRESH_ACCOUNT:
      RefreshBeans();
      return true;
    case zv::UWM_SESSION_TIMEOUT:
      OnSessionTimeout();
      return true;
    case zv::UWM_CTRL_RECONNECTING:
      OnReconnecting(wParam);
      return true;
    case zv::UWM_QUEUE_STATUS:
      OnQueueStatus(wParam, lParam);
      return true;
    case zv::UWM_STREAM_STARTED:
      OnStreamStarted();
      return true;
    case zv::UWM_STREAM_CONNECT_FAILED:
      StopDeviceConnections();
      OnSessionFailure(msg);
      return true;
    case zv::UWM_VIDEO_SIZE:
      if (m_playerPage) m_playerPage->OnVideoSize(static_cast<int>(wParam), static_cast<int>(lParam));
      return true;
    case zv::UWM_VIDEO_FRAME:
      OnVideoFrame(wParam, lParam);
      return true;
    case zv::UWM_LOW_BANDWIDTH:
      m_tray.ShowTrayBalloon(L"您的带宽不足，这可能会影响您的画质效果！", L"Zelvane",
                             zv::CSystemTray::NIIF_WARNING, kBalloonSeconds);
      return true;
    case zv::UWM_STREAM_ENDED:
      if (m_inSession) zv::CControlClient::Instance().RestartStream();
      return true;
    case zv::UWM_QUALITY_CHANGED:
      OnQualityChanged(wParam);
      return true;
    case zv::UWM_NETWORK_LEVEL:
      UpdateQualityLabel();
      return true;
    case zv::UWM_TRAY_NOTIFY:
      OnTrayNotify(wParam, lParam);
      return true;
    default:
      return false;
  }
}

void CMainFramePage::OnLoginDone(WPARAM wParam) {
  if (!wParam || !m_loginPage) return;
  const auto* request = reinterpret_cast<const LoginRequest*>(wParam);
  m_loginPage->SetLoginResult(request->resultCode, request->resultMessage);
  if (m_loginPage->IsWaiting() == 0) SendMessage(zv::UWM_LOGIN_RESULT, 0, 0);
}

void CMainFramePage::OnLoginResult() {
  ShowWaitingOverlay(false, m_hWnd);
  if (!m_loginPage) return;
  m_loginPage->SetLoginButtonEnabled(true);
  const LoginRequest result = m_loginPage->GetRequest();
  if (result.resultCode == 0) {
    m_loggedIn = 1;
    zv::NoticeManager::Instance().Start();
    zv::ApiRequest pads;
    pads.kind = zv::REQ_GET_PADS;
    zv::CServiceApi::Instance().Execute(pads);
    if (pads.sessionExpired) return;
    if (zv::CAppContext::Instance().padList.empty())
      ShowApplyPage();
    else
      ShowDeviceList();
    return;
  }
  if (result.resultCode == 4) {
    m_loginPage->ShowBindMobileWindow(5, m_hWnd);
    return;
  }
  const std::wstring text =
      result.resultMessage.empty() ? L"登录失败" : L"登录失败!" + zv::AnsiToWide(result.resultMessage);
  zv::ShowMessageBox(m_hWnd, text, L"提示");
  if (result.resultCode == 3) zv::ShellOpen(L"Update.exe");
  // The box's nested loop may have ended the window's pages; look again.
  if (m_loginPage) m_loginPage->SetLoginResult(kNoResult, "");
}

void CMainFramePage::OnNoticeSignal(WPARAM wParam, LPARAM lParam) {
  if (wParam == 1) {
    if (m_servicePanel) m_servicePanel->ShowNoticeWindow(0);
  } else if (wParam == 2) {
    KillTimer(zv::TIMER_NOTICE_FLICKER);
    if (lParam != 0)
      SetTimer(zv::TIMER_NOTICE_FLICKER, kNoticeFlickerMs);
    else if (m_servicePanel)
      m_servicePanel->StopNoticeFlicker();
  }
}

void CMainFramePage::OnLoginWith(WPARAM wParam) {
  std::unique_ptr<zv::ApiRequest> request(reinterpret_cast<zv::ApiRequest*>(wParam));
  if (!request) return;
  const std::string& password = request->params[1];
  const std::string& userName = request->params[2];
  if (userName.empty() || password.empty() || !m_loginPage) return;
  m_loginPage->SetCredentials(userName, password);
  m_loginPage->Login(m_hWnd);
}

void CMainFramePage::OnPayInfo(WPARAM wParam) {
  std::unique_ptr<zv::ApiRequest> record(reinterpret_cast<zv::ApiRequest*>(wParam));
  if (!record) return;
  if (auto* charge = dynamic_cast<IChargePage*>(Find(L"ChargeWindow"))) charge->OnPayInfo(record.get());
}

void CMainFramePage::OnSessionTimeout() {
  // A session the service has ended must not keep its device connections running
  // behind the login page.
  if (m_inSession) StopDeviceConnections();
  EndDeviceSession(false);
  LogOut(true);
  RepaintNow();
  zv::AfxMessageBox(GetEventText(zv::UWM_SESSION_TIMEOUT));
}

void CMainFramePage::OnSessionFailure(UINT event) {
  RepaintNow();
  EndDeviceSession(true);
  zv::AfxMessageBox(GetEventText(event));
}

void CMainFramePage::ShowReconnectOverlay(bool show) {
  if (show && !m_overlayShown) {
    m_overlayShown = 1;
    ShowWaitingOverlay(true, m_hWnd);
  } else if (!show && m_overlayShown) {
    m_overlayShown = 0;
    ShowWaitingOverlay(false, m_hWnd);
  }
}

void CMainFramePage::OnReconnecting(WPARAM wParam) {
  if (wParam == 1)
    ShowReconnectOverlay(true);
  else if (wParam == 0)
    ShowReconnectOverlay(false);
}

void CMainFramePage::OnQueueStatus(WPARAM wParam, LPARAM lParam) {
  if (DuiLib::CTabLayoutUI* tab = FindTab(L"switch_Login")) tab->SelectItem(3);
  if (m_waitingPage) m_waitingPage->UpdateQueue(static_cast<int>(wParam), static_cast<int>(lParam));
}

void CMainFramePage::OnStreamStarted() {
  if (DuiLib::CTabLayoutUI* tab = FindTab(L"switch_Login")) {
    tab->SelectItem(2);
    m_inSession = 1;
  }
  UpdateMoreButton();
  UpdateQualityLabel();
}

void CMainFramePage::OnVideoFrame(WPARAM wParam, LPARAM) {
  if (m_overlayShown) {
    ShowWaitingOverlay(false, m_hWnd);
    m_overlayShown = 0;
  }
  if (m_playerPage) m_playerPage->OnVideoFrame(reinterpret_cast<const zv::VideoFrame*>(wParam));
  m_PaintManager.NeedUpdate();
}

void CMainFramePage::OnQualityChanged(WPARAM wParam) {
  UpdateQualityLabel();
  const std::wstring text =
      L"正在为您更改画面质量，当前画质为" + zv::GetQualityName(static_cast<int32_t>(wParam));
  m_tray.ShowTrayBalloon(text, L"Zelvane", zv::CSystemTray::NIIF_INFO, kBalloonSeconds);
}

void CMainFramePage::OnTimer(UINT id) {
  switch (id) {
    case zv::TIMER_AUTO_LOGIN:
      // Killed first: a box that Login opens runs a nested loop in which the timer
      // would fire again.
      KillTimer(zv::TIMER_AUTO_LOGIN);
      if (m_loginPage && !m_loginPage->Login(m_hWnd)) m_loginPage->SetLoginButtonEnabled(true);
      break;
    case zv::TIMER_LOGIN_MIN_WAIT:
      KillTimer(zv::TIMER_LOGIN_MIN_WAIT);
      if (!m_loginPage) break;
      m_loginPage->SetWaiting(0);
      if (m_loginPage->GetRequest().resultCode != kNoResult) SendMessage(zv::UWM_LOGIN_RESULT, 0, 0);
      break;
    case zv::TIMER_NOTICE_FLICKER:
      if (m_servicePanel) m_servicePanel->FlickerNotice();
      break;
    case zv::TIMER_AD_COUNTDOWN:
      if (m_playerPage) m_playerPage->OnAdTick(m_hWnd);
      break;
    default:
      break;
  }
}

}  // namespace zv::ui
