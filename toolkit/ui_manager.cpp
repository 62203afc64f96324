#include "toolkit/ui_manager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <chrono>
#include <set>

#include "toolkit/ui_render.h"
#include "toolkit/ui_window_host.h"

namespace DuiLib {

namespace {

std::wstring& InstancePathStore() {
  static std::wstring path;
  return path;
}

QString& ResourcePathStore() {
  static QString path;
  return path;
}

DWORD Tick() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::set<CControlUI*> Subtree(CControlUI* control) {
  std::set<CControlUI*> out;
  control->ForEach([&](CControlUI* c) { out.insert(c); });
  return out;
}

}  // namespace

struct CPaintManagerUI::Timer {
  CControlUI* control = nullptr;
  UINT id = 0;
  QTimer* timer = nullptr;
};

CPaintManagerUI::CPaintManagerUI() : m_alive(std::make_shared<bool>(true)) {
  m_defaultFont = QFont(QStringLiteral("WenQuanYi Micro Hei"));
  m_defaultFont.setPixelSize(13);
}

CPaintManagerUI::~CPaintManagerUI() {
  m_alive.reset();
  for (auto& t : m_timers) delete t->timer;
  m_timers.clear();
  CControlUI* root = m_root;
  m_root = nullptr;
  delete root;
  CleanupDelayed();
  if (CWindowHost::IsLive(m_hWnd) && m_hWnd->PaintManager() == this) m_hWnd->SetPaintManager(nullptr);
}

// ---------------------------------------------------------------- paths

void CPaintManagerUI::SetInstance(void*) { (void)GetInstancePath(); }

std::wstring CPaintManagerUI::GetInstancePath() {
  std::wstring& path = InstancePathStore();
  if (path.empty()) {
    QString dir;
    QByteArray env = qgetenv("ZELVANE_INSTANCE_PATH");
    if (!env.isEmpty()) dir = QString::fromLocal8Bit(env);
    else dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    path = dir.toStdWString();
  }
  return path;
}

void CPaintManagerUI::SetInstancePath(const std::wstring& path) {
  std::wstring p = path;
  if (!p.empty() && p.back() != L'/') p += L'/';
  InstancePathStore() = p;
}

void CPaintManagerUI::SetResourcePath(const std::wstring& path) {
  QString p = QString::fromStdWString(path);
  p.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (!p.isEmpty() && !p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
  ResourcePathStore() = p;
}

QString CPaintManagerUI::GetResourcePath() {
  if (ResourcePathStore().isEmpty()) return QString::fromStdWString(GetInstancePath());
  return ResourcePathStore();
}

QString CPaintManagerUI::GetResourceFolder() const {
  return m_resourceFolder.isEmpty() ? GetResourcePath() : m_resourceFolder;
}

// ---------------------------------------------------------------- tree

void CPaintManagerUI::Init(HWND hWnd) {
  m_hWnd = hWnd;
  if (hWnd) hWnd->SetPaintManager(this);
}

QWidget* CPaintManagerUI::GetNativeParent() const { return CWindowHost::IsLive(m_hWnd) ? m_hWnd : nullptr; }

bool CPaintManagerUI::AttachDialog(CControlUI* root) {
  if (!root) return false;
  if (m_root && m_root != root) {
    ReapObjects(m_root);
    AddDelayedCleanup(m_root);
  }
  m_root = root;
  m_firstLayout = true;
  root->SetManager(this, nullptr, true);
  NeedUpdate();
  return true;
}

void CPaintManagerUI::DetachRoot() {
  if (!m_root) return;
  ReapObjects(m_root);
  CControlUI* root = m_root;
  m_root = nullptr;
  delete root;
}

CControlUI* CPaintManagerUI::FindControl(const std::wstring& name) const {
  if (!m_root || name.empty()) return nullptr;
  return m_root->FindByName(name);
}

CControlUI* CPaintManagerUI::FindControl(POINT pt) const { return m_root ? m_root->FindControlAt(pt) : nullptr; }

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const std::wstring& name) const {
  if (!parent || name.empty()) return nullptr;
  return parent->FindByName(name);
}

SIZE CPaintManagerUI::GetClientSize() const {
  if (!CWindowHost::IsLive(m_hWnd)) return m_initSize;
  return SIZE{m_hWnd->width(), m_hWnd->height()};
}

void CPaintManagerUI::NeedUpdate() {
  if (m_layoutScheduled || !CWindowHost::IsLive(m_hWnd)) return;
  m_layoutScheduled = true;
  std::weak_ptr<bool> guard = m_alive;
  QMetaObject::invokeMethod(
      m_hWnd,
      [this, guard] {
        if (guard.expired()) return;
        UpdateLayout();
        if (m_firstLayout && m_root) {
          m_firstLayout = false;
          SendNotify(m_root, L"windowinit");
        }
      },
      Qt::QueuedConnection);
}

void CPaintManagerUI::UpdateLayout() {
  m_layoutScheduled = false;
  if (!m_root || !CWindowHost::IsLive(m_hWnd)) return;
  SIZE sz = GetClientSize();
  m_root->SetPos(RECT{0, 0, sz.cx, sz.cy}, false);
  m_root->SyncNative();
  Invalidate();
}

void CPaintManagerUI::Invalidate() {
  if (CWindowHost::IsLive(m_hWnd)) m_hWnd->update();
}

void CPaintManagerUI::Invalidate(const RECT& rc) {
  if (CWindowHost::IsLive(m_hWnd) && !rc.IsEmpty()) m_hWnd->update(ToQRect(rc));
}

// ---------------------------------------------------------------- looks

void CPaintManagerUI::AddFont(int id, const std::wstring& face, int pixelSize, bool bold, bool underline, bool italic,
                              bool isDefault) {
  QFont f(QString::fromStdWString(face.empty() ? L"WenQuanYi Micro Hei" : face));
  f.setPixelSize(pixelSize > 0 ? pixelSize : 13);
  f.setBold(bold);
  f.setUnderline(underline);
  f.setItalic(italic);
  m_fonts[id] = f;
  if (isDefault) m_defaultFont = f;
}

QFont CPaintManagerUI::GetFont(int index) const {
  auto it = m_fonts.find(index);
  return it == m_fonts.end() ? m_defaultFont : it->second;
}

void CPaintManagerUI::AddDefaultAttributeList(const std::wstring& controlClass, const std::wstring& list) {
  m_defaultAttributes[controlClass] = list;
}

std::wstring CPaintManagerUI::GetDefaultAttributeList(const std::wstring& controlClass) const {
  auto it = m_defaultAttributes.find(controlClass);
  return it == m_defaultAttributes.end() ? std::wstring() : it->second;
}

// ---------------------------------------------------------------- registrations

template <typename T>
static bool AddUnique(std::vector<T*>& v, T* p) {
  if (!p || std::find(v.begin(), v.end(), p) != v.end()) return false;
  v.push_back(p);
  return true;
}

template <typename T>
static bool RemoveOne(std::vector<T*>& v, T* p) {
  auto it = std::find(v.begin(), v.end(), p);
  if (it == v.end()) return false;
  v.erase(it);
  return true;
}

bool CPaintManagerUI::AddNotifier(INotifyUI* n) { return AddUnique(m_notifiers, n); }
bool CPaintManagerUI::RemoveNotifier(INotifyUI* n) { return RemoveOne(m_notifiers, n); }
bool CPaintManagerUI::AddPreMessageFilter(IMessageFilterUI* f) { return AddUnique(m_preFilters, f); }
bool CPaintManagerUI::RemovePreMessageFilter(IMessageFilterUI* f) { return RemoveOne(m_preFilters, f); }
bool CPaintManagerUI::AddMessageFilter(IMessageFilterUI* f) { return AddUnique(m_filters, f); }
bool CPaintManagerUI::RemoveMessageFilter(IMessageFilterUI* f) { return RemoveOne(m_filters, f); }
bool CPaintManagerUI::AddPostPaint(CControlUI* c) { return AddUnique(m_postPaint, c); }
bool CPaintManagerUI::RemovePostPaint(CControlUI* c) { return RemoveOne(m_postPaint, c); }

// ---------------------------------------------------------------- notifications

void CPaintManagerUI::SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam, LPARAM lParam,
                                 bool async) {
  TNotifyUI msg;
  msg.sType = type;
  msg.pSender = control;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendNotify(msg, async);
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg, bool async) {
  if (msg.ptMouse.x == 0 && msg.ptMouse.y == 0) msg.ptMouse = m_lastMouse;
  msg.dwTimestamp = Tick();
  if (async && CWindowHost::IsLive(m_hWnd)) {
    std::weak_ptr<bool> guard = m_alive;
    TNotifyUI copy = msg;
    QMetaObject::invokeMethod(
        m_hWnd,
        [this, guard, copy]() mutable {
          if (guard.expired()) return;
          // The sender may have left the tree meanwhile; such a notification is dropped.
          bool present = false;
          if (m_root) m_root->ForEach([&](CControlUI* c) { present = present || c == copy.pSender; });
          if (present) SendNotify(copy, false);
        },
        Qt::QueuedConnection);
    return;
  }
  std::weak_ptr<bool> guard = m_alive;
  std::vector<INotifyUI*> snapshot = m_notifiers;
  for (INotifyUI* n : snapshot) {
    if (guard.expired()) return;
    if (std::find(m_notifiers.begin(), m_notifiers.end(), n) == m_notifiers.end()) continue;
    n->Notify(msg);
  }
}

