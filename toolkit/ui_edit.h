// A one-line edit over a native QLineEdit (so input methods and selection behave as the
// desktop's): password style, read-only, length limit, select-all.
#pragma once

#include <QPointer>

#include "toolkit/ui_label.h"

class QLineEdit;

namespace DuiLib {

class CNativeBridge;

class CEditUI : public CLabelUI {
 public:
  CEditUI();
  ~CEditUI() override;
  std::wstring GetClass() const override { return L"EditUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  bool IsFocusable() const override { return true; }

  std::wstring GetText() const override;
  // Setting the text from code does not report "textchanged"; typing does.
  void SetText(const std::wstring& text) override;
  void SetPasswordMode(bool password);
  bool IsPasswordMode() const { return m_password; }
  void SetReadOnly(bool readOnly);
  bool IsReadOnly() const { return m_readOnly; }
  void SetMaxChar(int max);
  void SetSelAll();
  void SetSel(int start, int end);
  void SetNormalImage(const std::wstring& image) { m_normalImage = image; Invalidate(); }
  QLineEdit* GetNativeEdit() const;

  void DoInit() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoEvent(TEventUI& event) override;
  void PaintStatusImage(QPainter& painter, const RECT& rcPaint) override;
  void PaintText(QPainter&) override {}
  void SyncNative() override;

 private:
  void EnsureNative();
  QPointer<QLineEdit> m_edit;
  CNativeBridge* m_bridge = nullptr;
  bool m_password = false;
  bool m_readOnly = false;
  int m_maxChar = 255;
  bool m_settingText = false;
  std::wstring m_prompt;
  std::wstring m_normalImage;
  std::wstring m_hotImage;
  std::wstring m_focusedImage;
  std::wstring m_disabledImage;
  uint32_t m_nativeBkColor = 0x00FFFFFF;
  bool m_hot = false;
};

}  // namespace DuiLib
