#include "ui/system_tray.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QWidget>

#include "platform/tray_icon.h"
#include "toolkit/ui_window_host.h"

namespace zv {

using DuiLib::HWND;
using DuiLib::LPARAM;
using DuiLib::LRESULT;
using DuiLib::UINT;
using DuiLib::WPARAM;

namespace {

constexpr UINT kWatchTimer = 1;
// Often enough that a restarted tray gets the icon back before anyone looks for it.
constexpr UINT kWatchMs = 1000;
constexpr int kTripMs = 250;
constexpr int kTripCaption = 24;

class CPlatformTrayBackend : public ITrayBackend {
 public:
  bool IsAvailable() const override { return CTrayIcon::IsAvailable(); }
  bool SupportsBalloons() const override { return QSystemTrayIcon::supportsMessages(); }
  bool Add(const QIcon& icon, const std::wstring& tip, std::function<void(Click)> onClick) override {
    m_tray = std::make_unique<CTrayIcon>();
    return m_tray->Create(icon, tip, [onClick](CTrayIcon::Click c) {
      if (!onClick) return;
      onClick(c == CTrayIcon::Click::Left     ? Click::Left
              : c == CTrayIcon::Click::Double ? Click::Double
                                              : Click::Right);
    });
  }
  bool Modify(const std::wstring& tip) override { return m_tray && m_tray->SetTip(tip) && m_tray->IsShown(); }
  bool ShowBalloon(const std::wstring& text, const std::wstring& title, int kind, int timeoutMs) override {
    return m_tray && m_tray->ShowBalloon(text, title, kind, timeoutMs);
  }
  bool Delete() override {
    if (!m_tray) return false;
    m_tray.reset();
    return true;
  }
  QRect Geometry() const override { return {}; }

 private:
  std::unique_ptr<CTrayIcon> m_tray;
};

}  // namespace

std::unique_ptr<ITrayBackend> MakePlatformTrayBackend() {
  return std::make_unique<CPlatformTrayBackend>();
}

// The tray's own invisible window: it hears the desktop's tray coming back and work-area
// changes, and owns the icon's mouse messages when no owner window is given.
class CSystemTray::CHiddenWnd : public DuiLib::CWindowWnd {
 public:
  explicit CHiddenWnd(CSystemTray* tray) : m_tray(tray) {}

 protected:
  const wchar_t* GetWindowClassName() const override { return L"SystemTrayHidden"; }
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == UWM_TASKBAR_CREATED) return m_tray->OnTaskbarCreated();
    if (msg == WM_SETTINGCHANGE) return m_tray->OnSettingChange(wParam);
    if (msg == DuiLib::WM_TIMER && wParam == kWatchTimer) {
      m_tray->WatchTray();
      return 0;
    }
    return CWindowWnd::HandleMessage(msg, wParam, lParam);
  }

 private:
  CSystemTray* m_tray;
};

CSystemTray::CSystemTray(std::unique_ptr<ITrayBackend> backend) : m_backend(std::move(backend)) {}

CSystemTray::~CSystemTray() {
  DeleteTrayIcon();
  m_hiddenWnd.reset();
}

HWND CSystemTray::GetHiddenWindow() const {
  return m_hiddenWnd ? m_hiddenWnd->GetHWND() : nullptr;
}

