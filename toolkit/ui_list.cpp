#include "toolkit/ui_list.h"

#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"

namespace DuiLib {

IListItemUI* AsListItem(CControlUI* control) {
  if (!control) return nullptr;
  if (auto* e = dynamic_cast<CListContainerElementUI*>(control)) return e;
  if (auto* l = dynamic_cast<CListLabelElementUI*>(control)) return l;
  return nullptr;
}

std::wstring FirstText(CControlUI* control) {
  std::wstring out;
  control->ForEach([&](CControlUI* c) {
    if (out.empty() && c->IsVisible()) out = c->GetText();
  });
  return out;
}

bool CListItemBehaviour::Handle(CControlUI& self, IListItemUI& item, TEventUI& event, bool& hot) {
  CPaintManagerUI* pm = self.GetManager();
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_RBUTTONDOWN:
      if (!self.IsEnabled()) return true;
      // The row is selected first, so a handler of "itemclick" reads the new selection.
      if (item.GetOwner()) item.GetOwner()->SelectItem(item.GetIndex(), true);
      if (pm && event.Type == UIEVENT_BUTTONDOWN) pm->SendNotify(&self, L"itemclick");
      return true;
    case UIEVENT_DBLCLICK:
      if (self.IsEnabled() && pm) pm->SendNotify(&self, L"itemactivate");
      return true;
    case UIEVENT_MOUSEENTER:
      hot = true;
      self.Invalidate();
      return true;
    case UIEVENT_MOUSELEAVE:
      hot = false;
      self.Invalidate();
      return true;
    case UIEVENT_KEYDOWN:
      if (event.chKey == VK_RETURN && pm) {
        pm->SendNotify(&self, L"itemactivate");
        return true;
      }
      return false;
    case UIEVENT_BUTTONUP:
    case UIEVENT_RBUTTONUP:
    case UIEVENT_MOUSEMOVE:
      return true;
    default:
      return false;
  }
}

// ---------------------------------------------------------------- container element

CControlUI* CListContainerElementUI::GetInterface(const std::wstring& name) {
  if (name == L"ListItem" || name == L"ListContainerElement") return this;
  return CContainerUI::GetInterface(name);
}

void CListContainerElementUI::SetSelectedState(bool selected) {
  m_selected = selected;
  Invalidate();
}

bool CListContainerElementUI::Select(bool select) {
  if (!m_owner) return false;
  return m_owner->SelectItem(select ? m_index : -1);
}

void CListContainerElementUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_SCROLLWHEEL && m_parent) {
    m_parent->DoEvent(event);
    return;
  }
  if (!m_behaviour.Handle(*this, *this, event, m_hot)) CContainerUI::DoEvent(event);
}

void CListContainerElementUI::PaintBkColor(QPainter& painter) {
  uint32_t c = m_owner ? m_owner->ItemBkColor(m_selected, m_hot) : 0;
  if (c) CRenderEngine::DrawColor(painter, m_rcItem, c, m_borderRound);
  else CContainerUI::PaintBkColor(painter);
}

// ---------------------------------------------------------------- label element

CListLabelElementUI::CListLabelElementUI() { m_textPadding = RECT{8, 0, 8, 0}; }

CControlUI* CListLabelElementUI::GetInterface(const std::wstring& name) {
  if (name == L"ListItem" || name == L"ListLabelElement") return this;
  return CLabelUI::GetInterface(name);
}

void CListLabelElementUI::SetSelectedState(bool selected) {
  m_selected = selected;
  Invalidate();
}

bool CListLabelElementUI::Select(bool select) {
  if (!m_owner) return false;
  return m_owner->SelectItem(select ? m_index : -1);
}

void CListLabelElementUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_SCROLLWHEEL && m_parent) {
    m_parent->DoEvent(event);
    return;
  }
  if (!m_behaviour.Handle(*this, *this, event, m_hot)) CLabelUI::DoEvent(event);
}

