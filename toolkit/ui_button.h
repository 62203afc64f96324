// Buttons and options: state images (normal, hot, pushed, focused, disabled, selected),
// the press-and-release click, and option groups where one member is selected.
#pragma once

#include "toolkit/ui_label.h"

namespace DuiLib {

class CButtonUI : public CLabelUI {
 public:
  CButtonUI();
  std::wstring GetClass() const override { return L"ButtonUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  bool IsFocusable() const override { return true; }
  UINT GetButtonState() const { return m_buttonState; }
  void SetNormalImage(const std::wstring& image);
  const std::wstring& GetNormalImage() const { return m_normalImage; }
  void SetHotImage(const std::wstring& image);
  const std::wstring& GetHotImage() const { return m_hotImage; }
  void SetPushedImage(const std::wstring& image);
  const std::wstring& GetPushedImage() const { return m_pushedImage; }
  void SetFocusedImage(const std::wstring& image);
  void SetDisabledImage(const std::wstring& image);
  const std::wstring& GetDisabledImage() const { return m_disabledImage; }
  void SetHotTextColor(uint32_t argb) { m_hotTextColor = argb; }
  void SetPushedTextColor(uint32_t argb) { m_pushedTextColor = argb; }
  void SetEnabled(bool enabled = true) override;
  // What a completed click does; options toggle here.
  virtual bool Activate();
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoEvent(TEventUI& event) override;
  void PaintStatusImage(QPainter& painter, const RECT& rcPaint) override;
  void PaintText(QPainter& painter) override;

 protected:
  UINT m_buttonState = 0;
  std::wstring m_normalImage;
  std::wstring m_hotImage;
  std::wstring m_pushedImage;
  std::wstring m_focusedImage;
  std::wstring m_disabledImage;
  uint32_t m_hotTextColor = 0;
  uint32_t m_pushedTextColor = 0;
};

class COptionUI : public CButtonUI {
 public:
  std::wstring GetClass() const override { return L"OptionUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  const std::wstring& GetGroup() const { return m_group; }
  void SetGroup(const std::wstring& group);
  bool IsSelected() const { return m_selected; }
  // Selecting one member of a group unselects the others; every change notifies
  // "selectchanged" unless notify is false.
  virtual void Selected(bool selected, bool notify = true);
  void SetSelectedImage(const std::wstring& image);
  const std::wstring& GetSelectedImage() const { return m_selectedImage; }
  void SetSelectedHotImage(const std::wstring& image);
  void SetSelectedTextColor(uint32_t argb) { m_selectedTextColor = argb; }
  bool Activate() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintStatusImage(QPainter& painter, const RECT& rcPaint) override;
  void PaintText(QPainter& painter) override;
  void PaintBkColor(QPainter& painter) override;

 private:
  std::wstring m_group;
  bool m_selected = false;
  std::wstring m_selectedImage;
  std::wstring m_selectedHotImage;
  uint32_t m_selectedTextColor = 0;
  uint32_t m_selectedBkColor = 0;
};

}  // namespace DuiLib
