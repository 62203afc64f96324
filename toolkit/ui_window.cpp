#include "toolkit/ui_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QThread>
#include <QWheelEvent>
#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "toolkit/automation_server.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"
#include "toolkit/ui_window_host.h"

namespace DuiLib {

namespace {

// Live hosts, guarded so that workers can check a handle and post to it safely.
std::mutex g_hostsMutex;
std::vector<CWindowHost*> g_hosts;

bool OnThreadOf(const QObject* object) { return QThread::currentThread() == object->thread(); }

WPARAM KeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
  WPARAM w = 0;
  if (buttons & Qt::LeftButton) w |= 0x0001;
  if (buttons & Qt::RightButton) w |= 0x0002;
  if (mods & Qt::ShiftModifier) w |= 0x0004;
  if (mods & Qt::ControlModifier) w |= 0x0008;
  return w;
}

WPARAM VirtualKey(int key) {
  switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return VK_RETURN;
    case Qt::Key_Escape:
      return VK_ESCAPE;
    case Qt::Key_Space:
      return VK_SPACE;
    default:
      if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<WPARAM>('A' + (key - Qt::Key_A));
      if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<WPARAM>('0' + (key - Qt::Key_0));
      return static_cast<WPARAM>(key & 0xFFFF);
  }
}

}  // namespace

struct CMessageEvent::Waiter {
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
  LRESULT result = 0;
};

QEvent::Type CMessageEvent::EventType() {
  static const QEvent::Type type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}

CMessageEvent::CMessageEvent(UINT msg, WPARAM wParam, LPARAM lParam, std::shared_ptr<Waiter> waiter)
    : QEvent(EventType()), m_msg(msg), m_wParam(wParam), m_lParam(lParam), m_waiter(std::move(waiter)) {}

CMessageEvent::~CMessageEvent() {
  if (!m_waiter) return;
  std::lock_guard<std::mutex> lock(m_waiter->mutex);
  m_waiter->result = m_result;
  m_waiter->done = true;
  m_waiter->cv.notify_all();
}

void CMessageEvent::Deliver(CWindowWnd* window) {
  if (window) m_result = window->DispatchFromHost(m_msg, m_wParam, m_lParam, !m_waiter);
}

// ---------------------------------------------------------------- host widget

CWindowHost::CWindowHost(CWindowWnd* window, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags), m_window(window) {
  setMouseTracking(true);
  setProperty("zvHost", true);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  std::lock_guard<std::mutex> lock(g_hostsMutex);
  g_hosts.push_back(this);
}

CWindowHost::~CWindowHost() {
  {
    std::lock_guard<std::mutex> lock(g_hostsMutex);
    g_hosts.erase(std::remove(g_hosts.begin(), g_hosts.end(), this), g_hosts.end());
  }
  if (m_window) m_window->DestroyFromHost();
}

std::vector<CWindowHost*> CWindowHost::All() {
  std::lock_guard<std::mutex> lock(g_hostsMutex);
  return g_hosts;
}

void CWindowHost::MarkDestroyed() {
  std::lock_guard<std::mutex> lock(g_hostsMutex);
  g_hosts.erase(std::remove(g_hosts.begin(), g_hosts.end(), this), g_hosts.end());
}

bool CWindowHost::IsLive(CWindowHost* host) {
  if (!host) return false;
  std::lock_guard<std::mutex> lock(g_hostsMutex);
  return std::find(g_hosts.begin(), g_hosts.end(), host) != g_hosts.end();
}

LRESULT CWindowHost::Raw(UINT msg, WPARAM wParam, LPARAM lParam) {
  return m_window ? m_window->DispatchFromHost(msg, wParam, lParam, true) : 0;
}

bool CWindowHost::event(QEvent* e) {
  if (e->type() == CMessageEvent::EventType()) {
    static_cast<CMessageEvent*>(e)->Deliver(m_window);
    return true;
  }
  return QWidget::event(e);
}

void CWindowHost::SetLayeredPicture(const QImage& picture) {
  m_layered = picture;
  update();
}