// ---------------------------------------------------------------- focus and hot

void CPaintManagerUI::SetFocus(CControlUI* control) {
  if (control == m_focus) return;
  std::weak_ptr<bool> guard = m_alive;
  CControlUI* old = m_focus;
  m_focus = control;
  if (old) {
    TEventUI e;
    e.Type = UIEVENT_KILLFOCUS;
    e.pSender = control;
    e.dwTimestamp = Tick();
    old->DoEvent(e);
    if (guard.expired()) return;
    if (m_focus == control) SendNotify(old, L"killfocus");
    if (guard.expired()) return;
  }
  if (control && m_focus == control) {
    TEventUI e;
    e.Type = UIEVENT_SETFOCUS;
    e.pSender = control;
    e.dwTimestamp = Tick();
    control->DoEvent(e);
    if (guard.expired()) return;
    if (m_focus == control) SendNotify(control, L"setfocus");
  }
}

void CPaintManagerUI::SetHot(CControlUI* control, POINT pt) {
  if (control == m_hot) return;
  std::weak_ptr<bool> guard = m_alive;
  CControlUI* old = m_hot;
  m_hot = control;
  TEventUI e;
  e.ptMouse = pt;
  e.dwTimestamp = Tick();
  if (old) {
    e.Type = UIEVENT_MOUSELEAVE;
    e.pSender = old;
    old->DoEvent(e);
    if (guard.expired()) return;
  }
  if (control && m_hot == control) {
    e.Type = UIEVENT_MOUSEENTER;
    e.pSender = control;
    control->DoEvent(e);
    if (guard.expired()) return;
  }
  if (CWindowHost::IsLive(m_hWnd)) m_hWnd->setToolTip(m_hot ? QString::fromStdWString(m_hot->GetToolTip()) : QString());
}

