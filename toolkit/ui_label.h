// Text controls: a label with alignment, colours and padding.
#pragma once

#include "toolkit/ui_control.h"

namespace DuiLib {

class CLabelUI : public CControlUI {
 public:
  std::wstring GetClass() const override { return L"LabelUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void SetTextStyle(UINT style);
  UINT GetTextStyle() const { return m_textStyle; }
  void SetTextColor(uint32_t argb);
  uint32_t GetTextColor() const { return m_textColor; }
  void SetDisabledTextColor(uint32_t argb);
  void SetTextPadding(RECT rc);
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintText(QPainter& painter) override;

 protected:
  void PaintTextIn(QPainter& painter, uint32_t color);
  UINT m_textStyle = DT_VCENTER | DT_SINGLELINE;
  uint32_t m_textColor = 0;
  uint32_t m_disabledTextColor = 0;
  RECT m_textPadding{};
};

class CTextUI : public CLabelUI {
 public:
  CTextUI() { m_textStyle = DT_WORDBREAK; }
  std::wstring GetClass() const override { return L"TextUI"; }
};

}  // namespace DuiLib
