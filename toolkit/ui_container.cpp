#include "toolkit/ui_container.h"

#include <QPainter>
#include <algorithm>

#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"

namespace DuiLib {

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
  for (CControlUI* c : m_items) delete c;
  m_items.clear();
}

CControlUI* CContainerUI::GetInterface(const std::wstring& name) {
  if (name == L"Container") return this;
  return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_items[static_cast<size_t>(index)];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
  auto it = std::find(m_items.begin(), m_items.end(), control);
  return it == m_items.end() ? -1 : static_cast<int>(it - m_items.begin());
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
  if (!control || index < 0 || index > GetCount()) return false;
  m_items.insert(m_items.begin() + index, control);
  control->SetManager(m_manager, this, m_manager != nullptr);
  NeedUpdate();
  return true;
}

bool CContainerUI::Remove(CControlUI* control, bool doNotDestroy) {
  int index = GetItemIndex(control);
  if (index < 0) return false;
  return RemoveAt(index, doNotDestroy);
}

bool CContainerUI::RemoveAt(int index, bool doNotDestroy) {
  CControlUI* c = GetItemAt(index);
  if (!c) return false;
  m_items.erase(m_items.begin() + index);
  if (m_manager) {
    m_manager->ReapObjects(c);
    if (!doNotDestroy) m_manager->AddDelayedCleanup(c);
  } else if (!doNotDestroy) {
    delete c;
  }
  NeedUpdate();
  return true;
}

void CContainerUI::RemoveAll() {
  std::vector<CControlUI*> items;
  items.swap(m_items);
  for (CControlUI* c : items) {
    if (m_manager) {
      m_manager->ReapObjects(c);
      m_manager->AddDelayedCleanup(c);
    } else {
      delete c;
    }
  }
  m_scrollY = 0;
  NeedUpdate();
}

CControlUI* CContainerUI::FindSubControl(const std::wstring& name) {
  for (CControlUI* c : m_items)
    if (CControlUI* found = c->FindByName(name)) return found;
  return nullptr;
}

void CContainerUI::SetInset(RECT rc) {
  m_rcInset = rc;
  NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
  m_childPadding = padding;
  NeedUpdate();
}

void CContainerUI::EnableScrollBar(bool enableVertical, bool) {
  if (m_vscroll == enableVertical) return;
  m_vscroll = enableVertical;
  if (!m_vscroll) m_scrollY = 0;
  NeedUpdate();
}

int CContainerUI::GetScrollRange() const {
  return m_vscroll ? std::max(0, m_contentHeight - InnerRect().Height()) : 0;
}

void CContainerUI::SetScrollPos(int y) {
  int clamped = std::clamp(y, 0, GetScrollRange());
  if (clamped == m_scrollY) return;
  m_scrollY = clamped;
  SetPos(m_rcItem, true);
  Invalidate();
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
  for (CControlUI* c : m_items) c->SetManager(manager, this, init);
  CControlUI::SetManager(manager, parent, init);
}

RECT CContainerUI::InnerRect() const {
  return RECT{m_rcItem.left + m_rcInset.left, m_rcItem.top + m_rcInset.top, m_rcItem.right - m_rcInset.right,
              m_rcItem.bottom - m_rcInset.bottom};
}

void CContainerUI::SetFloatPos(CControlUI* child) {
  POINT xy = child->GetFixedXY();
  RECT rc{m_rcItem.left + xy.x, m_rcItem.top + xy.y, m_rcItem.left + xy.x + child->GetFixedWidth(),
          m_rcItem.top + xy.y + child->GetFixedHeight()};
  child->SetPos(rc, false);
}

void CContainerUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  RECT inner = InnerRect();
  int contentBottom = inner.top;
  for (CControlUI* c : m_items) {
    if (!c->IsVisible()) continue;
    if (c->IsFloat()) {
      SetFloatPos(c);
      continue;
    }
    const RECT& pad = c->GetPadding();
    RECT r{inner.left + pad.left, inner.top + pad.top - m_scrollY, inner.right - pad.right,
           inner.bottom - pad.bottom - m_scrollY};
    if (c->GetFixedWidth() > 0) r.right = r.left + c->GetFixedWidth();
    if (c->GetFixedHeight() > 0) r.bottom = r.top + c->GetFixedHeight();
    c->SetPos(r, false);
    contentBottom = std::max(contentBottom, r.bottom + m_scrollY + pad.bottom);
  }
  m_contentHeight = contentBottom - inner.top;
}

void CContainerUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  RECT rc{};
  if (name == L"inset") {
    if (ParseRect(value, rc)) SetInset(rc);
  } else if (name == L"childpadding") {
    SetChildPadding(static_cast<int>(wcstol(value.c_str(), nullptr, 10)));
  } else if (name == L"mousechild") {
    SetMouseChildEnabled(value == L"true");
  } else if (name == L"vscrollbar") {
    EnableScrollBar(value == L"true", false);
  } else if (name == L"hscrollbar") {
    // Only vertical scrolling is offered; the attribute is accepted quietly.
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

void CContainerUI::SetVisible(bool visible) {
  CControlUI::SetVisible(visible);
  SyncNative();
}

void CContainerUI::SetInternVisible(bool visible) {
  CControlUI::SetInternVisible(visible);
  SyncNative();
}

void CContainerUI::SetEnabled(bool enabled) {
  CControlUI::SetEnabled(enabled);
  SyncNative();
}

void CContainerUI::SyncNative() {
  for (CControlUI* c : m_items) c->SyncNative();
}

CControlUI* CContainerUI::FindControlAt(POINT pt) {
  if (!IsVisible() || !m_rcItem.Contains(pt)) return nullptr;
  if (m_mouseChild) {
    RECT inner = InnerRect();
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
      if (!(*it)->IsFloat() && !inner.Contains(pt)) continue;
      if (CControlUI* hit = (*it)->FindControlAt(pt)) return hit;
    }
  }
  return m_mouseEnabled ? this : nullptr;
}

CControlUI* CContainerUI::FindByName(const std::wstring& name) {
  if (CControlUI* self = CControlUI::FindByName(name)) return self;
  return FindSubControl(name);
}

void CContainerUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_SCROLLWHEEL && IsVerticalScrollBarShown()) {
    int delta = static_cast<int16_t>(static_cast<uint16_t>((event.wParam >> 16) & 0xFFFF));
    SetScrollPos(m_scrollY - (delta / 120) * 48);
    return;
  }
  CControlUI::DoEvent(event);
}

void CContainerUI::DoPaint(QPainter& painter, const RECT& rcPaint) {
  RECT clip;
  if (!IntersectRect(clip, rcPaint, m_rcItem)) return;
  CControlUI::DoPaint(painter, rcPaint);
  RECT inner = InnerRect();
  RECT innerClip;
  painter.save();
  for (CControlUI* c : m_items) {
    if (!c->IsVisible()) continue;
    if (c->IsFloat()) {
      c->DoPaint(painter, clip);
    } else if (IntersectRect(innerClip, clip, inner)) {
      painter.save();
      painter.setClipRect(ToQRect(innerClip), Qt::IntersectClip);
      c->DoPaint(painter, innerClip);
      painter.restore();
    }
  }
  painter.restore();
  if (IsVerticalScrollBarShown()) PaintScrollBar(painter);
}

void CContainerUI::PaintScrollBar(QPainter& painter) {
  RECT inner = InnerRect();
  int range = GetScrollRange();
  int track = inner.Height();
  int thumb = std::max(24, track * track / std::max(1, m_contentHeight));
  int top = inner.top + (range > 0 ? (track - thumb) * m_scrollY / range : 0);
  RECT bar{inner.right - kScrollBarWidth, top, inner.right, top + thumb};
  CRenderEngine::DrawColor(painter, bar, 0x806B7785, kScrollBarWidth / 2);
}

