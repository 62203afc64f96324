// A horizontal layout that can be dragged: while the left button holds it, a dark
// rectangle of its size follows the mouse (drawn after the tree, over everything).
#pragma once

#include "toolkit/ui_container.h"

namespace zv::pages {

class CHorizontalLayout_Target : public DuiLib::CHorizontalLayoutUI {
 public:
  ~CHorizontalLayout_Target() override;
  std::wstring GetClass() const override { return L"HorizontalLayout_Target"; }
  DuiLib::CControlUI* GetInterface(const std::wstring& name) override;
  void DoEvent(DuiLib::TEventUI& event) override;
  void DoPostPaint(QPainter& painter, const DuiLib::RECT& rcPaint) override;

  bool IsCaptured() const { return (m_uButtonState & DuiLib::UISTATE_CAPTURED) != 0; }
  const DuiLib::RECT& DragRect() const { return m_rcDrag; }

 private:
  void BeginDrag(const DuiLib::POINT& pt);
  void EndDrag();
  void MoveDrag(const DuiLib::POINT& pt);

  DuiLib::RECT m_rcDrag{};
  DuiLib::POINT m_ptLast{};
};

}  // namespace zv::pages
