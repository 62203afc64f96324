#include "toolkit/ui_control.h"

#include <QPainter>
#include <cwchar>

#include "toolkit/ui_attributes.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"
#include "toolkit/ui_window.h"

namespace DuiLib {

CControlUI::CControlUI() = default;

CControlUI::~CControlUI() {
  if (m_manager) m_manager->ReapObjects(this);
}

CControlUI* CControlUI::GetInterface(const std::wstring& name) {
  if (name == L"Control") return this;
  return nullptr;
}

void CControlUI::SetText(const std::wstring& text) {
  if (m_text == text) return;
  m_text = text;
  Invalidate();
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
  m_manager = manager;
  m_parent = parent;
  if (init && manager) Init();
}

void CControlUI::Init() {
  if (m_inited) return;
  m_inited = true;
  DoInit();
}

void CControlUI::SetPos(RECT rc, bool needInvalidate) {
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;
  RECT old = m_rcItem;
  m_rcItem = rc;
  m_updateNeeded = false;
  if (needInvalidate && m_manager && !(old == rc)) m_manager->Invalidate(UnionRect(old, rc));
  SyncNative();
}

void CControlUI::SetPadding(RECT rc) {
  m_rcPadding = rc;
  NeedParentUpdate();
}

void CControlUI::SetFixedXY(POINT pt) {
  m_fixedXY = pt;
  NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx) {
  if (cx < 0) return;
  m_fixedWidth = cx;
  NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy) {
  if (cy < 0) return;
  m_fixedHeight = cy;
  NeedParentUpdate();
}

void CControlUI::SetFloat(bool f) {
  m_float = f;
  NeedParentUpdate();
}

bool CControlUI::IsEffectivelyVisible() const {
  for (const CControlUI* c = this; c; c = c->m_parent)
    if (!c->IsVisible()) return false;
  return true;
}

void CControlUI::SetVisible(bool visible) {
  if (m_visible == visible) return;
  bool was = IsVisible();
  m_visible = visible;
  if (!visible && m_manager) m_manager->ForgetInput(this);
  if (was != IsVisible()) NeedParentUpdate();
  SyncNative();
}

void CControlUI::SetInternVisible(bool visible) {
  m_internVisible = visible;
  if (!visible && m_manager && m_manager->GetFocus() == this) m_manager->SetFocus(nullptr);
  SyncNative();
}

void CControlUI::SetEnabled(bool enabled) {
  if (m_enabled == enabled) return;
  m_enabled = enabled;
  SyncNative();
  Invalidate();
}

void CControlUI::SetFocus() {
  if (m_manager) m_manager->SetFocus(this);
}

void CControlUI::SetBkImage(const std::wstring& image) {
  if (m_bkImage == image) return;
  m_bkImage = image;
  Invalidate();
}

void CControlUI::SetBkColor(uint32_t argb) {
  m_bkColor = argb;
  Invalidate();
}

void CControlUI::SetBorderColor(uint32_t argb) {
  m_borderColor = argb;
  Invalidate();
}

void CControlUI::SetBorderSize(int size) {
  m_borderSize = size;
  Invalidate();
}

void CControlUI::SetBorderRound(int round) {
  m_borderRound = round;
  Invalidate();
}

static bool ParseBool(const std::wstring& v) { return v == L"true" || v == L"1"; }

static int ToInt(const std::wstring& v) { return static_cast<int>(std::wcstol(v.c_str(), nullptr, 10)); }

void CControlUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  uint32_t color = 0;
  RECT rc{};
  if (name == L"name") SetName(value);
  else if (name == L"text") SetText(value);
  else if (name == L"tooltip") SetToolTip(value);
  else if (name == L"userdata") SetUserData(value);
  else if (name == L"tag") SetTag(static_cast<uintptr_t>(ToInt(value)));
  else if (name == L"pos") {
    if (ParseRect(value, rc)) {
      SetFixedXY(POINT{rc.left, rc.top});
      SetFixedWidth(rc.Width());
      SetFixedHeight(rc.Height());
    }
  } else if (name == L"float") SetFloat(ParseBool(value));
  else if (name == L"width") SetFixedWidth(ToInt(value));
  else if (name == L"height") SetFixedHeight(ToInt(value));
  else if (name == L"padding") {
    if (ParseRect(value, rc)) SetPadding(rc);
  } else if (name == L"bkcolor") {
    if (ParseColor(value, color)) SetBkColor(color);
  } else if (name == L"bordercolor") {
    if (ParseColor(value, color)) SetBorderColor(color);
  } else if (name == L"bordersize") SetBorderSize(ToInt(value));
  else if (name == L"borderround") {
    SIZE sz{};
    if (ParseSize(value, sz)) SetBorderRound(sz.cx);
    else SetBorderRound(ToInt(value));
  } else if (name == L"bkimage") SetBkImage(value);
  else if (name == L"visible") SetVisible(ParseBool(value));
  else if (name == L"enabled") SetEnabled(ParseBool(value));
  else if (name == L"mouse") SetMouseEnabled(ParseBool(value));
  else if (name == L"keyboard") SetKeyboardEnabled(ParseBool(value));
  else if (name == L"font") m_font = ToInt(value);
  else if (name == L"cursor") m_cursor = value;
  else WarnUnknownAttribute(GetClass(), name);
}

