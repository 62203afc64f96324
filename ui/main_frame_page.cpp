#include "ui/main_frame_page.h"

#include <QDir>
#include <QIcon>
#include <QWidget>

#include "api/app_context.h"
#include "api/service_api.h"
#include "api/text_util.h"
#include "app/events.h"
#include "control/control_client.h"
#include "control/control_protocol.h"
#include "player/stream_player.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_button_gif.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_window_host.h"
#include "ui/child_page.h"
#include "ui/notice_manager.h"

#if __has_include("ui/layered_wnd.h")
#include "ui/layered_wnd.h"
#define ZV_HAVE_LAYERED_WND 1
#endif

namespace zv::ui {

using DuiLib::CControlUI;
using DuiLib::HWND;
using DuiLib::LPARAM;
using DuiLib::LRESULT;
using DuiLib::UINT;
using DuiLib::WPARAM;

namespace {

constexpr uint32_t kMainMenuGuardMs = 2000;
constexpr uint32_t kBackKeyCode = 158;
constexpr UINT kTrayIconId = 128;
constexpr UINT kWaitingAnimationMs = 70;

HWND LayeredWindow(DuiLib::CLayeredWnd* layered) {
#ifdef ZV_HAVE_LAYERED_WND
  return layered ? static_cast<DuiLib::CWindowWnd*>(layered)->GetHWND() : nullptr;
#else
  (void)layered;
  return nullptr;
#endif
}

}  // namespace

CMainFramePage::CMainFramePage(IPageFactory* pages, std::unique_ptr<zv::ITrayBackend> trayBackend)
    : m_pages(pages), m_tray(std::move(trayBackend)) {}

CMainFramePage::~CMainFramePage() {
  ShowWaitingOverlay(false, nullptr);
  UnregisterStateFields();
}

std::wstring CMainFramePage::GetEventText(uint32_t event) {
  return zv::GetEventText(event);
}

CControlUI* CMainFramePage::Find(const wchar_t* name) const {
  return m_PaintManager.FindControl(name);
}

DuiLib::CTabLayoutUI* CMainFramePage::FindTab(const wchar_t* name) const {
  CControlUI* c = Find(name);
  return c ? static_cast<DuiLib::CTabLayoutUI*>(c->GetInterface(L"TabLayout")) : nullptr;
}

int CMainFramePage::LoginTab() const {
  DuiLib::CTabLayoutUI* tab = FindTab(L"switch_Login");
  return tab ? tab->GetCurSel() : -1;
}

int CMainFramePage::AccountTab() const {
  DuiLib::CTabLayoutUI* tab = FindTab(L"switch");
  return tab ? tab->GetCurSel() : -1;
}

bool CMainFramePage::LoginSucceeded() const {
  return m_loginPage && m_loginPage->GetRequest().resultCode == 0;
}

void CMainFramePage::StopDeviceConnections() {
  zv::CStreamPlayer::Instance().Stop();
  zv::CControlClient::Instance().Stop();
}

CControlUI* CMainFramePage::CreateControl(const wchar_t* cls) {
  const std::wstring name = cls ? cls : L"";
  if (name == L"LoginWindow" || name == L"ServiceWindow" || name == L"ShowPlayerWindow" ||
      name == L"WaitingPageWindow") {
    CControlUI* page = m_pages ? m_pages->CreatePage(name, m_PaintManager) : nullptr;
    if (!page) return nullptr;
    if (name == L"LoginWindow") {
      m_loginPage = dynamic_cast<ILoginPage*>(page);
      m_loginControl = page;
    } else if (name == L"ServiceWindow") {
      m_servicePanel = dynamic_cast<IServicePanel*>(page);
      m_servicePanelControl = page;
    } else if (name == L"ShowPlayerWindow") {
      m_playerPage = dynamic_cast<IPlayerPage*>(page);
    } else {
      m_waitingPage = dynamic_cast<IWaitingPage*>(page);
    }
    return page;
  }
#ifdef ZV_HAVE_LAYERED_WND
  if (name == L"Layered") {
    m_layered = new DuiLib::CLayeredWnd;
    return static_cast<CControlUI*>(m_layered);
  }
#endif
  if (name == L"ButtonGif") return new DuiLib::CButtonGifUI;
  return nullptr;
}

void CMainFramePage::EndDeviceSession(bool showList) {
  if (m_waitingOverlay && m_overlayShown) {
    ShowWaitingOverlay(false, m_hWnd);
    m_overlayShown = 0;
  }
  m_inSession = 0;
  if (m_playerPage) m_playerPage->SetFrameReceived(false);
  if (showList) ShowDeviceList();
  UpdateMoreButton();
  UpdateQualityLabel();
}

void CMainFramePage::LogOut(bool tellService) {
  m_loggedIn = 0;
  if (m_inSession) {
    StopDeviceConnections();
    EndDeviceSession(false);
  }
  zv::NoticeManager::Instance().Stop();
  if (tellService) {
    zv::ApiRequest request;
    request.kind = zv::REQ_LOGOUT;
    zv::CServiceApi::Instance().Execute(request);
  }
  DuiLib::CTabLayoutUI* tab = FindTab(L"switch_Login");
  if (!tab) return;
  tab->SelectItem(0);
  if (m_loginPage) {
    m_loginPage->Init(false, nullptr);
    m_loginControl->NeedUpdate();
  }
}

void CMainFramePage::ShowApplyPage() {
  if (!LoginSucceeded()) return;
  ShowUserName();
  if (CControlUI* button = Find(L"Button_AddService")) button->SetText(L"查看设备");
  if (m_servicePanel) m_servicePanel->SetMode(2);
  if (DuiLib::CTabLayoutUI* tab = FindTab(L"switch_Login")) tab->SelectItem(1);
  if (DuiLib::CTabLayoutUI* tab = FindTab(L"switch")) tab->SelectItem(0);
  if (m_servicePanel) m_servicePanel->RefreshBeans();
  if (m_applyPage) m_applyPage->Reload();
}

void CMainFramePage::ShowDeviceList() {
  if (!LoginSucceeded()) return;
  ShowUserName();
  if (CControlUI* button = Find(L"Button_AddService")) button->SetText(L"申请设备");
  if (m_servicePanel) m_servicePanel->SetMode(3);
  if (DuiLib::CTabLayoutUI* tab = FindTab(L"switch_Login")) tab->SelectItem(1);
  if (DuiLib::CTabLayoutUI* tab = FindTab(L"switch")) tab->SelectItem(1);
  if (m_servicePanel) m_servicePanel->RefreshBeans();
  if (m_deviceList) m_deviceList->Reset();
  if (m_servicePanelControl) m_servicePanelControl->NeedUpdate();
  if (m_deviceListControl) m_deviceListControl->NeedUpdate();
}

void CMainFramePage::ShowWaitingOverlay(bool show, HWND parent) {
  if (m_waitingOverlay) {
    if (!show && m_waitingOverlay->GetHWND())
      DuiLib::KillTimer(m_waitingOverlay->GetHWND(), zv::TIMER_WAITING_ANIMATION);
    CChildPage::Dispose(m_waitingOverlay);
  }
  if (!show) return;
  m_waitingOverlay = new CChildPage(parent);
  m_waitingOverlay->SetSkinFile(L"WaitingLogin.xml");
  const DuiLib::RECT rc = m_loginControl ? m_loginControl->GetPos() : DuiLib::RECT{};
  if (!m_waitingOverlay->CreateOver(L"WaitingLogin", rc)) return;
  HWND overlay = m_waitingOverlay->GetHWND();
  DuiLib::KillTimer(overlay, zv::TIMER_WAITING_ANIMATION);
  DuiLib::SetTimer(overlay, zv::TIMER_WAITING_ANIMATION, kWaitingAnimationMs);
  m_waitingOverlay->ShowWindow(true, true);
}

void CMainFramePage::UpdateQualityLabel() {
  CControlUI* label = Find(L"Label_VideoSpeedShow");
  if (!label) return;
  if (!m_inSession) {
    label->SetVisible(false);
    return;
  }
  static const wchar_t* const kDots[] = {L"\\VideoSpeedShow\\green.png", L"\\VideoSpeedShow\\yellow.png",
                                         L"\\VideoSpeedShow\\red.png"};
  static const wchar_t* const kNames[] = {L"高 清", L"普 通", L"高 速", L"极 速"};
  const int32_t network = zv::CAppContext::Instance().networkLevel.load();
  if (network >= 0 && network <= 2) label->SetBkImage(kDots[network]);
  const int32_t quality = zv::CAppContext::Instance().qualityLevel.load();
  const std::wstring text = quality >= 0 && quality <= 3 ? kNames[quality] : L"";
  if (text.empty()) {
    label->SetVisible(false);
    return;
  }
  label->SetText(text);
  label->SetVisible(true);
}

void CMainFramePage::UpdateMoreButton() {
  CControlUI* control = Find(L"Button_More");
  auto* button = control ? static_cast<DuiLib::CButtonUI*>(control->GetInterface(L"Button")) : nullptr;
  if (!button) return;
  if (m_inSession) {
    button->SetNormalImage(L"\\VideoSpeedShow\\VideoSettingButton.png");
    button->SetHotImage(L"\\VideoSpeedShow\\VideoSettingButton.png");
    button->SetPushedImage(L"\\VideoSpeedShow\\VideoSettingButton_Active.png");
    button->SetDisabledImage(L"\\VideoSpeedShow\\VideoSettingButton_Disable.png");
    button->SetEnabled(zv::CAppContext::Instance().autoQuality.load() == 0);
    return;
  }
  button->SetNormalImage(L"morebutton.png");
  button->SetHotImage(L"morebutton.png");
  button->SetPushedImage(L"morebutton_choose.png");
  button->SetDisabledImage(L"morebutton_choose.png");
  if (CControlUI* menu = Find(L"VideoSetting")) {
    menu->SetVisible(false);
    menu->NeedUpdate();
  }
}

void CMainFramePage::RefreshBeans() {
  zv::ApiRequest request;
  request.kind = zv::REQ_GET_USER_INFO;
  zv::CServiceApi::Instance().Execute(request);
  if (request.sessionExpired) return;
  if (CControlUI* label = Find(L"Label_RBC"))
    label->SetText(std::to_wstring(zv::CAppContext::Instance().rbcAmount));
}

void CMainFramePage::ShowUserName() {
  if (CControlUI* label = Find(L"Label_UserName"))
    label->SetText(zv::AnsiToWide(zv::CAppContext::Instance().userName));
}

void CMainFramePage::BackToDeviceList() {
  const uint32_t now = m_tick ? m_tick() : zv::GetTickCount32();
  const bool tooSoon = now - m_lastBackTick < kMainMenuGuardMs;
  m_lastBackTick = now;
  if (tooSoon || !m_loggedIn) return;
  if (m_inSession) {
    StopDeviceConnections();
    EndDeviceSession(true);
  } else {
    ShowDeviceList();
  }
}

void CMainFramePage::SendBackKey() {
  if (!m_inSession || m_overlayShown) return;
  zv::CControlClient::Instance().SendKey(zv::KEY_FLAG_DOWN | zv::KEY_FLAG_UP, kBackKeyCode, 0);
}

void CMainFramePage::OnTrayNotify(WPARAM, LPARAM lParam) {
  if (lParam != zv::WM_LBUTTONDOWN) return;
  const bool trayWindow = m_tray.GetHiddenWindow() != nullptr;
  HWND layered = LayeredWindow(m_layered);
  // Minimising already sent the window to the tray, so a click then brings it back.
  if (DuiLib::IsWindowVisible(m_hWnd) && !m_hWnd->isMinimized()) {
    if (trayWindow) m_tray.AnimateToTray(m_hWnd, true);
    DuiLib::ShowWindow(m_hWnd, DuiLib::SW_HIDE);
    if (layered) DuiLib::ShowWindow(layered, DuiLib::SW_HIDE);
    return;
  }
  if (trayWindow) m_tray.RestoreFromTray(m_hWnd, true);
  DuiLib::ShowWindow(m_hWnd, DuiLib::SW_RESTORE);
  if (layered) DuiLib::ShowWindow(layered, DuiLib::SW_RESTORE);
  if (m_hWnd) {
    m_hWnd->raise();
    m_hWnd->activateWindow();
  }
}

LRESULT CMainFramePage::MessageHandler(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (msg == DuiLib::WM_KEYDOWN && (wParam == DuiLib::VK_ESCAPE || wParam == DuiLib::VK_RETURN)) {
    handled = true;
    return 0;
  }
  return WindowImplBase::MessageHandler(msg, wParam, lParam, handled);
}

LRESULT CMainFramePage::OnClose(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (m_loggedIn) {
    zv::ApiRequest request;
    request.kind = zv::REQ_LOGOUT;
    zv::CServiceApi::Instance().Execute(request);
  }
  if (m_servicePanel) m_servicePanel->CloseNoticeWindow();
  zv::NoticeManager::Instance().Stop();
  ShowWaitingOverlay(false, m_hWnd);
#ifdef ZV_HAVE_LAYERED_WND
  if (LayeredWindow(m_layered)) static_cast<DuiLib::CWindowWnd*>(m_layered)->Close();
#endif
  if (m_tray.GetHiddenWindow()) m_tray.DeleteTrayIcon();
  return WindowImplBase::OnClose(msg, wParam, lParam, handled);
}

LRESULT CMainFramePage::OnNcActivate(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  return WindowImplBase::OnNcActivate(msg, wParam, lParam, handled);
}

void CMainFramePage::OnFinalMessage(HWND hWnd) {
  UnregisterStateFields();
  WindowImplBase::OnFinalMessage(hWnd);
}

void CMainFramePage::OnWindowInit() {
  if (m_hWnd) {
    m_hWnd->raise();
    m_hWnd->activateWindow();
  }
  const QString icon = QDir(m_PaintManager.GetResourceFolder()).filePath(QStringLiteral("res128.png"));
  m_tray.CreateTrayIcon(m_hWnd, zv::UWM_TRAY_NOTIFY, L"Zelvane", QIcon(icon), kTrayIconId);
  m_deviceListControl = Find(L"ServiceStatusWindow");
  m_deviceList = dynamic_cast<IDeviceListPage*>(m_deviceListControl);
  m_applyPage = dynamic_cast<IApplyPage*>(Find(L"AddServiceWindow"));
  m_bindMobilePage = Find(L"BindMobileWindow");
  RegisterStateFields();
  if (m_loginPage) m_loginPage->Init(true, m_hWnd);
}

}  // namespace zv::ui
