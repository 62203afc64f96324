// The paint manager: owns a window's control tree, lays it out and paints it, turns the
// window's input messages into control events and reports notifications.
#pragma once

#include <QFont>
#include <QString>
#include <map>
#include <memory>
#include <vector>

#include "toolkit/ui_control.h"

class QWidget;

namespace DuiLib {

struct TNotifyUI {
  std::wstring sType;
  std::wstring sVirtualWnd;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse{};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class INotifyUI {
 public:
  virtual ~INotifyUI() = default;
  virtual void Notify(TNotifyUI& msg) = 0;
};

class IMessageFilterUI {
 public:
  virtual ~IMessageFilterUI() = default;
  virtual LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) = 0;
};

class CPaintManagerUI {
 public:
  CPaintManagerUI();
  ~CPaintManagerUI();
  CPaintManagerUI(const CPaintManagerUI&) = delete;
  CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

  // The module's folder; on this platform the executable's folder unless set explicitly
  // (tests and the demo point it elsewhere, as does ZELVANE_INSTANCE_PATH).
  static void SetInstance(void* module);
  static std::wstring GetInstancePath();
  static void SetInstancePath(const std::wstring& path);
  static void SetResourcePath(const std::wstring& path);
  static QString GetResourcePath();
  // Folder this manager's images are read from (the static resource path unless set).
  QString GetResourceFolder() const;
  void SetResourceFolder(const QString& folder) { m_resourceFolder = folder; }

  void Init(HWND hWnd);
  HWND GetPaintWindow() const { return m_hWnd; }
  QWidget* GetNativeParent() const;
  bool AttachDialog(CControlUI* root);
  CControlUI* GetRoot() const { return m_root; }
  // Releases the tree (windows call it when they are destroyed).
  void DetachRoot();

  CControlUI* FindControl(const std::wstring& name) const;
  CControlUI* FindControl(POINT pt) const;
  CControlUI* FindSubControlByName(CControlUI* parent, const std::wstring& name) const;

  void NeedUpdate();
  void Invalidate();
  void Invalidate(const RECT& rc);
  // Lays out the tree now when something asked for it.
  void UpdateLayout();

  void SetCaptionRect(const RECT& rc) { m_caption = rc; }
  const RECT& GetCaptionRect() const { return m_caption; }
  void SetInitSize(int cx, int cy) { m_initSize = SIZE{cx, cy}; }
  SIZE GetInitSize() const { return m_initSize; }
  SIZE GetClientSize() const;

  void AddFont(int id, const std::wstring& face, int pixelSize, bool bold, bool underline, bool italic,
               bool isDefault);
  QFont GetFont(int index) const;
  QFont GetDefaultFont() const { return m_defaultFont; }
  void AddDefaultAttributeList(const std::wstring& controlClass, const std::wstring& list);
  std::wstring GetDefaultAttributeList(const std::wstring& controlClass) const;
  uint32_t GetDefaultTextColor() const { return m_defaultTextColor; }
  uint32_t GetDefaultDisabledColor() const { return m_defaultDisabledColor; }

  bool AddNotifier(INotifyUI* notifier);
  bool RemoveNotifier(INotifyUI* notifier);
  bool AddPreMessageFilter(IMessageFilterUI* filter);
  bool RemovePreMessageFilter(IMessageFilterUI* filter);
  bool AddMessageFilter(IMessageFilterUI* filter);
  bool RemoveMessageFilter(IMessageFilterUI* filter);
  bool AddPostPaint(CControlUI* control);
  bool RemovePostPaint(CControlUI* control);

  void SendNotify(CControlUI* control, const std::wstring& type, WPARAM wParam = 0, LPARAM lParam = 0,
                  bool async = false);
  void SendNotify(TNotifyUI& msg, bool async = false);

  CControlUI* GetFocus() const { return m_focus; }
  void SetFocus(CControlUI* control);
  CControlUI* GetHot() const { return m_hot; }
  CControlUI* GetCapture() const { return m_capture; }
  void SetCapture(CControlUI* control) { m_capture = control; }
  void ReleaseCapture() { m_capture = nullptr; }
  POINT GetMousePos() const { return m_lastMouse; }
  bool IsCaptionPoint(POINT pt) const;

  // Control timers arrive as UIEVENT_TIMER at the control.
  bool SetTimer(CControlUI* control, UINT id, UINT elapse);
  bool KillTimer(CControlUI* control, UINT id);
  void KillTimers(CControlUI* control);

  // Forgets every reference to the control and its subtree (hot, focus, capture, timers,
  // post-paint); called before a control is destroyed.
  void ReapObjects(CControlUI* control);
  // Drops hot, pushed, capture and focus when they lie in the subtree (it was hidden).
  void ForgetInput(CControlUI* control);
  // Controls removed from the tree are destroyed later, never inside the event that
  // removed them.
  void AddDelayedCleanup(CControlUI* control);
  void CleanupDelayed();

  // Pre-filters run for input and posted messages before the window sees them.
  bool PreMessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);
  bool MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes);

  void Paint(QPainter& painter, const RECT& rcPaint);

 private:
  struct Timer;
  void HandleMouse(UINT uMsg, WPARAM wParam, LPARAM lParam);
  void HandleKey(UINT uMsg, WPARAM wParam);
  void SetHot(CControlUI* control, POINT pt);
  void MoveFocus(bool forward);
  void ScheduleCleanup();

  HWND m_hWnd = nullptr;
  CControlUI* m_root = nullptr;
  CControlUI* m_hot = nullptr;
  CControlUI* m_focus = nullptr;
  CControlUI* m_capture = nullptr;
  CControlUI* m_pushed = nullptr;
  POINT m_lastMouse{};
  RECT m_caption{};
  SIZE m_initSize{};
  QString m_resourceFolder;
  QFont m_defaultFont;
  std::map<int, QFont> m_fonts;
  std::map<std::wstring, std::wstring> m_defaultAttributes;
  uint32_t m_defaultTextColor = 0xFF1F2933;
  uint32_t m_defaultDisabledColor = 0xFFB8C4D6;
  std::vector<INotifyUI*> m_notifiers;
  std::vector<IMessageFilterUI*> m_preFilters;
  std::vector<IMessageFilterUI*> m_filters;
  std::vector<CControlUI*> m_postPaint;
  std::vector<CControlUI*> m_delayed;
  std::vector<std::unique_ptr<Timer>> m_timers;
  bool m_cleanupScheduled = false;
  bool m_layoutScheduled = false;
  bool m_firstLayout = true;
  std::shared_ptr<bool> m_alive;
};

}  // namespace DuiLib
