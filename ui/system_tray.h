// The client's icon in the desktop's notification area: its balloons, the main window's
// trip into and out of the tray, and the icon coming back when the desktop's tray restarts.
#pragma once

#include <QIcon>
#include <QRect>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/ui_window.h"

namespace zv {

// The desktop's tray as the icon sees it; the default one is the platform's tray icon,
// tests put in one they can click.
class ITrayBackend {
 public:
  enum class Click { Left, Double, Right };
  virtual ~ITrayBackend() = default;
  virtual bool IsAvailable() const = 0;
  virtual bool SupportsBalloons() const = 0;
  virtual bool Add(const QIcon& icon, const std::wstring& tip, std::function<void(Click)> onClick) = 0;
  virtual bool Modify(const std::wstring& tip) = 0;
  virtual bool ShowBalloon(const std::wstring& text, const std::wstring& title, int kind, int timeoutMs) = 0;
  virtual bool Delete() = 0;
  // The icon's place on the screen; empty when the desktop does not tell.
  virtual QRect Geometry() const = 0;
};

std::unique_ptr<ITrayBackend> MakePlatformTrayBackend();

struct TrayBalloonRecord {
  std::wstring text;
  std::wstring title;
  int kind = 0;
  int timeoutMs = 0;
  bool shown = false;
};

// The messages the tray's hidden window answers: the desktop's tray came (back) and the
// work area changed.
enum : DuiLib::UINT { UWM_TASKBAR_CREATED = 0xC0A1, WM_SETTINGCHANGE = 0x001A };
enum : DuiLib::WPARAM { SPI_SETWORKAREA = 47 };

class CSystemTray {
 public:
  enum : size_t { kTipChars = 127, kBalloonTextChars = 255, kBalloonTitleChars = 63 };
  enum : int { NIIF_NONE = 0, NIIF_INFO = 1, NIIF_WARNING = 2 };

  explicit CSystemTray(std::unique_ptr<ITrayBackend> backend = MakePlatformTrayBackend());
  ~CSystemTray();
  CSystemTray(const CSystemTray&) = delete;
  CSystemTray& operator=(const CSystemTray&) = delete;

  bool IsEnabled() const { return m_enabled; }
  bool CreateTrayIcon(DuiLib::HWND owner, DuiLib::UINT callbackMessage, const std::wstring& tip,
                      const QIcon& icon, DuiLib::UINT id, bool hidden = false,
                      const std::wstring& balloonText = L"", const std::wstring& balloonTitle = L"",
                      int balloonKind = NIIF_NONE, int balloonTimeoutS = 10);
  bool ShowTrayBalloon(const std::wstring& text, const std::wstring& title, int kind, int timeoutS);
  bool AnimateToTray(DuiLib::HWND window, bool forceAnimation);
  bool RestoreFromTray(DuiLib::HWND window, bool forceAnimation);
  bool DeleteTrayIcon();

  // The notification area's place, where the window's trip to the tray starts or ends.
  QRect GetTrayWndRect() const;
  // Whether the last trip was drawn (forced, or the desktop's animations are on).
  bool LastTripAnimated() const { return m_lastAnimated; }

  bool IsIconShown() const { return m_enabled && !m_hidden && !m_removed; }
  bool IsShowPending() const { return m_showPending; }
  const std::wstring& GetTip() const { return m_tip; }
  // Text of the balloon still to be shown with the next add or modify; empty afterwards.
  const std::wstring& PendingBalloonText() const { return m_balloonText; }
  // Every balloon asked for, oldest first.
  const std::vector<TrayBalloonRecord>& Balloons() const { return m_balloons; }
  DuiLib::HWND GetHiddenWindow() const;

  // The hidden window's messages.
  DuiLib::LRESULT OnTaskbarCreated();
  DuiLib::LRESULT OnSettingChange(DuiLib::WPARAM code);
  // Notices the desktop's tray going away and coming back.
  void WatchTray();

 private:
  class CHiddenWnd;
  bool AddOrModify(bool add);
  bool ShowPendingBalloon();
  void OnClick(ITrayBackend::Click click);
  void AnimateTrip(DuiLib::HWND window, bool toTray);

  std::unique_ptr<ITrayBackend> m_backend;
  std::unique_ptr<CHiddenWnd> m_hiddenWnd;
  bool m_enabled = false;
  bool m_balloonsSupported = false;
  bool m_created = false;
  bool m_hidden = true;
  bool m_removed = true;
  bool m_showPending = false;
  bool m_trayWasAvailable = false;
  bool m_lastAnimated = false;
  DuiLib::HWND m_trayedWindow = nullptr;
  bool m_trayedWasTool = false;
  DuiLib::HWND m_owner = nullptr;
  DuiLib::UINT m_callbackMessage = 0;
  DuiLib::UINT m_id = 0;
  QIcon m_icon;
  std::wstring m_tip;
  std::wstring m_balloonText;
  std::wstring m_balloonTitle;
  int m_balloonKind = NIIF_NONE;
  int m_balloonTimeoutMs = 0;
  std::vector<TrayBalloonRecord> m_balloons;
};

}  // namespace zv
