// CMainFramePage: the client's one top-level window. It loads the main skin, owns the
// pages through the factory it is given, switches between login, account area, player
// and waiting page, and is the only receiver of the application events.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/window_impl_base.h"
#include "ui/page_interfaces.h"
#include "ui/system_tray.h"

namespace DuiLib {
class CLayeredWnd;
class CTabLayoutUI;
}  // namespace DuiLib

namespace zv::ui {

class CChildPage;

class CMainFramePage : public DuiLib::WindowImplBase {
 public:
  using TickSource = std::function<uint32_t()>;

  // pages may be null: then the skin's page classes get no object and only their steps
  // are skipped. The tray backend is the desktop's unless a test brings its own.
  explicit CMainFramePage(IPageFactory* pages,
                          std::unique_ptr<zv::ITrayBackend> trayBackend = zv::MakePlatformTrayBackend());
  ~CMainFramePage() override;

  // What pages and events ask of the frame (all on the window thread).
  void EndDeviceSession(bool showList);
  void LogOut(bool tellService);
  void ShowApplyPage();
  void ShowDeviceList();
  void ShowWaitingOverlay(bool show, DuiLib::HWND parent);
  void UpdateQualityLabel();
  void UpdateMoreButton();
  void RefreshBeans();
  void ShowUserName();
  void BackToDeviceList();
  void SendBackKey();
  void OnTrayNotify(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
  static std::wstring GetEventText(uint32_t event);

  // The frame's state, for tests and the automation.
  int LoggedIn() const { return m_loggedIn; }
  int InSession() const { return m_inSession; }
  int OverlayShown() const { return m_overlayShown; }
  uint32_t LastBackTick() const { return m_lastBackTick; }
  CChildPage* WaitingOverlay() const { return m_waitingOverlay; }
  zv::CSystemTray& Tray() { return m_tray; }
  // Current tab of switch_Login / switch, -1 when the skin lacks it.
  int LoginTab() const;
  int AccountTab() const;

  ILoginPage* LoginPage() const { return m_loginPage; }
  IServicePanel* ServicePanel() const { return m_servicePanel; }
  IPlayerPage* PlayerPage() const { return m_playerPage; }
  IWaitingPage* WaitingPage() const { return m_waitingPage; }
  IDeviceListPage* DeviceListPage() const { return m_deviceList; }
  IApplyPage* ApplyPage() const { return m_applyPage; }
  DuiLib::CLayeredWnd* LayeredFrame() const { return m_layered; }

  // The millisecond tick count of the main-menu guard; tests step it by hand.
  void SetTickSource(TickSource tick) { m_tick = std::move(tick); }

  // Toolkit interface.
  void Notify(DuiLib::TNotifyUI& msg) override;
  DuiLib::CControlUI* CreateControl(const wchar_t* cls) override;
  DuiLib::LRESULT HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) override;
  DuiLib::LRESULT MessageHandler(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                                 bool& handled) override;

 protected:
  const wchar_t* GetWindowClassName() const override { return L"ZelvanePlayer"; }
  const wchar_t* GetSuperClassName() const override { return L"ZelvanePlayer"; }
  std::wstring GetSkinFolder() override { return L"skin\\resource\\"; }
  std::wstring GetSkinFile() override { return L"ZelvanePlayUI.xml"; }
  DuiLib::UILIB_RESOURCETYPE GetResourceType() const override { return DuiLib::UILIB_FILE; }
  std::wstring GetZIPFileName() const override { return L"resource.zip"; }
  DuiLib::LRESULT OnClose(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                          bool& handled) override;
  DuiLib::LRESULT OnNcActivate(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam,
                               bool& handled) override;
  void OnFinalMessage(DuiLib::HWND hWnd) override;

 private:
  // Event handlers (main_frame_events.cpp).
  bool HandleAppEvent(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
  void OnLoginDone(DuiLib::WPARAM wParam);
  void OnLoginResult();
  void OnNoticeSignal(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
  void OnLoginWith(DuiLib::WPARAM wParam);
  void OnPayInfo(DuiLib::WPARAM wParam);
  void OnSessionTimeout();
  void OnSessionFailure(DuiLib::UINT event);
  void OnReconnecting(DuiLib::WPARAM wParam);
  void OnQueueStatus(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
  void OnStreamStarted();
  void OnVideoFrame(DuiLib::WPARAM wParam, DuiLib::LPARAM lParam);
  void OnQualityChanged(DuiLib::WPARAM wParam);
  void OnTimer(DuiLib::UINT id);
  void ShowReconnectOverlay(bool show);

  // Page commands (main_frame_commands.cpp).
  void OnPageCommand(DuiLib::WPARAM sub, DuiLib::LPARAM lParam);
  void OpenPlayerPage();
  // switch_Login tab 1 with switch on tab; false when switch_Login is missing.
  bool ShowAccountTab(int tab);
  void OpenFaultFeedback();
  void OpenRecharge(const char* padCode);
  void PayOrder(const char* orderId);
  void OpenOrders();
  void OpenExchange(const char* padCode);
  void OpenAgreement(bool vip);
  void RepaintNow();

  // Notify routing (main_frame_notify.cpp).
  bool OnFrameClick(const std::wstring& sender);
  void ChooseQuality(int32_t level);
  void ToggleQualityMenu();
  void OnWindowInit();
  void RouteToPages(DuiLib::TNotifyUI& msg, const std::wstring& sender);
  void ForwardByName(const wchar_t* pageName, DuiLib::TNotifyUI& msg);

  DuiLib::CTabLayoutUI* FindTab(const wchar_t* name) const;
  DuiLib::CControlUI* Find(const wchar_t* name) const;
  bool LoginSucceeded() const;
  void StopDeviceConnections();
  void RegisterStateFields();
  static void UnregisterStateFields();

  IPageFactory* m_pages = nullptr;
  zv::CSystemTray m_tray;
  IServicePanel* m_servicePanel = nullptr;
  ILoginPage* m_loginPage = nullptr;
  DuiLib::CControlUI* m_loginControl = nullptr;
  IPlayerPage* m_playerPage = nullptr;
  IApplyPage* m_applyPage = nullptr;
  IDeviceListPage* m_deviceList = nullptr;
  DuiLib::CControlUI* m_deviceListControl = nullptr;
  DuiLib::CControlUI* m_servicePanelControl = nullptr;
  DuiLib::CControlUI* m_bindMobilePage = nullptr;
  IWaitingPage* m_waitingPage = nullptr;
  DuiLib::CLayeredWnd* m_layered = nullptr;
  int m_loggedIn = 0;
  int m_inSession = 0;
  int m_overlayShown = 0;
  CChildPage* m_waitingOverlay = nullptr;
  uint32_t m_lastBackTick = 0;
  TickSource m_tick;
};

}  // namespace zv::ui