void CWindowHost::paintEvent(QPaintEvent* e) {
  QPainter painter(this);
  if (!m_layered.isNull()) {
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, m_layered);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  if (m_manager) m_manager->Paint(painter, FromQRect(e->rect()));
}

void CWindowHost::mousePressEvent(QMouseEvent* e) {
  QPoint p = e->position().toPoint();
  if (e->button() == Qt::LeftButton && m_window) {
    QPoint g = e->globalPosition().toPoint();
    LRESULT hit = m_window->DispatchFromHost(WM_NCHITTEST, 0, MakeLParam(g.x(), g.y()), false);
    if (hit == HTCAPTION) {
      m_dragging = true;
      m_dragStart = g;
      m_dragOrigin = isWindow() ? pos() : pos();
      return;
    }
  }
  UINT msg = e->button() == Qt::RightButton ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
  if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
  Raw(msg, KeyState(e->buttons(), e->modifiers()), MakeLParam(p.x(), p.y()));
}

void CWindowHost::mouseReleaseEvent(QMouseEvent* e) {
  QPoint p = e->position().toPoint();
  if (m_dragging && e->button() == Qt::LeftButton) {
    m_dragging = false;
    return;
  }
  UINT msg = e->button() == Qt::RightButton ? WM_RBUTTONUP : WM_LBUTTONUP;
  if (e->button() != Qt::LeftButton && e->button() != Qt::RightButton) return;
  Raw(msg, KeyState(e->buttons(), e->modifiers()), MakeLParam(p.x(), p.y()));
}

void CWindowHost::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  QPoint p = e->position().toPoint();
  Raw(WM_LBUTTONDBLCLK, KeyState(e->buttons(), e->modifiers()), MakeLParam(p.x(), p.y()));
}

void CWindowHost::mouseMoveEvent(QMouseEvent* e) {
  if (m_dragging) {
    // Dragging the caption moves the top-level window (or the child over its parent).
    QPoint delta = e->globalPosition().toPoint() - m_dragStart;
    move(m_dragOrigin + delta);
    return;
  }
  QPoint p = e->position().toPoint();
  Raw(WM_MOUSEMOVE, KeyState(e->buttons(), e->modifiers()), MakeLParam(p.x(), p.y()));
}

void CWindowHost::wheelEvent(QWheelEvent* e) {
  QPoint p = e->position().toPoint();
  int delta = e->angleDelta().y();
  WPARAM w = (static_cast<WPARAM>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16) |
             KeyState(e->buttons(), e->modifiers());
  Raw(WM_MOUSEWHEEL, w, MakeLParam(p.x(), p.y()));
}

void CWindowHost::keyPressEvent(QKeyEvent* e) {
  Raw(WM_KEYDOWN, VirtualKey(e->key()), e->modifiers() & Qt::ShiftModifier ? 1 : 0);
  QString text = e->text();
  for (QChar c : text)
    if (c.isPrint()) Raw(WM_CHAR, c.unicode(), 0);
}

void CWindowHost::keyReleaseEvent(QKeyEvent* e) { Raw(WM_KEYUP, VirtualKey(e->key()), 0); }
void CWindowHost::focusInEvent(QFocusEvent*) { Raw(WM_SETFOCUS, 0, 0); }
void CWindowHost::focusOutEvent(QFocusEvent*) { Raw(WM_KILLFOCUS, 0, 0); }
void CWindowHost::leaveEvent(QEvent*) { Raw(WM_MOUSELEAVE, 0, 0); }

void CWindowHost::moveEvent(QMoveEvent* e) {
  QPoint g = mapToGlobal(QPoint(0, 0));
  (void)e;
  Raw(WM_MOVE, 0, MakeLParam(g.x(), g.y()));
}

void CWindowHost::resizeEvent(QResizeEvent* e) {
  if (m_manager) m_manager->NeedUpdate();
  Raw(WM_SIZE, 0, MakeLParam(e->size().width(), e->size().height()));
}

void CWindowHost::closeEvent(QCloseEvent* e) {
  // The window decides: WM_CLOSE's default destroys it, a handler may refuse.
  e->ignore();
  if (m_window) m_window->PostMessage(WM_CLOSE, IDCANCEL, 0);
}

