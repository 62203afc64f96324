// Containers of the control tree: the plain container (children overlay each other),
// vertical and horizontal layouts and the tab layout that shows one child at a time.
#pragma once

#include <vector>

#include "toolkit/ui_control.h"

namespace DuiLib {

class CContainerUI : public CControlUI {
 public:
  CContainerUI();
  ~CContainerUI() override;

  std::wstring GetClass() const override { return L"ContainerUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;

  CControlUI* GetItemAt(int index) const;
  int GetItemIndex(CControlUI* control) const;
  int GetCount() const { return static_cast<int>(m_items.size()); }
  virtual bool Add(CControlUI* control);
  virtual bool AddAt(CControlUI* control, int index);
  // Removed controls are destroyed later (never inside the event that removed them)
  // unless doNotDestroy hands them back to the caller.
  virtual bool Remove(CControlUI* control, bool doNotDestroy = false);
  virtual bool RemoveAt(int index, bool doNotDestroy = false);
  virtual void RemoveAll();
  CControlUI* FindSubControl(const std::wstring& name);

  const RECT& GetInset() const { return m_rcInset; }
  void SetInset(RECT rc);
  int GetChildPadding() const { return m_childPadding; }
  void SetChildPadding(int padding);
  bool IsMouseChildEnabled() const { return m_mouseChild; }
  void SetMouseChildEnabled(bool enabled = true) { m_mouseChild = enabled; }

  // A vertical scroll bar appears when enabled and the content is taller than the box.
  void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false);
  bool IsVerticalScrollBarEnabled() const { return m_vscroll; }
  bool IsVerticalScrollBarShown() const { return m_vscroll && m_contentHeight > InnerRect().Height(); }
  int GetScrollPos() const { return m_scrollY; }
  void SetScrollPos(int y);
  int GetScrollRange() const;

  void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void SetVisible(bool visible = true) override;
  void SetInternVisible(bool visible = true) override;
  void SetEnabled(bool enabled = true) override;
  CControlUI* FindControlAt(POINT pt) override;
  CControlUI* FindByName(const std::wstring& name) override;
  int ChildCount() const override { return GetCount(); }
  CControlUI* ChildAt(int i) const override { return GetItemAt(i); }
  void DoEvent(TEventUI& event) override;
  void DoPaint(QPainter& painter, const RECT& rcPaint) override;
  void SyncNative() override;

 protected:
  RECT InnerRect() const;
  void SetFloatPos(CControlUI* child);
  // Places the visible children one after another along an axis, shifted back by offset:
  // fixed sizes first, the rest shared evenly, the last stretching child taking what the
  // division leaves. Floating children keep their own place. Answers the extent used.
  int LayOutAlongAxis(const RECT& inner, bool vertical, int offset);
  void PaintScrollBar(QPainter& painter);
  static constexpr int kScrollBarWidth = 6;

  std::vector<CControlUI*> m_items;
  RECT m_rcInset{};
  int m_childPadding = 0;
  bool m_mouseChild = true;
  bool m_vscroll = false;
  int m_scrollY = 0;
  int m_contentHeight = 0;
};

class CVerticalLayoutUI : public CContainerUI {
 public:
  std::wstring GetClass() const override { return L"VerticalLayoutUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
};

class CHorizontalLayoutUI : public CContainerUI {
 public:
  std::wstring GetClass() const override { return L"HorizontalLayoutUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;

 protected:
  // Press state for layouts that track drags (UISTATE_CAPTURED and friends).
  UINT m_uButtonState = 0;
};

class CTabLayoutUI : public CContainerUI {
 public:
  std::wstring GetClass() const override { return L"TabLayoutUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control, bool doNotDestroy = false) override;
  void RemoveAll() override;
  int GetCurSel() const { return m_curSel; }
  // Shows the child at index and hides the others; false for an index out of range.
  bool SelectItem(int index);
  bool SelectItem(CControlUI* control);
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;

 private:
  void ApplySelection();
  int m_curSel = -1;
  int m_initSel = -1;
};

}  // namespace DuiLib