void CControlUI::ApplyAttributeList(const std::wstring& list) {
  for (const auto& [k, v] : ParseAttributeList(list)) SetAttribute(k, v);
}

CControlUI* CControlUI::FindControlAt(POINT pt) {
  if (!IsVisible() || !m_rcItem.Contains(pt)) return nullptr;
  return m_mouseEnabled ? this : nullptr;
}

CControlUI* CControlUI::FindByName(const std::wstring& name) {
  if (!name.empty() && m_name == name) return this;
  return nullptr;
}

void CControlUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_SETFOCUS) {
    m_focused = true;
    Invalidate();
    return;
  }
  if (event.Type == UIEVENT_KILLFOCUS) {
    m_focused = false;
    Invalidate();
    return;
  }
  if (event.Type == UIEVENT_SETCURSOR) {
    if (m_cursor == L"hand") {
      if (m_manager) SetHandCursor(m_manager->GetPaintWindow(), true);
      return;
    }
    if (m_parent) m_parent->DoEvent(event);
    else if (m_manager) SetHandCursor(m_manager->GetPaintWindow(), false);
    return;
  }
  // What a plain control does not use goes up to its parent (a list item, a page).
  if (m_parent && event.Type != UIEVENT_TIMER && event.Type != UIEVENT_MOUSEENTER &&
      event.Type != UIEVENT_MOUSELEAVE)
    m_parent->DoEvent(event);
}

void CControlUI::DoPaint(QPainter& painter, const RECT& rcPaint) {
  RECT clip;
  if (!IntersectRect(clip, rcPaint, m_rcItem)) return;
  painter.save();
  painter.setClipRect(ToQRect(clip), Qt::IntersectClip);
  PaintBkColor(painter);
  PaintBkImage(painter, clip);
  PaintStatusImage(painter, clip);
  PaintText(painter);
  PaintBorder(painter);
  painter.restore();
}

void CControlUI::PaintBkColor(QPainter& painter) { CRenderEngine::DrawColor(painter, m_rcItem, m_bkColor, m_borderRound); }

void CControlUI::PaintBkImage(QPainter& painter, const RECT& rcPaint) {
  if (!m_bkImage.empty()) DrawImage(painter, rcPaint, m_bkImage);
}

void CControlUI::PaintBorder(QPainter& painter) {
  CRenderEngine::DrawBorder(painter, m_rcItem, m_borderSize, m_borderColor, m_borderRound);
}

bool CControlUI::DrawImage(QPainter& painter, const RECT& rcPaint, const std::wstring& image) {
  return CRenderEngine::DrawImageString(painter, m_manager, m_rcItem, rcPaint, image);
}

void CControlUI::Invalidate() {
  if (m_manager && IsVisible()) m_manager->Invalidate(m_rcItem);
}

void CControlUI::NeedUpdate() {
  m_updateNeeded = true;
  if (m_manager) m_manager->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
  if (m_parent) m_parent->NeedUpdate();
  else NeedUpdate();
}

SIZE CControlUI::EstimateSize(SIZE) const { return SIZE{m_fixedWidth, m_fixedHeight}; }

QFont CControlUI::GetFont() const {
  if (m_manager) return m_manager->GetFont(m_font);
  QFont f(QStringLiteral("WenQuanYi Micro Hei"));
  f.setPixelSize(13);
  return f;
}

}  // namespace DuiLib