bool CSystemTray::CreateTrayIcon(HWND owner, UINT callbackMessage, const std::wstring& tip, const QIcon& icon,
                                 UINT id, bool hidden, const std::wstring& balloonText,
                                 const std::wstring& balloonTitle, int balloonKind, int balloonTimeoutS) {
  m_enabled = m_backend && m_backend->IsAvailable();
  if (!m_enabled) return false;
  m_balloonsSupported = m_backend->SupportsBalloons();
  if (!m_hiddenWnd) {
    m_hiddenWnd = std::make_unique<CHiddenWnd>(this);
    if (!m_hiddenWnd->Create(nullptr, L"", DuiLib::WS_POPUP, 0, 0, 0, 0, 0)) {
      m_hiddenWnd.reset();
      m_enabled = false;
      return false;
    }
    m_hiddenWnd->SetTimer(kWatchTimer, kWatchMs);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
      HWND hidden = m_hiddenWnd->GetHWND();
      QObject::connect(screen, &QScreen::availableGeometryChanged, hidden,
                       [hidden] { DuiLib::PostMessage(hidden, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0); });
    }
  }
  m_owner = owner ? owner : m_hiddenWnd->GetHWND();
  m_callbackMessage = callbackMessage;
  m_id = id;
  m_icon = icon;
  m_tip = tip.substr(0, kTipChars);
  m_balloonText.clear();
  if (m_balloonsSupported && !balloonText.empty()) {
    m_balloonText = balloonText.substr(0, kBalloonTextChars);
    m_balloonTitle = balloonTitle.substr(0, kBalloonTitleChars);
    m_balloonKind = balloonKind;
    m_balloonTimeoutMs = balloonTimeoutS * 1000;
  }
  m_created = true;
  m_trayWasAvailable = true;
  m_hidden = hidden;
  m_removed = true;
  m_showPending = false;
  if (hidden) return true;
  // A failed add stays pending, so the next tray that comes up gets the icon.
  bool ok = AddOrModify(true);
  m_removed = m_showPending = !ok;
  return ok;
}

bool CSystemTray::AddOrModify(bool add) {
  bool ok = add ? m_backend->Add(m_icon, m_tip, [this](ITrayBackend::Click c) { OnClick(c); })
                : m_backend->Modify(m_tip);
  if (ok) ShowPendingBalloon();
  return ok;
}

bool CSystemTray::ShowPendingBalloon() {
  if (m_balloonText.empty()) return false;
  TrayBalloonRecord record{m_balloonText, m_balloonTitle, m_balloonKind, m_balloonTimeoutMs, false};
  record.shown = m_backend->ShowBalloon(m_balloonText, m_balloonTitle, m_balloonKind, m_balloonTimeoutMs);
  m_balloons.push_back(record);
  // A later add or modify must not bring the same notice back.
  m_balloonText.clear();
  return record.shown;
}

bool CSystemTray::ShowTrayBalloon(const std::wstring& text, const std::wstring& title, int kind,
                                  int timeoutS) {
  TrayBalloonRecord asked{text.substr(0, kBalloonTextChars), title.substr(0, kBalloonTitleChars), kind,
                          timeoutS * 1000, false};
  if (!m_enabled || !m_balloonsSupported || !m_created || m_removed || asked.text.empty()) {
    m_balloons.push_back(asked);
    return false;
  }
  m_balloonText = asked.text;
  m_balloonTitle = asked.title;
  m_balloonKind = kind;
  m_balloonTimeoutMs = asked.timeoutMs;
  return ShowPendingBalloon();
}

bool CSystemTray::DeleteTrayIcon() {
  if (!m_enabled || !m_created || m_removed) return false;
  bool ok = m_backend->Delete();
  m_removed = true;
  m_showPending = false;
  return ok;
}

LRESULT CSystemTray::OnTaskbarCreated() {
  if (!m_enabled || !m_created) return 0;
  // A new tray knows none of the old icons.
  m_removed = true;
  m_showPending = true;
  if (!m_hidden && AddOrModify(true)) m_removed = m_showPending = false;
  return 0;
}

LRESULT CSystemTray::OnSettingChange(WPARAM code) {
  if (!m_enabled || !m_created || code != SPI_SETWORKAREA) return 0;
  m_showPending = !m_hidden;
  if (m_showPending && AddOrModify(m_removed)) m_removed = m_showPending = false;
  return 0;
}

