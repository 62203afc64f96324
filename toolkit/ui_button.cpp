#include "toolkit/ui_button.h"

#include <QPainter>

#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"

namespace DuiLib {

CButtonUI::CButtonUI() { m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }

CControlUI* CButtonUI::GetInterface(const std::wstring& name) {
  if (name == L"Button") return this;
  return CLabelUI::GetInterface(name);
}

void CButtonUI::SetNormalImage(const std::wstring& image) {
  m_normalImage = image;
  Invalidate();
}
void CButtonUI::SetHotImage(const std::wstring& image) {
  m_hotImage = image;
  Invalidate();
}
void CButtonUI::SetPushedImage(const std::wstring& image) {
  m_pushedImage = image;
  Invalidate();
}
void CButtonUI::SetFocusedImage(const std::wstring& image) {
  m_focusedImage = image;
  Invalidate();
}
void CButtonUI::SetDisabledImage(const std::wstring& image) {
  m_disabledImage = image;
  Invalidate();
}

void CButtonUI::SetEnabled(bool enabled) {
  CLabelUI::SetEnabled(enabled);
  if (!enabled) m_buttonState = 0;
}

bool CButtonUI::Activate() {
  if (!IsVisible() || !IsEnabled()) return false;
  if (m_manager) m_manager->SendNotify(this, L"click");
  return true;
}

void CButtonUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  uint32_t color = 0;
  if (name == L"normalimage") SetNormalImage(value);
  else if (name == L"hotimage") SetHotImage(value);
  else if (name == L"pushedimage") SetPushedImage(value);
  else if (name == L"focusedimage") SetFocusedImage(value);
  else if (name == L"disabledimage") SetDisabledImage(value);
  else if (name == L"hottextcolor") {
    if (ParseColor(value, color)) SetHotTextColor(color);
  } else if (name == L"pushedtextcolor") {
    if (ParseColor(value, color)) SetPushedTextColor(color);
  } else if (name == L"focusedtextcolor") {
    // Focus is shown by the focused image; the colour is accepted quietly.
  } else {
    CLabelUI::SetAttribute(name, value);
  }
}

void CButtonUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      if (m_rcItem.Contains(event.ptMouse) && IsEnabled()) {
        m_buttonState |= UISTATE_PUSHED | UISTATE_CAPTURED;
        Invalidate();
        if (event.Type == UIEVENT_DBLCLICK && m_manager) m_manager->SendNotify(this, L"dbclick");
      }
      return;
    case UIEVENT_MOUSEMOVE:
      if (m_buttonState & UISTATE_CAPTURED) {
        if (m_rcItem.Contains(event.ptMouse)) m_buttonState |= UISTATE_PUSHED;
        else m_buttonState &= ~UISTATE_PUSHED;
        Invalidate();
      }
      return;
    case UIEVENT_BUTTONUP:
      if (m_buttonState & UISTATE_CAPTURED) {
        bool inside = m_rcItem.Contains(event.ptMouse);
        m_buttonState &= ~(UISTATE_PUSHED | UISTATE_CAPTURED);
        Invalidate();
        if (inside) Activate();
      }
      return;
    case UIEVENT_MOUSEENTER:
      if (IsEnabled()) {
        m_buttonState |= UISTATE_HOT;
        Invalidate();
      }
      return;
    case UIEVENT_MOUSELEAVE:
      m_buttonState &= ~UISTATE_HOT;
      Invalidate();
      return;
    case UIEVENT_KEYDOWN:
      if (IsKeyboardEnabled() && (event.chKey == VK_SPACE || event.chKey == VK_RETURN)) {
        Activate();
        return;
      }
      break;
    case UIEVENT_RBUTTONDOWN:
    case UIEVENT_RBUTTONUP:
      return;
    default:
      break;
  }
  CLabelUI::DoEvent(event);
}