void CWindowHost::timerEvent(QTimerEvent* e) {
  if (m_window) m_window->TimerFromHost(e->timerId());
}

// ---------------------------------------------------------------- window

CWindowWnd::CWindowWnd() = default;

CWindowWnd::~CWindowWnd() {
  if (m_hWnd) {
    CWindowHost* host = m_hWnd;
    host->DetachWindow();
    m_hWnd = nullptr;
    delete host;
  }
}

HWND CWindowWnd::Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle,
                        const RECT& rc) {
  return Create(hwndParent, pstrName, dwStyle, dwExStyle, rc.left, rc.top, rc.Width(), rc.Height());
}

HWND CWindowWnd::Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, int x, int y,
                        int cx, int cy, void*) {
  if (m_hWnd) return m_hWnd;
  CAutomationServer::StartFromEnvironment();
  m_name = pstrName ? pstrName : L"";
  m_style = dwStyle;
  m_exStyle = dwExStyle;
  const bool child = (dwStyle & WS_CHILD) && hwndParent;
  Qt::WindowFlags flags = child ? Qt::Widget : Qt::Window;
  if (!child) {
    if ((dwStyle & WS_POPUP) || (dwStyle & WS_CAPTION) != WS_CAPTION || (dwExStyle & WS_EX_LAYERED))
      flags |= Qt::FramelessWindowHint;
    if (dwExStyle & WS_EX_TOOLWINDOW) flags |= Qt::Tool;
    if (dwExStyle & WS_EX_TOPMOST) flags |= Qt::WindowStaysOnTopHint;
  }
  auto* host = new CWindowHost(this, hwndParent, flags);
  host->setObjectName(QString::fromStdWString(m_name));
  host->setWindowTitle(QString::fromStdWString(m_name));
  if (dwExStyle & WS_EX_LAYERED) host->setAttribute(Qt::WA_TranslucentBackground, true);
  if (dwStyle & WS_DISABLED) host->setEnabled(false);
  host->setGeometry(x, y, std::max(cx, 0), std::max(cy, 0));
  m_hWnd = host;
  m_destroying = false;
  HandleMessage(WM_CREATE, 0, 0);
  if (m_hWnd && (dwStyle & WS_VISIBLE)) {
    host->show();
    if (child) host->raise();
  }
  return m_hWnd;
}

UINT CWindowWnd::ShowModal() {
  if (!m_hWnd) return static_cast<UINT>(-1);
  ShowWindow(true, true);
  QEventLoop loop;
  QEventLoop* outer = m_modalLoop;
  m_modalLoop = &loop;
  int code = loop.exec();
  m_modalLoop = outer;
  return static_cast<UINT>(code);
}

void CWindowWnd::Close(UINT nRet) {
  if (!m_hWnd) return;
  PostMessage(WM_CLOSE, nRet, 0);
}

void CWindowWnd::ShowWindow(bool bShow, bool bTakeFocus) {
  if (!m_hWnd) return;
  if (!bShow) {
    m_hWnd->hide();
    return;
  }
  m_hWnd->show();
  if (!m_hWnd->isWindow()) m_hWnd->raise();
  if (bTakeFocus) {
    m_hWnd->activateWindow();
    m_hWnd->setFocus(Qt::OtherFocusReason);
  }
}

void CWindowWnd::CenterWindow() {
  if (!m_hWnd) return;
  QRect area;
  if (QWidget* parent = m_hWnd->parentWidget(); parent && !m_hWnd->isWindow()) {
    area = parent->rect();
  } else if (parent) {
    area = parent->window()->geometry();
  } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
    area = screen->availableGeometry();
  }
  QRect r = m_hWnd->geometry();
  r.moveCenter(area.center());
  m_hWnd->move(r.topLeft());
}

void CWindowWnd::SetIcon(UINT nRes) {
  if (!m_hWnd) return;
  // Icon resources are skin files named res<id>.png, in the skin folder or beside the program.
  QString name = QStringLiteral("res%1.png").arg(nRes);
  QString file = CPaintManagerUI::GetResourcePath() + name;
  if (!QFileInfo::exists(file)) file = QString::fromStdWString(CPaintManagerUI::GetInstancePath()) + name;
  QIcon icon(file);
  if (icon.isNull()) icon = QApplication::windowIcon();
  m_hWnd->setWindowIcon(icon);
}