void CPaintManagerUI::MoveFocus(bool forward) {
  if (!m_root) return;
  std::vector<CControlUI*> order;
  m_root->ForEach([&](CControlUI* c) {
    if (c->IsFocusable() && c->IsEnabled() && c->IsKeyboardEnabled() && c->IsEffectivelyVisible()) order.push_back(c);
  });
  if (order.empty()) return;
  auto it = std::find(order.begin(), order.end(), m_focus);
  size_t next = 0;
  if (it != order.end()) {
    size_t i = static_cast<size_t>(it - order.begin());
    next = forward ? (i + 1) % order.size() : (i + order.size() - 1) % order.size();
  } else if (!forward) {
    next = order.size() - 1;
  }
  SetFocus(order[next]);
}

bool CPaintManagerUI::IsCaptionPoint(POINT pt) const {
  SIZE sz = GetClientSize();
  return pt.x >= m_caption.left && pt.x < sz.cx - m_caption.right && pt.y >= m_caption.top && pt.y < m_caption.bottom;
}

// ---------------------------------------------------------------- timers

bool CPaintManagerUI::SetTimer(CControlUI* control, UINT id, UINT elapse) {
  if (!control) return false;
  KillTimer(control, id);
  auto t = std::make_unique<Timer>();
  t->control = control;
  t->id = id;
  t->timer = new QTimer(GetNativeParent());
  t->timer->setInterval(static_cast<int>(std::max<UINT>(elapse, 1)));
  std::weak_ptr<bool> guard = m_alive;
  QObject::connect(t->timer, &QTimer::timeout, t->timer, [this, guard, control, id] {
    if (guard.expired()) return;
    TEventUI e;
    e.Type = UIEVENT_TIMER;
    e.pSender = control;
    e.wParam = id;
    e.dwTimestamp = Tick();
    control->DoEvent(e);
  });
  t->timer->start();
  m_timers.push_back(std::move(t));
  return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, UINT id) {
  for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
    if ((*it)->control == control && (*it)->id == id) {
      (*it)->timer->stop();
      (*it)->timer->deleteLater();
      m_timers.erase(it);
      return true;
    }
  }
  return false;
}

