#include "pages/horizontal_layout_target.h"

#include <QPainter>

#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"
#include "toolkit/ui_window.h"

namespace zv::pages {

namespace {
constexpr uint32_t kDragColor = 0xAA000000;
}

CHorizontalLayout_Target::~CHorizontalLayout_Target() {
  if (m_manager && IsCaptured()) m_manager->RemovePostPaint(this);
}

DuiLib::CControlUI* CHorizontalLayout_Target::GetInterface(const std::wstring& name) {
  if (name == L"HorizontalLayout_Target") return this;
  return CHorizontalLayoutUI::GetInterface(name);
}

void CHorizontalLayout_Target::BeginDrag(const DuiLib::POINT& pt) {
  m_uButtonState |= DuiLib::UISTATE_CAPTURED;
  m_ptLast = pt;
  m_rcDrag = m_rcItem;
  if (m_manager) m_manager->AddPostPaint(this);
}

void CHorizontalLayout_Target::EndDrag() {
  m_uButtonState &= ~DuiLib::UISTATE_CAPTURED;
  if (m_manager) {
    m_manager->RemovePostPaint(this);
    m_manager->Invalidate(m_rcDrag);
  }
  NeedParentUpdate();
}

void CHorizontalLayout_Target::MoveDrag(const DuiLib::POINT& pt) {
  DuiLib::RECT old = m_rcDrag;
  const int dx = pt.x - m_ptLast.x;
  const int dy = pt.y - m_ptLast.y;
  m_ptLast = pt;
  m_rcDrag = DuiLib::RECT{old.left + dx, old.top + dy, old.right + dx, old.bottom + dy};
  if (m_manager) m_manager->Invalidate(DuiLib::UnionRect(old, m_rcDrag));
}

void CHorizontalLayout_Target::DoEvent(DuiLib::TEventUI& event) {
  switch (event.Type) {
    case DuiLib::UIEVENT_BUTTONDOWN:
      if (IsEnabled() && m_rcItem.Contains(event.ptMouse)) {
        BeginDrag(event.ptMouse);
        return;
      }
      break;
    case DuiLib::UIEVENT_BUTTONUP:
      if (IsCaptured()) {
        EndDrag();
        return;
      }
      break;
    case DuiLib::UIEVENT_MOUSEMOVE:
      if (IsCaptured()) {
        MoveDrag(event.ptMouse);
        return;
      }
      break;
    case DuiLib::UIEVENT_SETCURSOR:
      if (IsEnabled()) {
        if (m_manager) DuiLib::SetHandCursor(m_manager->GetPaintWindow(), true);
        return;
      }
      break;
    default:
      break;
  }
  CHorizontalLayoutUI::DoEvent(event);
}

void CHorizontalLayout_Target::DoPostPaint(QPainter& painter, const DuiLib::RECT& rcPaint) {
  if (!IsCaptured()) return;
  DuiLib::RECT area = m_rcDrag;
  if (m_parent && !DuiLib::IntersectRect(area, m_rcDrag, m_parent->GetPos())) return;
  DuiLib::RECT visible;
  if (!DuiLib::IntersectRect(visible, area, rcPaint)) return;
  DuiLib::CRenderEngine::DrawColor(painter, visible, kDragColor, 0);
}

}  // namespace zv::pages
