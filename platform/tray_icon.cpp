#include "platform/tray_icon.h"

#include <QSystemTrayIcon>
#include <mutex>

namespace zv {

namespace {
std::mutex g_mutex;
TrayBalloon g_last;
}  // namespace

CTrayIcon::CTrayIcon() = default;
CTrayIcon::~CTrayIcon() { Remove(); }

bool CTrayIcon::IsAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool CTrayIcon::Create(const QIcon& icon, const std::wstring& tip, std::function<void(Click)> onClick) {
  if (!IsAvailable()) return false;
  m_onClick = std::move(onClick);
  m_icon = std::make_unique<QSystemTrayIcon>(icon);
  m_icon->setToolTip(QString::fromStdWString(tip.substr(0, 127)));
  QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, m_icon.get(), [this](QSystemTrayIcon::ActivationReason r) {
    if (!m_onClick) return;
    if (r == QSystemTrayIcon::Trigger) m_onClick(Click::Left);
    else if (r == QSystemTrayIcon::DoubleClick) m_onClick(Click::Double);
    else if (r == QSystemTrayIcon::Context) m_onClick(Click::Right);
  });
  m_icon->show();
  return m_icon->isVisible();
}

bool CTrayIcon::IsShown() const { return m_icon && m_icon->isVisible(); }

bool CTrayIcon::SetTip(const std::wstring& tip) {
  if (!m_icon) return false;
  m_icon->setToolTip(QString::fromStdWString(tip.substr(0, 127)));
  return true;
}

bool CTrayIcon::ShowBalloon(const std::wstring& text, const std::wstring& title, int kind, int timeoutMs) {
  TrayBalloon b{title.substr(0, 63), text.substr(0, 255), kind, timeoutMs, false};
  if (m_icon && QSystemTrayIcon::supportsMessages()) {
    QSystemTrayIcon::MessageIcon icon = kind == 1   ? QSystemTrayIcon::Information
                                        : kind == 2 ? QSystemTrayIcon::Warning
                                        : kind == 3 ? QSystemTrayIcon::Critical
                                                    : QSystemTrayIcon::NoIcon;
    m_icon->showMessage(QString::fromStdWString(b.title), QString::fromStdWString(b.text), icon, timeoutMs);
    b.shown = true;
  }
  std::lock_guard<std::mutex> lock(g_mutex);
  g_last = b;
  return b.shown;
}

void CTrayIcon::Remove() {
  if (m_icon) m_icon->hide();
  m_icon.reset();
}

TrayBalloon CTrayIcon::LastBalloon() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_last;
}

}  // namespace zv