void CSystemTray::WatchTray() {
  if (!m_enabled || !m_created) return;
  bool available = m_backend->IsAvailable();
  if (available && !m_trayWasAvailable) PostMessage(GetHiddenWindow(), UWM_TASKBAR_CREATED, 0, 0);
  if (!available && m_trayWasAvailable) m_removed = true;
  m_trayWasAvailable = available;
}

void CSystemTray::OnClick(ITrayBackend::Click click) {
  if (!m_owner) return;
  auto post = [this](LPARAM mouse) { DuiLib::PostMessage(m_owner, m_callbackMessage, m_id, mouse); };
  switch (click) {
    case ITrayBackend::Click::Left:
      post(DuiLib::WM_LBUTTONDOWN);
      post(DuiLib::WM_LBUTTONUP);
      break;
    case ITrayBackend::Click::Double:
      post(DuiLib::WM_LBUTTONDBLCLK);
      break;
    case ITrayBackend::Click::Right:
      post(DuiLib::WM_RBUTTONDOWN);
      post(DuiLib::WM_RBUTTONUP);
      break;
  }
}

QRect CSystemTray::GetTrayWndRect() const {
  if (m_backend) {
    QRect icon = m_backend->Geometry();
    if (icon.isValid()) return icon;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  QRect work = screen ? screen->availableGeometry() : QRect();
  if (!work.isValid()) return {};
  return QRect(work.right() - 149, work.bottom() - 29, 150, 30);
}

void CSystemTray::AnimateTrip(HWND window, bool toTray) {
  QRect frame = window->frameGeometry();
  QRect caption(frame.topLeft(), QSize(frame.width(), kTripCaption));
  QRect tray = GetTrayWndRect();
  if (!tray.isValid()) return;
  auto* ghost = new QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
  ghost->setAttribute(Qt::WA_ShowWithoutActivating);
  ghost->setAttribute(Qt::WA_TransparentForMouseEvents);
  ghost->setAutoFillBackground(true);
  QPalette palette = ghost->palette();
  palette.setColor(QPalette::Window, window->palette().color(QPalette::Highlight));
  ghost->setPalette(palette);
  auto* animation = new QPropertyAnimation(ghost, "geometry", ghost);
  animation->setDuration(kTripMs);
  animation->setStartValue(toTray ? caption : tray);
  animation->setEndValue(toTray ? tray : caption);
  QObject::connect(animation, &QPropertyAnimation::finished, ghost, &QObject::deleteLater);
  ghost->setGeometry(toTray ? caption : tray);
  ghost->show();
  animation->start();
}

bool CSystemTray::AnimateToTray(HWND window, bool forceAnimation) {
  // Without an icon nothing could bring the window back, so it stays where it is.
  if (!m_enabled || !m_created || !DuiLib::IsWindow(window)) return false;
  m_lastAnimated = forceAnimation || QApplication::isEffectEnabled(Qt::UI_General);
  if (m_lastAnimated && window->isVisible()) AnimateTrip(window, true);
  if (m_trayedWindow != window) m_trayedWasTool = window->windowFlags().testFlag(Qt::Tool);
  m_trayedWindow = window;
  // A tool window has no taskbar button; changing the flag also hides the window.
  window->setWindowFlag(Qt::Tool, true);
  window->hide();
  return true;
}

bool CSystemTray::RestoreFromTray(HWND window, bool forceAnimation) {
  if (!m_enabled || !m_created || !DuiLib::IsWindow(window)) return false;
  m_lastAnimated = forceAnimation || QApplication::isEffectEnabled(Qt::UI_General);
  if (m_lastAnimated) AnimateTrip(window, false);
  bool wasTool = m_trayedWindow == window && m_trayedWasTool;
  m_trayedWindow = nullptr;
  window->setWindowFlag(Qt::Tool, wasTool);
  if (window->isMinimized())
    window->showNormal();
  else
    window->show();
  window->update();
  window->raise();
  window->activateWindow();
  return true;
}

}  // namespace zv