LRESULT CWindowWnd::SendMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return DuiLib::SendMessage(m_hWnd, uMsg, wParam, lParam);
}

bool CWindowWnd::PostMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return DuiLib::PostMessage(m_hWnd, uMsg, wParam, lParam);
}

bool CWindowWnd::SetTimer(UINT id, UINT elapse) {
  if (!m_hWnd || !OnThreadOf(m_hWnd)) return false;
  KillTimer(id);
  int qtId = m_hWnd->startTimer(static_cast<int>(std::max<UINT>(elapse, 1)));
  if (qtId == 0) return false;
  m_timers[id] = qtId;
  return true;
}

bool CWindowWnd::KillTimer(UINT id) {
  auto it = m_timers.find(id);
  if (it == m_timers.end() || !m_hWnd) return false;
  m_hWnd->killTimer(it->second);
  m_timers.erase(it);
  return true;
}

void CWindowWnd::TimerFromHost(int qtTimerId) {
  for (const auto& [id, qt] : m_timers) {
    if (qt == qtTimerId) {
      const UINT timerId = id;
      DispatchFromHost(WM_TIMER, timerId, 0, true);
      return;
    }
  }
}

LRESULT CWindowWnd::DispatchFromHost(UINT uMsg, WPARAM wParam, LPARAM lParam, bool preFilter) {
  if (!m_hWnd) return 0;
  if (uMsg == WM_CLOSE) m_closeCode = static_cast<UINT>(wParam);
  LRESULT res = 0;
  if (preFilter && PreFilter(uMsg, wParam, lParam, res)) return res;
  return HandleMessage(uMsg, wParam, lParam);
}

LRESULT CWindowWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(uMsg, wParam, lParam);
}

LRESULT CWindowWnd::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM) {
  switch (uMsg) {
    case WM_CLOSE:
      DestroyWindow();
      return 0;
    case WM_NCHITTEST:
      return HTCLIENT;
    case WM_SYSCOMMAND:
      if (!m_hWnd) return 0;
      if ((wParam & 0xFFF0) == SC_MINIMIZE) m_hWnd->showMinimized();
      else if ((wParam & 0xFFF0) == SC_RESTORE) m_hWnd->showNormal();
      else if ((wParam & 0xFFF0) == SC_CLOSE) PostMessage(WM_CLOSE, IDCANCEL, 0);
      return 0;
    default:
      return 0;
  }
}

void CWindowWnd::DestroyWindow() {
  if (!m_hWnd || m_destroying) return;
  m_destroying = true;
  CWindowHost* host = m_hWnd;
  for (const auto& [id, qt] : m_timers) host->killTimer(qt);
  m_timers.clear();
  HandleMessage(WM_DESTROY, 0, 0);
  if (m_modalLoop) m_modalLoop->exit(static_cast<int>(m_closeCode));
  host->hide();
  host->DetachWindow();
  host->SetPaintManager(nullptr);
  host->MarkDestroyed();
  host->deleteLater();
  m_hWnd = nullptr;
  HandleMessage(WM_NCDESTROY, 0, 0);
  OnFinalMessage(host);  // may delete this
}

void CWindowWnd::DestroyFromHost() {
  // The widget goes first (its parent was destroyed): run the same end of life.
  if (!m_hWnd || m_destroying) return;
  m_destroying = true;
  CWindowHost* host = m_hWnd;
  m_timers.clear();
  HandleMessage(WM_DESTROY, 0, 0);
  if (m_modalLoop) m_modalLoop->exit(static_cast<int>(m_closeCode));
  host->SetPaintManager(nullptr);
  m_hWnd = nullptr;
  HandleMessage(WM_NCDESTROY, 0, 0);
  OnFinalMessage(host);
}

// ---------------------------------------------------------------- handle-based calls

bool IsWindow(HWND hWnd) { return CWindowHost::IsLive(hWnd); }

bool IsWindowVisible(HWND hWnd) { return IsWindow(hWnd) && hWnd->isVisible(); }

