#include "toolkit/ui_label.h"

#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"

namespace DuiLib {

CControlUI* CLabelUI::GetInterface(const std::wstring& name) {
  if (name == L"Label") return this;
  return CControlUI::GetInterface(name);
}

void CLabelUI::SetTextStyle(UINT style) {
  m_textStyle = style;
  Invalidate();
}

void CLabelUI::SetTextColor(uint32_t argb) {
  m_textColor = argb;
  Invalidate();
}

void CLabelUI::SetDisabledTextColor(uint32_t argb) {
  m_disabledTextColor = argb;
  Invalidate();
}

void CLabelUI::SetTextPadding(RECT rc) {
  m_textPadding = rc;
  Invalidate();
}

void CLabelUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  uint32_t color = 0;
  RECT rc{};
  if (name == L"align") {
    m_textStyle &= ~(DT_CENTER | DT_RIGHT);
    if (value.find(L"center") != std::wstring::npos) m_textStyle |= DT_CENTER;
    if (value.find(L"right") != std::wstring::npos) m_textStyle |= DT_RIGHT;
    if (value.find(L"top") != std::wstring::npos) m_textStyle &= ~(DT_VCENTER | DT_BOTTOM);
    if (value.find(L"bottom") != std::wstring::npos) m_textStyle = (m_textStyle & ~DT_VCENTER) | DT_BOTTOM;
  } else if (name == L"valign") {
    m_textStyle &= ~(DT_VCENTER | DT_BOTTOM);
    if (value == L"center" || value == L"vcenter") m_textStyle |= DT_VCENTER;
    else if (value == L"bottom") m_textStyle |= DT_BOTTOM;
  } else if (name == L"endellipsis") {
    if (value == L"true") m_textStyle |= DT_END_ELLIPSIS;
    else m_textStyle &= ~DT_END_ELLIPSIS;
  } else if (name == L"multiline") {
    if (value == L"true") m_textStyle = (m_textStyle & ~DT_SINGLELINE) | DT_WORDBREAK;
    else m_textStyle = (m_textStyle & ~DT_WORDBREAK) | DT_SINGLELINE;
  } else if (name == L"textcolor") {
    if (ParseColor(value, color)) SetTextColor(color);
  } else if (name == L"disabledtextcolor") {
    if (ParseColor(value, color)) SetDisabledTextColor(color);
  } else if (name == L"textpadding") {
    if (ParseRect(value, rc)) SetTextPadding(rc);
  } else if (name == L"showhtml") {
    // Rich markup in labels is not used by the skins; plain text is drawn.
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

void CLabelUI::PaintTextIn(QPainter& painter, uint32_t color) {
  if (color == 0) color = m_manager ? m_manager->GetDefaultTextColor() : 0xFF1F2933;
  RECT rc{m_rcItem.left + m_textPadding.left, m_rcItem.top + m_textPadding.top,
          m_rcItem.right - m_textPadding.right, m_rcItem.bottom - m_textPadding.bottom};
  CRenderEngine::DrawText(painter, rc, GetText(), color, GetFont(), m_textStyle);
}

void CLabelUI::PaintText(QPainter& painter) {
  if (!IsEnabled()) {
    uint32_t c = m_disabledTextColor ? m_disabledTextColor
                                     : (m_manager ? m_manager->GetDefaultDisabledColor() : 0xFFB8C4D6);
    PaintTextIn(painter, c);
    return;
  }
  PaintTextIn(painter, m_textColor);
}

}  // namespace DuiLib