int CContainerUI::LayOutAlongAxis(const RECT& inner, bool vertical, int offset) {
  auto along = [vertical](CControlUI* c) { return vertical ? c->GetFixedHeight() : c->GetFixedWidth(); };
  auto across = [vertical](CControlUI* c) { return vertical ? c->GetFixedWidth() : c->GetFixedHeight(); };
  auto before = [vertical](const RECT& pad) { return vertical ? pad.top : pad.left; };
  auto after = [vertical](const RECT& pad) { return vertical ? pad.bottom : pad.right; };
  const int start = vertical ? inner.top : inner.left;
  const int length = vertical ? inner.Height() : inner.Width();
  const int breadth = vertical ? inner.Width() : inner.Height();
  const int side = vertical ? inner.left : inner.top;

  int fixed = 0, stretch = 0, visible = 0;
  for (CControlUI* c : m_items) {
    if (!c->IsVisible() || c->IsFloat()) continue;
    ++visible;
    fixed += before(c->GetPadding()) + after(c->GetPadding());
    if (along(c) > 0) fixed += along(c);
    else ++stretch;
  }
  if (visible > 1) fixed += (visible - 1) * m_childPadding;
  int remain = std::max(0, length - fixed);
  int each = stretch > 0 ? remain / stretch : 0;
  int pos = start - offset;
  int placed = 0;
  for (CControlUI* c : m_items) {
    if (!c->IsVisible()) continue;
    if (c->IsFloat()) {
      SetFloatPos(c);
      continue;
    }
    const RECT& pad = c->GetPadding();
    int size = along(c);
    if (size <= 0) size = (++placed == stretch) ? remain - each * (stretch - 1) : each;
    pos += before(pad);
    int padSide = vertical ? pad.left : pad.top;
    int padOther = vertical ? pad.right : pad.bottom;
    int thickness = across(c) > 0 ? across(c) : breadth - padSide - padOther;
    int a = side + padSide;
    c->SetPos(vertical ? RECT{a, pos, a + thickness, pos + size} : RECT{pos, a, pos + size, a + thickness}, false);
    pos += size + after(pad) + m_childPadding;
  }
  return pos + offset - start - (visible > 0 ? m_childPadding : 0);
}

// ---------------------------------------------------------------- vertical

CControlUI* CVerticalLayoutUI::GetInterface(const std::wstring& name) {
  if (name == L"VerticalLayout") return this;
  return CContainerUI::GetInterface(name);
}

void CVerticalLayoutUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  m_contentHeight = LayOutAlongAxis(InnerRect(), true, m_scrollY);
  if (m_scrollY > GetScrollRange()) SetScrollPos(GetScrollRange());
}

// ---------------------------------------------------------------- horizontal

CControlUI* CHorizontalLayoutUI::GetInterface(const std::wstring& name) {
  if (name == L"HorizontalLayout") return this;
  return CContainerUI::GetInterface(name);
}

void CHorizontalLayoutUI::SetPos(RECT rc, bool needInvalidate) {
  CControlUI::SetPos(rc, needInvalidate);
  RECT inner = InnerRect();
  LayOutAlongAxis(inner, false, 0);
  m_contentHeight = inner.Height();
}

// ---------------------------------------------------------------- tab

CControlUI* CTabLayoutUI::GetInterface(const std::wstring& name) {
  if (name == L"TabLayout") return this;
  return CContainerUI::GetInterface(name);
}

bool CTabLayoutUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CTabLayoutUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) return false;
  if (m_curSel < 0) m_curSel = 0;
  if (m_initSel >= 0 && m_initSel < GetCount()) {
    m_curSel = m_initSel;
    if (m_initSel == GetCount() - 1) m_initSel = -1;
  }
  ApplySelection();
  return true;
}

bool CTabLayoutUI::Remove(CControlUI* control, bool doNotDestroy) {
  int index = GetItemIndex(control);
  if (!CContainerUI::Remove(control, doNotDestroy)) return false;
  if (GetCount() == 0) m_curSel = -1;
  else if (index < m_curSel || m_curSel >= GetCount()) m_curSel = std::max(0, m_curSel - 1);
  ApplySelection();
  return true;
}

void CTabLayoutUI::RemoveAll() {
  CContainerUI::RemoveAll();
  m_curSel = -1;
}

bool CTabLayoutUI::SelectItem(int index) {
  if (index < 0 || index >= GetCount()) return false;
  if (index == m_curSel) return true;
  m_curSel = index;
  ApplySelection();
  NeedUpdate();
  if (m_manager) m_manager->SendNotify(this, L"tabselect", static_cast<WPARAM>(index));
  return true;
}

bool CTabLayoutUI::SelectItem(CControlUI* control) { return SelectItem(GetItemIndex(control)); }

void CTabLayoutUI::ApplySelection() {
  for (int i = 0; i < GetCount(); ++i) m_items[static_cast<size_t>(i)]->SetInternVisible(i == m_curSel);
}

void CTabLayoutUI::SetPos(RECT rc, bool needInvalidate) { CContainerUI::SetPos(rc, needInvalidate); }

void CTabLayoutUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"selectedid") {
    int index = static_cast<int>(wcstol(value.c_str(), nullptr, 10));
    if (index >= 0 && index < GetCount()) SelectItem(index);
    else m_initSel = index;  // children come later in the skin; applied as they arrive
  } else {
    CContainerUI::SetAttribute(name, value);
  }
}

}  // namespace DuiLib
