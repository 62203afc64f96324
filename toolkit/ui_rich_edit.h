// Rich text over a native QTextBrowser: runs inserted at the selection with their own
// character format (face, size, colour, bold, underline, link effect), caret movement,
// and the character position under a point for link handling by the pages.
#pragma once

#include <QPointer>

#include "toolkit/ui_control.h"

class QTextBrowser;

namespace DuiLib {

class CNativeBridge;

enum : DWORD { ENM_LINK = 0x04000000 };

struct CCharFormat {
  std::wstring face = L"WenQuanYi Micro Hei";
  int heightTwips = 200;       // 20 twips per point
  COLORREF color = 0x00000000;  // 0x00BBGGRR
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool link = false;
};

class CRichEditUI : public CControlUI {
 public:
  CRichEditUI();
  ~CRichEditUI() override;
  std::wstring GetClass() const override { return L"RichEditUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;

  std::wstring GetText() const override;
  void SetText(const std::wstring& text) override;
  int GetTextLength() const;
  // start -1 puts the caret at the end; end -1 means the end.
  void SetSel(int start, int end);
  void GetSel(int& start, int& end) const;
  // Replaces the selection and leaves the caret behind the new text, which stays
  // available as the selection for SetSelectionCharFormat.
  void ReplaceSel(const std::wstring& text, bool canUndo = false);
  void SetSelectionCharFormat(const CCharFormat& format);
  void SetSelectionIndent(int startIndentTwips);
  // Character format at a position (for tests and the automation).
  CCharFormat GetCharFormatAt(int pos) const;
  void SetEventMask(DWORD mask) { m_eventMask = mask; }
  DWORD GetEventMask() const { return m_eventMask; }
  void SetAutoURLDetect(bool on) { m_autoUrl = on; }
  bool GetAutoURLDetect() const { return m_autoUrl; }
  void SetReadOnly(bool readOnly);
  void SetWordWrap(bool wrap);
  // Character index under a point in window client coordinates; -1 outside the text.
  int CharFromPos(POINT pt) const;
  int GetCaretPos() const;
  QTextBrowser* GetNativeBrowser() const;

  void DoInit() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoEvent(TEventUI& event) override;
  void SyncNative() override;

 private:
  void EnsureNative();
  QPointer<QTextBrowser> m_browser;
  CNativeBridge* m_bridge = nullptr;
  DWORD m_eventMask = 0;
  bool m_autoUrl = false;
  bool m_readOnly = true;
  bool m_wordWrap = true;
  int m_selStart = 0;
  int m_selEnd = 0;
  RECT m_inset{4, 4, 4, 4};
};

}  // namespace DuiLib
