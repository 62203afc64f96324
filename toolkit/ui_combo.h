// A drop-down choice: the closed box shows the selected entry's text; a click opens a
// popup list of the entries, sized by SetDropBoxSize, and a pick reports "itemselect".
#pragma once

#include <QPointer>

#include "toolkit/ui_list.h"

class QListWidget;

namespace DuiLib {

class CComboUI : public CContainerUI, public IListOwnerUI {
 public:
  CComboUI();
  ~CComboUI() override;
  std::wstring GetClass() const override { return L"ComboUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  bool IsFocusable() const override { return true; }
  bool AddAt(CControlUI* control, int index) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;
  int GetCurSel() const override { return m_curSel; }
  bool SelectItem(int index, bool takeFocus = false) override;
  uint32_t ItemBkColor(bool selected, bool hot) const override;
  uint32_t ItemTextColor(bool) const override { return 0; }
  std::wstring GetText() const override;
  SIZE GetDropBoxSize() const { return m_dropSize; }
  void SetDropBoxSize(SIZE size) { m_dropSize = size; }
  bool Activate();
  bool IsDropped() const;
  std::vector<std::wstring> ItemTexts() const;

  void SetPos(RECT rc, bool needInvalidate = true) override;
  CControlUI* FindControlAt(POINT pt) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoEvent(TEventUI& event) override;
  void DoPaint(QPainter& painter, const RECT& rcPaint) override;

 private:
  void Reindex();
  int m_curSel = -1;
  SIZE m_dropSize{0, 150};
  UINT m_buttonState = 0;
  std::wstring m_normalImage;
  std::wstring m_hotImage;
  std::wstring m_pushedImage;
  std::wstring m_disabledImage;
  uint32_t m_textColor = 0;
  RECT m_textPadding{8, 0, 24, 0};
  QPointer<QListWidget> m_popup;
};

}  // namespace DuiLib
