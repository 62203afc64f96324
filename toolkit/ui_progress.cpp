#include "toolkit/ui_progress.h"

#include <algorithm>

#include "toolkit/ui_render.h"

namespace DuiLib {

CControlUI* CProgressUI::GetInterface(const std::wstring& name) {
  if (name == L"Progress") return this;
  return CLabelUI::GetInterface(name);
}

void CProgressUI::SetMinValue(int v) {
  m_min = v;
  SetValue(m_value);
}

void CProgressUI::SetMaxValue(int v) {
  m_max = v;
  SetValue(m_value);
}

void CProgressUI::SetValue(int v) {
  int lo = std::min(m_min, m_max), hi = std::max(m_min, m_max);
  m_value = std::clamp(v, lo, hi);
  Invalidate();
}

void CProgressUI::SetForeImage(const std::wstring& image) {
  m_foreImage = image;
  Invalidate();
}

void CProgressUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  uint32_t color = 0;
  if (name == L"min") SetMinValue(static_cast<int>(wcstol(value.c_str(), nullptr, 10)));
  else if (name == L"max") SetMaxValue(static_cast<int>(wcstol(value.c_str(), nullptr, 10)));
  else if (name == L"value") SetValue(static_cast<int>(wcstol(value.c_str(), nullptr, 10)));
  else if (name == L"foreimage") SetForeImage(value);
  else if (name == L"forecolor") {
    if (ParseColor(value, color)) m_foreColor = color;
  } else if (name == L"hor" || name == L"isstretchfore") {
    // Only horizontal bars are drawn.
  } else {
    CLabelUI::SetAttribute(name, value);
  }
}

void CProgressUI::PaintStatusImage(QPainter& painter, const RECT& rcPaint) {
  if (m_max <= m_min) return;
  int width = static_cast<int>(static_cast<long long>(m_rcItem.Width()) * (m_value - m_min) / (m_max - m_min));
  if (width <= 0) return;
  RECT fore{m_rcItem.left, m_rcItem.top, m_rcItem.left + width, m_rcItem.bottom};
  RECT clip;
  if (!IntersectRect(clip, fore, rcPaint)) return;
  if (!m_foreImage.empty() && CRenderEngine::DrawImageString(painter, m_manager, m_rcItem, clip, m_foreImage)) return;
  CRenderEngine::DrawColor(painter, fore, m_foreColor, std::min(m_borderRound, m_rcItem.Height() / 2));
}

}  // namespace DuiLib