void CButtonUI::PaintStatusImage(QPainter& painter, const RECT& rcPaint) {
  if (!IsEnabled()) {
    if (DrawImage(painter, rcPaint, m_disabledImage)) return;
  } else if (m_buttonState & UISTATE_PUSHED) {
    if (DrawImage(painter, rcPaint, m_pushedImage)) return;
  } else if (m_buttonState & UISTATE_HOT) {
    if (DrawImage(painter, rcPaint, m_hotImage)) return;
  } else if (IsFocused()) {
    if (DrawImage(painter, rcPaint, m_focusedImage)) return;
  }
  DrawImage(painter, rcPaint, m_normalImage);
}

void CButtonUI::PaintText(QPainter& painter) {
  if (IsEnabled() && (m_buttonState & UISTATE_PUSHED) && m_pushedTextColor) PaintTextIn(painter, m_pushedTextColor);
  else if (IsEnabled() && (m_buttonState & UISTATE_HOT) && m_hotTextColor) PaintTextIn(painter, m_hotTextColor);
  else CLabelUI::PaintText(painter);
}

// ---------------------------------------------------------------- option

CControlUI* COptionUI::GetInterface(const std::wstring& name) {
  if (name == L"Option") return this;
  return CButtonUI::GetInterface(name);
}

void COptionUI::SetGroup(const std::wstring& group) {
  m_group = group;
  if (m_selected) Selected(true, false);
}

void COptionUI::Selected(bool selected, bool notify) {
  if (m_selected == selected) return;
  m_selected = selected;
  Invalidate();
  if (!m_manager) return;
  if (selected && !m_group.empty() && m_manager->GetRoot()) {
    m_manager->GetRoot()->ForEach([&](CControlUI* c) {
      if (c == this) return;
      auto* other = static_cast<COptionUI*>(c->GetInterface(L"Option"));
      if (other && other->m_group == m_group && other->m_selected) other->Selected(false, notify);
    });
  }
  if (notify) m_manager->SendNotify(this, L"selectchanged");
}

void COptionUI::SetSelectedImage(const std::wstring& image) {
  m_selectedImage = image;
  Invalidate();
}

void COptionUI::SetSelectedHotImage(const std::wstring& image) {
  m_selectedHotImage = image;
  Invalidate();
}

bool COptionUI::Activate() {
  // The click is reported before the option changes, so a handler sees the old state.
  if (!CButtonUI::Activate()) return false;
  if (!m_group.empty()) Selected(true);
  else Selected(!m_selected);
  return true;
}

void COptionUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  uint32_t color = 0;
  if (name == L"group") SetGroup(value);
  else if (name == L"selected") Selected(value == L"true", false);
  else if (name == L"selectedimage") SetSelectedImage(value);
  else if (name == L"selectedhotimage") SetSelectedHotImage(value);
  else if (name == L"selectedtextcolor") {
    if (ParseColor(value, color)) SetSelectedTextColor(color);
  } else if (name == L"selectedbkcolor") {
    if (ParseColor(value, color)) m_selectedBkColor = color;
  } else {
    CButtonUI::SetAttribute(name, value);
  }
}

void COptionUI::PaintBkColor(QPainter& painter) {
  if (m_selected && m_selectedBkColor) CRenderEngine::DrawColor(painter, m_rcItem, m_selectedBkColor, m_borderRound);
  else CButtonUI::PaintBkColor(painter);
}

void COptionUI::PaintStatusImage(QPainter& painter, const RECT& rcPaint) {
  if (m_selected) {
    if ((m_buttonState & UISTATE_HOT) && IsEnabled() && DrawImage(painter, rcPaint, m_selectedHotImage)) return;
    if (DrawImage(painter, rcPaint, m_selectedImage)) return;
  }
  CButtonUI::PaintStatusImage(painter, rcPaint);
}

void COptionUI::PaintText(QPainter& painter) {
  if (m_selected && m_selectedTextColor && IsEnabled()) PaintTextIn(painter, m_selectedTextColor);
  else CButtonUI::PaintText(painter);
}

}  // namespace DuiLib