void CPaintManagerUI::KillTimers(CControlUI* control) {
  for (auto it = m_timers.begin(); it != m_timers.end();) {
    if ((*it)->control == control) {
      (*it)->timer->stop();
      (*it)->timer->deleteLater();
      it = m_timers.erase(it);
    } else {
      ++it;
    }
  }
}

// ---------------------------------------------------------------- lifetime

void CPaintManagerUI::ForgetInput(CControlUI* control) {
  if (!control) return;
  std::set<CControlUI*> sub = Subtree(control);
  if (sub.count(m_hot)) m_hot = nullptr;
  if (sub.count(m_capture)) m_capture = nullptr;
  if (sub.count(m_pushed)) m_pushed = nullptr;
  if (sub.count(m_focus)) m_focus = nullptr;
}

void CPaintManagerUI::ReapObjects(CControlUI* control) {
  if (!control) return;
  std::set<CControlUI*> sub = Subtree(control);
  ForgetInput(control);
  for (CControlUI* c : sub) KillTimers(c);
  m_postPaint.erase(std::remove_if(m_postPaint.begin(), m_postPaint.end(), [&](CControlUI* c) { return sub.count(c) > 0; }),
                    m_postPaint.end());
}

void CPaintManagerUI::AddDelayedCleanup(CControlUI* control) {
  if (!control) return;
  control->SetManager(this, nullptr, false);
  m_delayed.push_back(control);
  ScheduleCleanup();
}

void CPaintManagerUI::ScheduleCleanup() {
  if (m_cleanupScheduled || !CWindowHost::IsLive(m_hWnd)) return;
  m_cleanupScheduled = true;
  std::weak_ptr<bool> guard = m_alive;
  QMetaObject::invokeMethod(
      m_hWnd,
      [this, guard] {
        if (!guard.expired()) CleanupDelayed();
      },
      Qt::QueuedConnection);
}

void CPaintManagerUI::CleanupDelayed() {
  m_cleanupScheduled = false;
  std::vector<CControlUI*> items;
  items.swap(m_delayed);
  for (CControlUI* c : items) delete c;
}

// ---------------------------------------------------------------- messages

bool CPaintManagerUI::PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  std::weak_ptr<bool> guard = m_alive;
  std::vector<IMessageFilterUI*> snapshot = m_preFilters;
  for (IMessageFilterUI* f : snapshot) {
    if (guard.expired()) return true;
    if (std::find(m_preFilters.begin(), m_preFilters.end(), f) == m_preFilters.end()) continue;
    bool handled = false;
    LRESULT r = f->MessageHandler(uMsg, wParam, lParam, handled);
    if (handled) {
      lRes = r;
      return true;
    }
  }
  return false;
}

