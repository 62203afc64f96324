// Lists: a vertical, scrollable column of items with one selected row. Items are
// containers built from their own skin files (CListContainerElementUI) or text rows
// (CListLabelElementUI); a press selects and reports "itemclick", a double click
// reports "itemactivate".
#pragma once

#include "toolkit/ui_container.h"
#include "toolkit/ui_label.h"

namespace DuiLib {

class IListOwnerUI {
 public:
  virtual ~IListOwnerUI() = default;
  virtual int GetCurSel() const = 0;
  virtual bool SelectItem(int index, bool takeFocus = false) = 0;
  virtual uint32_t ItemBkColor(bool selected, bool hot) const = 0;
  virtual uint32_t ItemTextColor(bool selected) const = 0;
};

class IListItemUI {
 public:
  virtual ~IListItemUI() = default;
  virtual void SetOwner(IListOwnerUI* owner) = 0;
  virtual IListOwnerUI* GetOwner() const = 0;
  virtual int GetIndex() const = 0;
  virtual void SetIndex(int index) = 0;
  virtual bool IsSelected() const = 0;
  virtual void SetSelectedState(bool selected) = 0;
};

// Press, double click and hover handling shared by both kinds of items.
class CListItemBehaviour {
 public:
  bool Handle(CControlUI& self, IListItemUI& item, TEventUI& event, bool& hot);
};

class CListContainerElementUI : public CContainerUI, public IListItemUI {
 public:
  std::wstring GetClass() const override { return L"ListContainerElementUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void SetOwner(IListOwnerUI* owner) override { m_owner = owner; }
  IListOwnerUI* GetOwner() const override { return m_owner; }
  int GetIndex() const override { return m_index; }
  void SetIndex(int index) override { m_index = index; }
  bool IsSelected() const override { return m_selected; }
  void SetSelectedState(bool selected) override;
  bool Select(bool select = true);
  void DoEvent(TEventUI& event) override;
  void PaintBkColor(QPainter& painter) override;

 private:
  IListOwnerUI* m_owner = nullptr;
  int m_index = -1;
  bool m_selected = false;
  bool m_hot = false;
  CListItemBehaviour m_behaviour;
};

class CListLabelElementUI : public CLabelUI, public IListItemUI {
 public:
  CListLabelElementUI();
  std::wstring GetClass() const override { return L"ListLabelElementUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void SetOwner(IListOwnerUI* owner) override { m_owner = owner; }
  IListOwnerUI* GetOwner() const override { return m_owner; }
  int GetIndex() const override { return m_index; }
  void SetIndex(int index) override { m_index = index; }
  bool IsSelected() const override { return m_selected; }
  void SetSelectedState(bool selected) override;
  bool Select(bool select = true);
  void DoEvent(TEventUI& event) override;
  void PaintBkColor(QPainter& painter) override;
  void PaintText(QPainter& painter) override;

 private:
  IListOwnerUI* m_owner = nullptr;
  int m_index = -1;
  bool m_selected = false;
  bool m_hot = false;
  CListItemBehaviour m_behaviour;
};

IListItemUI* AsListItem(CControlUI* control);

class CListUI : public CVerticalLayoutUI, public IListOwnerUI {
 public:
  std::wstring GetClass() const override { return L"ListUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  bool AddAt(CControlUI* control, int index) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;
  int GetCurSel() const override { return m_curSel; }
  // Selects the row and reports "itemselect"; -1 clears the selection.
  bool SelectItem(int index, bool takeFocus = false) override;
  uint32_t ItemBkColor(bool selected, bool hot) const override;
  uint32_t ItemTextColor(bool selected) const override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Texts of the rows, for the automation's tree.
  std::vector<std::wstring> ItemTexts() const;

 private:
  void Reindex();
  int m_curSel = -1;
  uint32_t m_itemBk = 0;
  uint32_t m_itemHotBk = 0xFFEEF3FB;
  uint32_t m_itemSelectedBk = 0xFFE3EDFF;
  uint32_t m_itemText = 0;
  uint32_t m_itemSelectedText = 0;
};

std::wstring FirstText(CControlUI* control);

}  // namespace DuiLib
