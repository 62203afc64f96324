// What the main frame calls on the pages it owns. The pages live above this layer
// (pages/ links ui/), so the frame knows them only through these interfaces; a page the
// skin lacks is a null pointer and only the steps that need it are skipped.
#pragma once

#include <string>

#include "toolkit/ui_base.h"
#include "toolkit/ui_manager.h"

namespace zv {
struct VideoFrame;
}

namespace DuiLib {
class CControlUI;
class CPaintManagerUI;
}  // namespace DuiLib

namespace zv::ui {

using DuiLib::HWND;

// The login page's record of one login; the worker fills it.
struct LoginRequest {
  std::string userName;  // ANSI code page
  std::string password;  // as typed, or the placeholder "********"
  bool autoLogin = false;
  bool rememberPassword = false;
  int passwordChanged = 0;
  HWND owner = nullptr;
  int resultCode = -100;  // -100: no result yet
  std::string resultMessage;
};

// Every page that receives forwarded notifications.
class IPage {
 public:
  virtual ~IPage() = default;
  virtual void Notify(DuiLib::TNotifyUI& msg, HWND mainWnd) = 0;
};

// "LoginWindow"
class ILoginPage : public IPage {
 public:
  virtual void Init(bool allowAutoLogin, HWND wnd) = 0;
  virtual bool Login(HWND wnd) = 0;
  virtual void SetLoginResult(int code, const std::string& message) = 0;
  virtual LoginRequest GetRequest() const = 0;
  virtual int IsWaiting() const = 0;
  virtual void SetWaiting(int waiting) = 0;
  virtual void SetLoginButtonEnabled(bool enabled) = 0;
  // Both texts in the ANSI code page.
  virtual void SetCredentials(const std::string& userName, const std::string& password) = 0;
  // 5 shows the bind-mobile popup over the page, 0 closes and releases it.
  virtual void ShowBindMobileWindow(int mode, HWND wnd) = 0;
};

// "ServiceWindow": the account panel on the left.
class IServicePanel : public IPage {
 public:
  virtual void RefreshBeans() = 0;
  virtual void SetMode(int mode) = 0;  // 2 apply page shown, 3 device list shown
  // The notice window and its flicker (UWM_NOTICE_SIGNAL, TIMER_NOTICE_FLICKER, OnClose).
  virtual void ShowNoticeWindow(int mode) = 0;
  virtual void FlickerNotice() = 0;
  virtual void StopNoticeFlicker() = 0;
  virtual void CloseNoticeWindow() = 0;
};

// "ServiceStatusWindow": the device list.
class IDeviceListPage : public IPage {
 public:
  virtual void Reset() = 0;
  virtual void Refresh() = 0;
};

// "AddServiceWindow": the apply page.
class IApplyPage : public IPage {
 public:
  virtual void Reload() = 0;  // reload the offer and take the focus
};

// "ShowPlayerWindow": the player page (video surface and ad pre-roll).
class IPlayerPage {
 public:
  virtual ~IPlayerPage() = default;
  virtual void OnVideoSize(int width, int height) = 0;
  virtual void OnVideoFrame(const zv::VideoFrame* frame) = 0;
  virtual void StartPlayback(HWND mainWnd) = 0;
  virtual void OnAdTick(HWND mainWnd) = 0;
  virtual void SetFrameReceived(bool received) = 0;
};

// "WaitingPageWindow"
class IWaitingPage {
 public:
  virtual ~IWaitingPage() = default;
  virtual void UpdateQueue(int length, int minutes) = 0;
};

// The right-hand account pages the frame opens by name (sub-codes 8 to 13).
class IFaultFeedbackPage : public IPage {
 public:
  virtual void LoadData() = 0;
};
class IChargePage : public IPage {
 public:
  virtual void SetRenewal(bool renewing, const std::string& padCode) = 0;
  virtual void Load(HWND mainWnd) = 0;
  // Takes the order's fields and starts paying it (sub-code 10).
  virtual void PayOrder(const std::string& orderId, HWND mainWnd) = 0;
  // A copy of the payment answer of UWM_PAY_INFO; the frame frees its own record.
  virtual void OnPayInfo(const void* payInfo) = 0;
};
class IOrderPage : public IPage {
 public:
  virtual void Load(HWND mainWnd) = 0;
};
class IExchangePage : public IPage {
 public:
  virtual void SetPadCode(const std::string& padCode) = 0;
  virtual void Load(HWND mainWnd) = 0;
};
class IAgreementPage : public IPage {
 public:
  virtual void SetDeviceKind(const std::wstring& kind) = 0;  // "1" VIP, "0" free
};

// Builds the page controls of the main skin ("LoginWindow", "ServiceWindow",
// "ShowPlayerWindow", "WaitingPageWindow"); null for every other class. The pages module
// supplies it to the frame at start-up.
class IPageFactory {
 public:
  virtual ~IPageFactory() = default;
  virtual DuiLib::CControlUI* CreatePage(const std::wstring& cls, DuiLib::CPaintManagerUI& manager) = 0;
};

}  // namespace zv::ui
