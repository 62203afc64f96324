#include "toolkit/ui_combo.h"

#include <QListWidget>
#include <QPainter>

#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"

namespace DuiLib {

CComboUI::CComboUI() = default;

CComboUI::~CComboUI() { delete m_popup.data(); }

CControlUI* CComboUI::GetInterface(const std::wstring& name) {
  if (name == L"Combo") return this;
  return CContainerUI::GetInterface(name);
}

void CComboUI::Reindex() {
  for (int i = 0; i < GetCount(); ++i) {
    if (IListItemUI* item = AsListItem(GetItemAt(i))) {
      item->SetOwner(this);
      item->SetIndex(i);
      item->SetSelectedState(i == m_curSel);
    }
  }
}

bool CComboUI::AddAt(CControlUI* control, int index) {
  if (!CContainerUI::AddAt(control, index)) return false;
  control->SetInternVisible(false);
  if (m_curSel >= index) ++m_curSel;
  Reindex();
  return true;
}

bool CComboUI::RemoveAt(int index, bool doNotDestroy) {
  if (!CContainerUI::RemoveAt(index, doNotDestroy)) return false;
  if (m_curSel == index) m_curSel = -1;
  else if (m_curSel > index) --m_curSel;
  Reindex();
  Invalidate();
  return true;
}

void CComboUI::RemoveAll() {
  m_curSel = -1;
  CContainerUI::RemoveAll();
  Invalidate();
}

bool CComboUI::SelectItem(int index, bool) {
  if (index < -1 || index >= GetCount()) return false;
  if (index == m_curSel) return true;
  int old = m_curSel;
  m_curSel = index;
  Reindex();
  Invalidate();
  if (m_manager) m_manager->SendNotify(this, L"itemselect", static_cast<WPARAM>(index), old);
  return true;
}

uint32_t CComboUI::ItemBkColor(bool selected, bool hot) const {
  return selected ? 0xFFE3EDFF : hot ? 0xFFEEF3FB : 0;
}

std::wstring CComboUI::GetText() const {
  CControlUI* c = GetItemAt(m_curSel);
  return c ? c->GetText() : m_text;
}

std::vector<std::wstring> CComboUI::ItemTexts() const {
  std::vector<std::wstring> out;
  for (int i = 0; i < GetCount(); ++i) out.push_back(GetItemAt(i)->GetText());
  return out;
}

bool CComboUI::IsDropped() const { return m_popup && m_popup->isVisible(); }

bool CComboUI::Activate() {
  if (!IsEnabled() || !m_manager || !m_manager->GetNativeParent()) return false;
  if (IsDropped()) {
    m_popup->hide();
    return true;
  }
  QWidget* host = m_manager->GetNativeParent();
  if (!m_popup) {
    m_popup = new QListWidget(host);
    m_popup->setWindowFlags(Qt::Popup);
    m_popup->setObjectName(QString::fromStdWString(m_name) + QStringLiteral("_drop"));
    QObject::connect(m_popup.data(), &QListWidget::itemClicked, m_popup.data(), [this](QListWidgetItem* it) {
      int row = m_popup->row(it);
      m_popup->hide();
      SelectItem(row);
    });
  }
  m_popup->clear();
  for (const std::wstring& t : ItemTexts()) m_popup->addItem(QString::fromStdWString(t));
  if (m_curSel >= 0) m_popup->setCurrentRow(m_curSel);
  int w = m_dropSize.cx > 0 ? m_dropSize.cx : m_rcItem.Width();
  int h = m_dropSize.cy > 0 ? m_dropSize.cy : 150;
  QPoint g = host->mapToGlobal(QPoint(m_rcItem.left, m_rcItem.bottom));
  m_popup->setGeometry(g.x(), g.y(), w, h);
  m_popup->show();
  if (m_manager) m_manager->SendNotify(this, L"dropdown");
  return true;
}

void CComboUI::SetPos(RECT rc, bool needInvalidate) {
  // Entries live in the drop box, not inside the closed control.
  CControlUI::SetPos(rc, needInvalidate);
}

CControlUI* CComboUI::FindControlAt(POINT pt) {
  if (!IsVisible() || !m_rcItem.Contains(pt)) return nullptr;
  return m_mouseEnabled ? this : nullptr;
}

void CComboUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  uint32_t color = 0;
  RECT rc{};
  SIZE sz{};
  if (name == L"dropboxsize") {
    if (ParseSize(value, sz)) SetDropBoxSize(sz);
  } else if (name == L"normalimage") m_normalImage = value;
  else if (name == L"hotimage") m_hotImage = value;
  else if (name == L"pushedimage") m_pushedImage = value;
  else if (name == L"disabledimage") m_disabledImage = value;
  else if (name == L"textcolor") {
    if (ParseColor(value, color)) m_textColor = color;
  } else if (name == L"textpadding") {
    if (ParseRect(value, rc)) m_textPadding = rc;
  } else if (name == L"itemselectedbkcolor" || name == L"itemhotbkcolor" || name == L"itemtextcolor" ||
             name == L"itemfont" || name == L"dropbox") {
    // The drop box uses the platform's list look.
  } else {
    CContainerUI::SetAttribute(name, value);
  }
}

void CComboUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_BUTTONDOWN:
      if (IsEnabled()) {
        m_buttonState |= UISTATE_PUSHED;
        Invalidate();
      }
      return;
    case UIEVENT_BUTTONUP:
      if (m_buttonState & UISTATE_PUSHED) {
        m_buttonState &= ~UISTATE_PUSHED;
        Invalidate();
        if (m_rcItem.Contains(event.ptMouse)) Activate();
      }
      return;
    case UIEVENT_MOUSEENTER:
      m_buttonState |= UISTATE_HOT;
      Invalidate();
      return;
    case UIEVENT_MOUSELEAVE:
      m_buttonState &= ~UISTATE_HOT;
      Invalidate();
      return;
    case UIEVENT_SCROLLWHEEL: {
      int delta = static_cast<int16_t>(static_cast<uint16_t>((event.wParam >> 16) & 0xFFFF));
      int next = m_curSel + (delta < 0 ? 1 : -1);
      if (next >= 0 && next < GetCount()) SelectItem(next);
      return;
    }
    default:
      CControlUI::DoEvent(event);
  }
}

void CComboUI::DoPaint(QPainter& painter, const RECT& rcPaint) {
  RECT clip;
  if (!IntersectRect(clip, rcPaint, m_rcItem)) return;
  painter.save();
  painter.setClipRect(ToQRect(clip), Qt::IntersectClip);
  PaintBkColor(painter);
  PaintBkImage(painter, clip);
  const std::wstring& img = !IsEnabled() ? m_disabledImage
                            : (m_buttonState & UISTATE_PUSHED) ? m_pushedImage
                            : (m_buttonState & UISTATE_HOT)    ? m_hotImage
                                                               : m_normalImage;
  if (!DrawImage(painter, clip, img)) DrawImage(painter, clip, m_normalImage);
  RECT text{m_rcItem.left + m_textPadding.left, m_rcItem.top + m_textPadding.top, m_rcItem.right - m_textPadding.right,
            m_rcItem.bottom - m_textPadding.bottom};
  uint32_t color = m_textColor ? m_textColor : (m_manager ? m_manager->GetDefaultTextColor() : 0xFF1F2933);
  CRenderEngine::DrawText(painter, text, GetText(), color, GetFont(), DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  // A small caret marks the drop-down.
  int cx = m_rcItem.right - 14, cy = (m_rcItem.top + m_rcItem.bottom) / 2;
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(ToQColor(0xFF6B7785), 1.5));
  painter.drawLine(QPointF(cx - 4, cy - 2), QPointF(cx, cy + 2));
  painter.drawLine(QPointF(cx, cy + 2), QPointF(cx + 4, cy - 2));
  PaintBorder(painter);
  painter.restore();
}

}  // namespace DuiLib
