// A horizontal progress bar: the foreground image or colour covers value/max of it.
#pragma once

#include "toolkit/ui_label.h"

namespace DuiLib {

class CProgressUI : public CLabelUI {
 public:
  CProgressUI() { m_textStyle = DT_SINGLELINE | DT_VCENTER | DT_CENTER; }
  std::wstring GetClass() const override { return L"ProgressUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  int GetMinValue() const { return m_min; }
  void SetMinValue(int v);
  int GetMaxValue() const { return m_max; }
  void SetMaxValue(int v);
  int GetValue() const { return m_value; }
  // Values outside min..max are shown clamped; the stored value is clamped too.
  void SetValue(int v);
  void SetForeImage(const std::wstring& image);
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintStatusImage(QPainter& painter, const RECT& rcPaint) override;

 private:
  int m_min = 0;
  int m_max = 100;
  int m_value = 0;
  std::wstring m_foreImage;
  uint32_t m_foreColor = 0xFF2F7BFF;
};

}  // namespace DuiLib
