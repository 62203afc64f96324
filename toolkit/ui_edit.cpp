#include "toolkit/ui_edit.h"

#include <QLineEdit>

#include "toolkit/ui_manager.h"
#include "toolkit/ui_native.h"
#include "toolkit/ui_render.h"

namespace DuiLib {

CEditUI::CEditUI() {
  m_textPadding = RECT{8, 0, 8, 0};
  m_bridge = new CNativeBridge;
}

CEditUI::~CEditUI() {
  delete m_edit.data();
  delete m_bridge;
}

CControlUI* CEditUI::GetInterface(const std::wstring& name) {
  if (name == L"Edit") return this;
  return CLabelUI::GetInterface(name);
}

QLineEdit* CEditUI::GetNativeEdit() const { return m_edit.data(); }

std::wstring CEditUI::GetText() const { return m_edit ? m_edit->text().toStdWString() : m_text; }

void CEditUI::SetText(const std::wstring& text) {
  m_text = text;
  if (m_edit) {
    m_settingText = true;
    m_edit->setText(QString::fromStdWString(text));
    m_settingText = false;
  }
  Invalidate();
}

void CEditUI::SetPasswordMode(bool password) {
  m_password = password;
  if (m_edit) m_edit->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal);
}

void CEditUI::SetReadOnly(bool readOnly) {
  m_readOnly = readOnly;
  if (m_edit) m_edit->setReadOnly(readOnly);
}

void CEditUI::SetMaxChar(int max) {
  m_maxChar = max > 0 ? max : 32767;
  if (m_edit) m_edit->setMaxLength(m_maxChar);
}

void CEditUI::SetSelAll() {
  if (m_edit) m_edit->selectAll();
}

void CEditUI::SetSel(int start, int end) {
  if (!m_edit) return;
  int len = static_cast<int>(m_edit->text().size());
  if (start < 0) {
    m_edit->deselect();
    m_edit->setCursorPosition(len);
    return;
  }
  if (end < 0 || end > len) end = len;
  m_edit->setSelection(start, std::max(0, end - start));
}

void CEditUI::EnsureNative() {
  if (m_edit || !m_manager || !m_manager->GetNativeParent()) return;
  auto* edit = new QLineEdit(m_manager->GetNativeParent());
  edit->setFrame(false);
  edit->setObjectName(QString::fromStdWString(m_name));
  edit->setAttribute(Qt::WA_InputMethodEnabled, true);
  edit->setFont(GetFont());
  QPalette pal = edit->palette();
  pal.setColor(QPalette::Base, ToQColor(m_nativeBkColor));
  pal.setColor(QPalette::Text, ToQColor(m_textColor ? m_textColor : m_manager->GetDefaultTextColor()));
  edit->setPalette(pal);
  edit->setAutoFillBackground((m_nativeBkColor >> 24) != 0);
  if (m_textStyle & DT_CENTER) edit->setAlignment(Qt::AlignCenter);
  else if (m_textStyle & DT_RIGHT) edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  edit->setPlaceholderText(QString::fromStdWString(m_prompt));
  edit->setText(QString::fromStdWString(m_text));
  edit->setEchoMode(m_password ? QLineEdit::Password : QLineEdit::Normal);
  edit->setReadOnly(m_readOnly);
  edit->setMaxLength(m_maxChar);
  edit->installEventFilter(m_bridge);
  m_bridge->onFocusIn = [this] {
    if (m_manager && m_manager->GetFocus() != this) m_manager->SetFocus(this);
  };
  m_bridge->onKey = [this](int key) {
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
      // Tab leaves the edit to the paint manager's focus order.
      if (m_manager) {
        LRESULT res = 0;
        m_manager->MessageHandler(WM_KEYDOWN, VK_TAB, key == Qt::Key_Backtab ? 1 : 0, res);
      }
      return true;
    }
    return false;
  };
  QObject::connect(edit, &QLineEdit::textChanged, edit, [this](const QString& t) {
    m_text = t.toStdWString();
    if (!m_settingText && m_manager) m_manager->SendNotify(this, L"textchanged");
  });
  QObject::connect(edit, &QLineEdit::returnPressed, edit, [this] {
    if (m_manager) m_manager->SendNotify(this, L"return");
  });
  m_edit = edit;
  SyncNative();
}

void CEditUI::DoInit() { EnsureNative(); }

void CEditUI::SyncNative() {
  EnsureNative();
  RECT pad{m_textPadding.left, std::max(m_textPadding.top, 2), m_textPadding.right, std::max(m_textPadding.bottom, 2)};
  SyncNativeWidget(m_edit.data(), *this, pad);
}

void CEditUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  uint32_t color = 0;
  if (name == L"password") SetPasswordMode(value == L"true");
  else if (name == L"readonly") SetReadOnly(value == L"true");
  else if (name == L"maxchar") SetMaxChar(static_cast<int>(wcstol(value.c_str(), nullptr, 10)));
  else if (name == L"prompttext" || name == L"tipvalue") m_prompt = value;
  else if (name == L"normalimage") m_normalImage = value;
  else if (name == L"hotimage") m_hotImage = value;
  else if (name == L"focusedimage") m_focusedImage = value;
  else if (name == L"disabledimage") m_disabledImage = value;
  else if (name == L"nativebkcolor") {
    if (ParseColor(value, color)) m_nativeBkColor = color;
  } else if (name == L"numberonly") {
    // Digits are checked by the pages; the attribute is accepted quietly.
  } else {
    CLabelUI::SetAttribute(name, value);
  }
}

void CEditUI::DoEvent(TEventUI& event) {
  switch (event.Type) {
    case UIEVENT_SETFOCUS:
      m_focused = true;
      if (m_edit && !m_edit->hasFocus()) m_edit->setFocus(Qt::OtherFocusReason);
      Invalidate();
      return;
    case UIEVENT_KILLFOCUS:
      m_focused = false;
      Invalidate();
      return;
    case UIEVENT_BUTTONDOWN:
    case UIEVENT_DBLCLICK:
      if (IsEnabled()) SetFocus();
      return;
    case UIEVENT_MOUSEENTER:
      m_hot = true;
      Invalidate();
      return;
    case UIEVENT_MOUSELEAVE:
      m_hot = false;
      Invalidate();
      return;
    default:
      CLabelUI::DoEvent(event);
  }
}

void CEditUI::PaintStatusImage(QPainter& painter, const RECT& rcPaint) {
  if (!IsEnabled() && DrawImage(painter, rcPaint, m_disabledImage)) return;
  if (m_focused && DrawImage(painter, rcPaint, m_focusedImage)) return;
  if (m_hot && DrawImage(painter, rcPaint, m_hotImage)) return;
  DrawImage(painter, rcPaint, m_normalImage);
}

}  // namespace DuiLib
