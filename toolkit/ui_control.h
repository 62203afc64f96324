// The base of every control of the custom-painted tree: position and layout hints,
// attributes read from the skins, painting in layers and the events it receives.
#pragma once

#include <QFont>
#include <string>

#include "toolkit/ui_base.h"

class QPainter;

namespace DuiLib {

class CPaintManagerUI;
class CControlUI;

enum EventType {
  UIEVENT_MOUSEMOVE = 1,
  UIEVENT_MOUSELEAVE,
  UIEVENT_MOUSEENTER,
  UIEVENT_BUTTONDOWN,
  UIEVENT_BUTTONUP,
  UIEVENT_RBUTTONDOWN,
  UIEVENT_RBUTTONUP,
  UIEVENT_DBLCLICK,
  UIEVENT_SCROLLWHEEL,
  UIEVENT_KEYDOWN,
  UIEVENT_KEYUP,
  UIEVENT_CHAR,
  UIEVENT_SETFOCUS,
  UIEVENT_KILLFOCUS,
  UIEVENT_TIMER,
  UIEVENT_SETCURSOR,
};

struct TEventUI {
  int Type = 0;
  CControlUI* pSender = nullptr;
  DWORD dwTimestamp = 0;
  POINT ptMouse{};
  wchar_t chKey = 0;
  UINT wKeyState = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

class CControlUI {
 public:
  CControlUI();
  virtual ~CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  virtual std::wstring GetClass() const { return L"ControlUI"; }
  // Answers the control when it is of the named kind ("Button", "Container", ...).
  virtual CControlUI* GetInterface(const std::wstring& name);

  const std::wstring& GetName() const { return m_name; }
  void SetName(const std::wstring& name) { m_name = name; }
  virtual std::wstring GetText() const { return m_text; }
  virtual void SetText(const std::wstring& text);
  const std::wstring& GetToolTip() const { return m_tooltip; }
  void SetToolTip(const std::wstring& tip) { m_tooltip = tip; }
  uintptr_t GetTag() const { return m_tag; }
  void SetTag(uintptr_t tag) { m_tag = tag; }
  const std::wstring& GetUserData() const { return m_userData; }
  void SetUserData(const std::wstring& data) { m_userData = data; }

  CPaintManagerUI* GetManager() const { return m_manager; }
  CControlUI* GetParent() const { return m_parent; }
  // Joins the control (and its children) to a paint manager; init runs DoInit once.
  virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true);
  virtual void DoInit() {}
  void Init();

  // Position in window client coordinates, set by the parent's layout.
  const RECT& GetPos() const { return m_rcItem; }
  virtual void SetPos(RECT rc, bool needInvalidate = true);
  int GetWidth() const { return m_rcItem.Width(); }
  int GetHeight() const { return m_rcItem.Height(); }
  int GetX() const { return m_rcItem.left; }
  int GetY() const { return m_rcItem.top; }
  const RECT& GetPadding() const { return m_rcPadding; }
  void SetPadding(RECT rc);
  POINT GetFixedXY() const { return m_fixedXY; }
  void SetFixedXY(POINT pt);
  int GetFixedWidth() const { return m_fixedWidth; }
  void SetFixedWidth(int cx);
  int GetFixedHeight() const { return m_fixedHeight; }
  void SetFixedHeight(int cy);
  bool IsFloat() const { return m_float; }
  void SetFloat(bool f);

  virtual bool IsVisible() const { return m_visible && m_internVisible; }
  // Visible here and in every parent: what the user can actually see.
  bool IsEffectivelyVisible() const;
  virtual void SetVisible(bool visible = true);
  // Used by tab layouts for the children they do not show.
  virtual void SetInternVisible(bool visible = true);
  virtual bool IsEnabled() const { return m_enabled; }
  virtual void SetEnabled(bool enabled = true);
  bool IsMouseEnabled() const { return m_mouseEnabled; }
  void SetMouseEnabled(bool enabled = true) { m_mouseEnabled = enabled; }
  bool IsKeyboardEnabled() const { return m_keyboardEnabled; }
  void SetKeyboardEnabled(bool enabled = true) { m_keyboardEnabled = enabled; }
  virtual bool IsFocused() const { return m_focused; }
  virtual void SetFocus();
  // Whether Tab stops at the control.
  virtual bool IsFocusable() const { return false; }

  const std::wstring& GetBkImage() const { return m_bkImage; }
  void SetBkImage(const std::wstring& image);
  uint32_t GetBkColor() const { return m_bkColor; }
  void SetBkColor(uint32_t argb);
  void SetBorderColor(uint32_t argb);
  void SetBorderSize(int size);
  void SetBorderRound(int round);

  virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
  // Applies `a="1" b="2"` pairs, as the skins' Default elements write them.
  void ApplyAttributeList(const std::wstring& list);

  // Finds the deepest visible control under the point that takes the mouse.
  virtual CControlUI* FindControlAt(POINT pt);
  // Depth-first search by name, this control included.
  virtual CControlUI* FindByName(const std::wstring& name);
  template <typename F>
  void ForEach(F&& f);
  virtual int ChildCount() const { return 0; }
  virtual CControlUI* ChildAt(int) const { return nullptr; }

  virtual void DoEvent(TEventUI& event);
  virtual void DoPaint(QPainter& painter, const RECT& rcPaint);
  virtual void PaintBkColor(QPainter& painter);
  virtual void PaintBkImage(QPainter& painter, const RECT& rcPaint);
  virtual void PaintStatusImage(QPainter&, const RECT&) {}
  virtual void PaintText(QPainter&) {}
  virtual void PaintBorder(QPainter& painter);
  virtual void DoPostPaint(QPainter&, const RECT&) {}

  void Invalidate();
  bool IsUpdateNeeded() const { return m_updateNeeded; }
  // Marks the control's layout stale; the manager lays it out before the next paint.
  void NeedUpdate();
  void NeedParentUpdate();
  void ClearUpdateNeeded() { m_updateNeeded = false; }

  // The control's wish when its parent has room: fixed size or 0 for "stretch".
  virtual SIZE EstimateSize(SIZE available) const;

  // Native Qt widgets follow the control; plain controls have none.
  virtual void SyncNative() {}

  // Font of the control: its own index into the manager's fonts or the default.
  QFont GetFont() const;
  int GetFontIndex() const { return m_font; }

 protected:
  bool DrawImage(QPainter& painter, const RECT& rcPaint, const std::wstring& image);
  void NotifyParentOfSize();

  CPaintManagerUI* m_manager = nullptr;
  CControlUI* m_parent = nullptr;
  std::wstring m_name;
  std::wstring m_text;
  std::wstring m_tooltip;
  std::wstring m_userData;
  uintptr_t m_tag = 0;
  RECT m_rcItem{};
  RECT m_rcPadding{};
  POINT m_fixedXY{};
  int m_fixedWidth = 0;
  int m_fixedHeight = 0;
  bool m_float = false;
  bool m_visible = true;
  bool m_internVisible = true;
  bool m_enabled = true;
  bool m_mouseEnabled = true;
  bool m_keyboardEnabled = true;
  bool m_focused = false;
  bool m_updateNeeded = true;
  bool m_inited = false;
  std::wstring m_bkImage;
  uint32_t m_bkColor = 0;
  uint32_t m_borderColor = 0;
  int m_borderSize = 0;
  int m_borderRound = 0;
  int m_font = -1;
  std::wstring m_cursor;
};

template <typename F>
void CControlUI::ForEach(F&& f) {
  f(this);
  for (int i = 0; i < ChildCount(); ++i) ChildAt(i)->ForEach(f);
}

}  // namespace DuiLib