void CListLabelElementUI::PaintBkColor(QPainter& painter) {
  uint32_t c = m_owner ? m_owner->ItemBkColor(m_selected, m_hot) : 0;
  if (c) CRenderEngine::DrawColor(painter, m_rcItem, c, m_borderRound);
  else CLabelUI::PaintBkColor(painter);
}

void CListLabelElementUI::PaintText(QPainter& painter) {
  uint32_t c = m_owner ? m_owner->ItemTextColor(m_selected) : 0;
  PaintTextIn(painter, c ? c : m_textColor);
}

// ---------------------------------------------------------------- list

CControlUI* CListUI::GetInterface(const std::wstring& name) {
  if (name == L"List") return this;
  return CVerticalLayoutUI::GetInterface(name);
}

void CListUI::Reindex() {
  for (int i = 0; i < GetCount(); ++i) {
    if (IListItemUI* item = AsListItem(GetItemAt(i))) {
      item->SetOwner(this);
      item->SetIndex(i);
      item->SetSelectedState(i == m_curSel);
    }
  }
}

bool CListUI::AddAt(CControlUI* control, int index) {
  if (!CVerticalLayoutUI::AddAt(control, index)) return false;
  if (m_curSel >= index) ++m_curSel;
  Reindex();
  return true;
}

bool CListUI::RemoveAt(int index, bool doNotDestroy) {
  CControlUI* c = GetItemAt(index);
  if (!c) return false;
  if (IListItemUI* item = AsListItem(c)) item->SetOwner(nullptr);
  if (!CVerticalLayoutUI::RemoveAt(index, doNotDestroy)) return false;
  if (m_curSel == index) m_curSel = -1;
  else if (m_curSel > index) --m_curSel;
  Reindex();
  return true;
}

void CListUI::RemoveAll() {
  m_curSel = -1;
  for (int i = 0; i < GetCount(); ++i)
    if (IListItemUI* item = AsListItem(GetItemAt(i))) item->SetOwner(nullptr);
  CVerticalLayoutUI::RemoveAll();
}

bool CListUI::SelectItem(int index, bool takeFocus) {
  if (index >= GetCount() || index < -1) return false;
  if (index == m_curSel) return true;
  if (index >= 0 && !AsListItem(GetItemAt(index))) return false;
  int old = m_curSel;
  m_curSel = index;
  if (IListItemUI* item = AsListItem(GetItemAt(old))) item->SetSelectedState(false);
  if (IListItemUI* item = AsListItem(GetItemAt(index))) item->SetSelectedState(true);
  if (takeFocus && index >= 0) GetItemAt(index)->SetFocus();
  if (m_manager) m_manager->SendNotify(this, L"itemselect", static_cast<WPARAM>(index), old);
  return true;
}

uint32_t CListUI::ItemBkColor(bool selected, bool hot) const {
  if (selected) return m_itemSelectedBk;
  if (hot) return m_itemHotBk;
  return m_itemBk;
}

uint32_t CListUI::ItemTextColor(bool selected) const { return selected && m_itemSelectedText ? m_itemSelectedText : m_itemText; }

void CListUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  uint32_t color = 0;
  bool isColor = ParseColor(value, color);
  if (name == L"itembkcolor") m_itemBk = isColor ? color : 0;
  else if (name == L"itemhotbkcolor") m_itemHotBk = isColor ? color : 0;
  else if (name == L"itemselectedbkcolor") m_itemSelectedBk = isColor ? color : 0;
  else if (name == L"itemtextcolor") m_itemText = isColor ? color : 0;
  else if (name == L"itemselectedtextcolor") m_itemSelectedText = isColor ? color : 0;
  else if (name == L"header" || name == L"itemshowhtml" || name == L"itemlinecolor" || name == L"itemalign" ||
           name == L"itemfont" || name == L"itemhottextcolor") {
    // Row looks beyond colours come from the item skin files.
  } else {
    CVerticalLayoutUI::SetAttribute(name, value);
  }
}

std::vector<std::wstring> CListUI::ItemTexts() const {
  std::vector<std::wstring> out;
  for (int i = 0; i < GetCount(); ++i) out.push_back(FirstText(GetItemAt(i)));
  return out;
}

}  // namespace DuiLib
