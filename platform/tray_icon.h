// The notification-area icon and its balloons over QSystemTrayIcon. Where the desktop
// has no tray, Create fails and every call does nothing, as on a platform without one.
#pragma once

#include <QIcon>
#include <functional>
#include <memory>
#include <string>

class QSystemTrayIcon;

namespace zv {

struct TrayBalloon {
  std::wstring title;
  std::wstring text;
  int kind = 0;  // 0 none, 1 information, 2 warning, 3 error
  int timeoutMs = 0;
  bool shown = false;
};

class CTrayIcon {
 public:
  enum class Click { Left, Double, Right };
  CTrayIcon();
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  static bool IsAvailable();
  bool Create(const QIcon& icon, const std::wstring& tip, std::function<void(Click)> onClick);
  bool IsShown() const;
  bool SetTip(const std::wstring& tip);
  // Title and text are cut to 63 and 255 characters.
  bool ShowBalloon(const std::wstring& text, const std::wstring& title, int kind, int timeoutMs);
  void Remove();
  // The last balloon asked for, shown or not (the automation reports it).
  static TrayBalloon LastBalloon();

 private:
  std::unique_ptr<QSystemTrayIcon> m_icon;
  std::function<void(Click)> m_onClick;
};

}  // namespace zv
