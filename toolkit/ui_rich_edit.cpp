#include "toolkit/ui_rich_edit.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>

#include "toolkit/ui_manager.h"
#include "toolkit/ui_native.h"
#include "toolkit/ui_render.h"

namespace DuiLib {

CRichEditUI::CRichEditUI() { m_bridge = new CNativeBridge; }

CRichEditUI::~CRichEditUI() {
  delete m_browser.data();
  delete m_bridge;
}

CControlUI* CRichEditUI::GetInterface(const std::wstring& name) {
  if (name == L"RichEdit") return this;
  return CControlUI::GetInterface(name);
}

QTextBrowser* CRichEditUI::GetNativeBrowser() const { return m_browser.data(); }

void CRichEditUI::EnsureNative() {
  if (m_browser || !m_manager || !m_manager->GetNativeParent()) return;
  auto* browser = new QTextBrowser(m_manager->GetNativeParent());
  browser->setObjectName(QString::fromStdWString(m_name));
  browser->setFrameShape(QFrame::NoFrame);
  browser->setOpenLinks(false);
  browser->setOpenExternalLinks(false);
  browser->setReadOnly(m_readOnly);
  browser->setLineWrapMode(m_wordWrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  browser->setFont(GetFont());
  browser->setPlainText(QString::fromStdWString(m_text));
  if ((m_bkColor >> 24) != 0) {
    QPalette pal = browser->palette();
    pal.setColor(QPalette::Base, ToQColor(m_bkColor));
    browser->setPalette(pal);
  }
  browser->viewport()->installEventFilter(m_bridge);
  browser->installEventFilter(m_bridge);
  m_bridge->onFocusIn = [this] {
    if (m_manager && m_manager->GetFocus() != this) m_manager->SetFocus(this);
  };
  m_bridge->onClick = [this](QPoint p, bool dbl) {
    if (!m_manager) return;
    TNotifyUI msg;
    msg.sType = dbl ? L"dbclick" : L"click";
    msg.pSender = this;
    msg.ptMouse = POINT{p.x(), p.y()};
    m_manager->SendNotify(msg);
  };
  m_browser = browser;
  SyncNative();
}

void CRichEditUI::DoInit() { EnsureNative(); }

void CRichEditUI::SyncNative() {
  EnsureNative();
  SyncNativeWidget(m_browser.data(), *this, m_inset);
}

std::wstring CRichEditUI::GetText() const { return m_browser ? m_browser->toPlainText().toStdWString() : m_text; }

void CRichEditUI::SetText(const std::wstring& text) {
  m_text = text;
  if (m_browser) m_browser->setPlainText(QString::fromStdWString(text));
  m_selStart = m_selEnd = GetTextLength();
}

int CRichEditUI::GetTextLength() const {
  if (!m_browser) return static_cast<int>(m_text.size());
  return m_browser->document()->characterCount() - 1;
}

void CRichEditUI::SetSel(int start, int end) {
  int len = GetTextLength();
  if (start < 0) {
    m_selStart = m_selEnd = len;
  } else {
    m_selStart = std::min(start, len);
    m_selEnd = (end < 0 || end > len) ? len : std::max(end, m_selStart);
  }
  if (m_browser) {
    QTextCursor c(m_browser->document());
    c.setPosition(m_selStart);
    c.setPosition(m_selEnd, QTextCursor::KeepAnchor);
    m_browser->setTextCursor(c);
  }
}

void CRichEditUI::GetSel(int& start, int& end) const {
  start = m_selStart;
  end = m_selEnd;
}

void CRichEditUI::ReplaceSel(const std::wstring& text, bool) {
  EnsureNative();
  if (!m_browser) {
    m_text.replace(static_cast<size_t>(m_selStart), static_cast<size_t>(m_selEnd - m_selStart), text);
    m_selEnd = m_selStart + static_cast<int>(text.size());
    return;
  }
  QTextCursor c(m_browser->document());
  c.setPosition(m_selStart);
  c.setPosition(m_selEnd, QTextCursor::KeepAnchor);
  QString inserted = QString::fromStdWString(text);
  c.insertText(inserted);
  int start = m_selStart;
  int end = start + static_cast<int>(inserted.size());
  // The new text stays selected for a following format call; the caret stands behind it.
  m_selStart = start;
  m_selEnd = end;
  QTextCursor caret(m_browser->document());
  caret.setPosition(end);
  m_browser->setTextCursor(caret);
}

static QColor FromColorRef(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
static COLORREF ToColorRef(const QColor& c) {
  return static_cast<COLORREF>(c.red()) | (static_cast<COLORREF>(c.green()) << 8) |
         (static_cast<COLORREF>(c.blue()) << 16);
}

void CRichEditUI::SetSelectionCharFormat(const CCharFormat& format) {
  if (!m_browser || m_selEnd <= m_selStart) return;
  QTextCharFormat f;
  f.setFontFamilies({QString::fromStdWString(format.face), QStringLiteral("WenQuanYi Micro Hei")});
  f.setFontPointSize(format.heightTwips / 20.0);
  f.setForeground(FromColorRef(format.color));
  f.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
  f.setFontItalic(format.italic);
  f.setFontUnderline(format.underline || format.link);
  f.setAnchor(format.link);
  f.setProperty(QTextFormat::UserProperty, format.link);
  f.setProperty(QTextFormat::UserProperty + 1, static_cast<int>(format.underline));
  f.setProperty(QTextFormat::UserProperty + 2, QString::fromStdWString(format.face));
  QTextCursor c(m_browser->document());
  c.setPosition(m_selStart);
  c.setPosition(m_selEnd, QTextCursor::KeepAnchor);
  c.setCharFormat(f);
}

void CRichEditUI::SetSelectionIndent(int startIndentTwips) {
  if (!m_browser) return;
  QTextCursor c(m_browser->document());
  c.setPosition(m_selStart);
  c.setPosition(m_selEnd, QTextCursor::KeepAnchor);
  QTextBlockFormat b = c.blockFormat();
  b.setTextIndent(startIndentTwips / 15.0);
  c.setBlockFormat(b);
}

CCharFormat CRichEditUI::GetCharFormatAt(int pos) const {
  CCharFormat out;
  if (!m_browser) return out;
  QTextCursor c(m_browser->document());
  c.setPosition(std::clamp(pos + 1, 0, GetTextLength()));
  QTextCharFormat f = c.charFormat();
  out.face = f.property(QTextFormat::UserProperty + 2).toString().toStdWString();
  out.heightTwips = static_cast<int>(f.fontPointSize() * 20 + 0.5);
  out.color = ToColorRef(f.foreground().color());
  out.bold = f.fontWeight() >= QFont::Bold;
  out.italic = f.fontItalic();
  out.link = f.property(QTextFormat::UserProperty).toBool();
  out.underline = f.property(QTextFormat::UserProperty + 1).toInt() != 0;
  return out;
}

void CRichEditUI::SetReadOnly(bool readOnly) {
  m_readOnly = readOnly;
  if (m_browser) m_browser->setReadOnly(readOnly);
}

void CRichEditUI::SetWordWrap(bool wrap) {
  m_wordWrap = wrap;
  if (m_browser) m_browser->setLineWrapMode(wrap ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}

int CRichEditUI::CharFromPos(POINT pt) const {
  if (!m_browser) return -1;
  QPoint inViewport = m_browser->viewport()->mapFrom(m_browser->parentWidget(), QPoint(pt.x, pt.y));
  QPoint docPoint = inViewport + QPoint(m_browser->horizontalScrollBar()->value(), m_browser->verticalScrollBar()->value());
  int pos = m_browser->document()->documentLayout()->hitTest(docPoint, Qt::FuzzyHit);
  return pos;
}

int CRichEditUI::GetCaretPos() const { return m_browser ? m_browser->textCursor().position() : m_selEnd; }

void CRichEditUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  RECT rc{};
  if (name == L"readonly") SetReadOnly(value == L"true");
  else if (name == L"wordwrap") SetWordWrap(value == L"true");
  else if (name == L"inset") {
    if (ParseRect(value, rc)) m_inset = rc;
  } else if (name == L"multiline" || name == L"vscrollbar" || name == L"autovscroll" || name == L"rich" ||
             name == L"textcolor" || name == L"hscrollbar" || name == L"autohscroll") {
    // The native browser scrolls and wraps by itself.
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

void CRichEditUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_SETFOCUS) {
    m_focused = true;
    if (m_browser && !m_browser->hasFocus()) m_browser->setFocus(Qt::OtherFocusReason);
    return;
  }
  CControlUI::DoEvent(event);
}

}  // namespace DuiLib