bool CPaintManagerUI::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  std::weak_ptr<bool> guard = m_alive;
  std::vector<IMessageFilterUI*> snapshot = m_filters;
  for (IMessageFilterUI* f : snapshot) {
    if (guard.expired()) return true;
    bool handled = false;
    LRESULT r = f->MessageHandler(uMsg, wParam, lParam, handled);
    if (handled) {
      lRes = r;
      return true;
    }
  }
  if (guard.expired()) return true;
  switch (uMsg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_MOUSELEAVE:
      if (m_layoutScheduled) UpdateLayout();
      HandleMouse(uMsg, wParam, lParam);
      return false;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
      HandleKey(uMsg, wParam);
      return false;
    case WM_SIZE:
      NeedUpdate();
      return false;
    default:
      return false;
  }
}

void CPaintManagerUI::HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  std::weak_ptr<bool> guard = m_alive;
  POINT pt{GetXParam(lParam), GetYParam(lParam)};
  if (uMsg == WM_MOUSELEAVE) {
    SetHot(nullptr, m_lastMouse);
    return;
  }
  m_lastMouse = pt;
  TEventUI e;
  e.ptMouse = pt;
  e.wParam = wParam;
  e.lParam = lParam;
  e.wKeyState = static_cast<UINT>(wParam & 0xFFFF);
  e.dwTimestamp = Tick();
  CControlUI* target = nullptr;
  switch (uMsg) {
    case WM_MOUSEMOVE: {
      CControlUI* under = FindControl(pt);
      if (!m_pushed && !m_capture) SetHot(under && under->IsEnabled() ? under : nullptr, pt);
      if (guard.expired()) return;
      target = m_capture ? m_capture : m_pushed ? m_pushed : m_hot;
      if (under) {
        TEventUI cursor = e;
        cursor.Type = UIEVENT_SETCURSOR;
        cursor.pSender = under;
        under->DoEvent(cursor);
        if (guard.expired()) return;
      } else if (CWindowHost::IsLive(m_hWnd)) {
        m_hWnd->unsetCursor();
      }
      e.Type = UIEVENT_MOUSEMOVE;
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      target = FindControl(pt);
      if (!target) return;
      if (target->IsEnabled()) {
        if (target != m_focus) SetFocus(target->IsFocusable() ? target : nullptr);
        if (guard.expired()) return;
        // The focus change may have hidden or removed the target.
        if (FindControl(pt) != target) return;
      }
      m_pushed = target;
      e.Type = uMsg == WM_LBUTTONDOWN ? UIEVENT_BUTTONDOWN : UIEVENT_DBLCLICK;
      break;
    }
    case WM_LBUTTONUP:
      target = m_capture ? m_capture : m_pushed;
      m_pushed = nullptr;
      if (!target) return;
      e.Type = UIEVENT_BUTTONUP;
      break;
    case WM_RBUTTONDOWN:
      target = FindControl(pt);
      e.Type = UIEVENT_RBUTTONDOWN;
      break;
    case WM_RBUTTONUP:
      target = FindControl(pt);
      e.Type = UIEVENT_RBUTTONUP;
      break;
    case WM_MOUSEWHEEL:
      target = FindControl(pt);
      e.Type = UIEVENT_SCROLLWHEEL;
      break;
    default:
      return;
  }
  if (!target) return;
  e.pSender = target;
  target->DoEvent(e);
}

void CPaintManagerUI::HandleKey(UINT uMsg, WPARAM wParam) {
  if (uMsg == WM_KEYDOWN && wParam == VK_TAB) {
    MoveFocus(true);
    return;
  }
  if (!m_focus) return;
  TEventUI e;
  e.Type = uMsg == WM_KEYDOWN ? UIEVENT_KEYDOWN : uMsg == WM_KEYUP ? UIEVENT_KEYUP : UIEVENT_CHAR;
  e.pSender = m_focus;
  e.chKey = static_cast<wchar_t>(wParam);
  e.wParam = wParam;
  e.dwTimestamp = Tick();
  e.ptMouse = m_lastMouse;
  m_focus->DoEvent(e);
}

// ---------------------------------------------------------------- paint

void CPaintManagerUI::Paint(QPainter& painter, const RECT& rcPaint) {
  if (!m_root) return;
  if (m_layoutScheduled) UpdateLayout();
  m_root->DoPaint(painter, rcPaint);
  std::vector<CControlUI*> post = m_postPaint;
  for (CControlUI* c : post) c->DoPostPaint(painter, rcPaint);
}

}  // namespace DuiLib