bool PostMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  std::lock_guard<std::mutex> lock(g_hostsMutex);
  if (std::find(g_hosts.begin(), g_hosts.end(), hWnd) == g_hosts.end()) return false;
  QCoreApplication::postEvent(hWnd, new CMessageEvent(uMsg, wParam, lParam, nullptr));
  return true;
}

LRESULT SendMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<CMessageEvent::Waiter> waiter;
  {
    std::lock_guard<std::mutex> lock(g_hostsMutex);
    if (std::find(g_hosts.begin(), g_hosts.end(), hWnd) == g_hosts.end()) return 0;
    if (!OnThreadOf(hWnd)) {
      waiter = std::make_shared<CMessageEvent::Waiter>();
      QCoreApplication::postEvent(hWnd, new CMessageEvent(uMsg, wParam, lParam, waiter));
    }
  }
  if (!waiter) {
    CWindowWnd* window = hWnd->Window();
    return window ? window->DispatchFromHost(uMsg, wParam, lParam, false) : 0;
  }
  std::unique_lock<std::mutex> lock(waiter->mutex);
  waiter->cv.wait(lock, [&] { return waiter->done; });
  return waiter->result;
}

bool SetTimer(HWND hWnd, UINT id, UINT elapse) {
  CWindowWnd* w = GetWindowObject(hWnd);
  return w && w->SetTimer(id, elapse);
}

bool KillTimer(HWND hWnd, UINT id) {
  CWindowWnd* w = GetWindowObject(hWnd);
  return w && w->KillTimer(id);
}

bool MoveWindow(HWND hWnd, int x, int y, int cx, int cy) {
  if (!IsWindow(hWnd)) return false;
  hWnd->setGeometry(x, y, cx, cy);
  return true;
}

bool GetWindowRect(HWND hWnd, RECT& rc) {
  if (!IsWindow(hWnd)) return false;
  QPoint g = hWnd->mapToGlobal(QPoint(0, 0));
  rc = RECT{g.x(), g.y(), g.x() + hWnd->width(), g.y() + hWnd->height()};
  return true;
}

bool GetClientRect(HWND hWnd, RECT& rc) {
  if (!IsWindow(hWnd)) return false;
  rc = RECT{0, 0, hWnd->width(), hWnd->height()};
  return true;
}

bool ShowWindow(HWND hWnd, int cmd) {
  if (!IsWindow(hWnd)) return false;
  switch (cmd) {
    case SW_HIDE:
      hWnd->hide();
      break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
      hWnd->showMinimized();
      break;
    case SW_SHOWMAXIMIZED:
      hWnd->showMaximized();
      break;
    case SW_RESTORE:
      hWnd->showNormal();
      break;
    default:
      hWnd->show();
      break;
  }
  return true;
}

bool SetFocus(HWND hWnd) {
  if (!IsWindow(hWnd)) return false;
  hWnd->activateWindow();
  hWnd->setFocus(Qt::OtherFocusReason);
  return true;
}

bool DestroyWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) return false;
  if (CWindowWnd* w = hWnd->Window()) {
    w->DestroyWindow();
    return true;
  }
  hWnd->deleteLater();
  return true;
}

HWND GetParent(HWND hWnd) {
  if (!IsWindow(hWnd)) return nullptr;
  auto* p = dynamic_cast<CWindowHost*>(hWnd->parentWidget());
  return p;
}

CWindowWnd* GetWindowObject(HWND hWnd) { return IsWindow(hWnd) ? hWnd->Window() : nullptr; }

bool UpdateLayeredWindow(HWND hWnd, const QImage& picture) {
  if (!IsWindow(hWnd)) return false;
  hWnd->SetLayeredPicture(picture);
  return true;
}

bool SetWindowRgn(HWND hWnd, const QRegion& region) {
  if (!IsWindow(hWnd)) return false;
  if (region.isEmpty()) hWnd->clearMask();
  else hWnd->setMask(region);
  return true;
}

bool SetHandCursor(HWND hWnd, bool hand) {
  if (!IsWindow(hWnd)) return false;
  if (hand) hWnd->setCursor(Qt::PointingHandCursor);
  else hWnd->unsetCursor();
  return true;
}

}  // namespace DuiLib
