// CLayeredWnd: a control of the main skin that owns a per-pixel-alpha popup drawn from the
// control's background image (the window frame with its shadow). The popup keeps a fixed
// offset from the main window; dragging it by its caption drags the main window along.
#pragma once

#include <QRegion>
#include <string>
#include <vector>

#include "toolkit/ui_base.h"
#include "toolkit/ui_control.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_window.h"

namespace DuiLib {

class CLayeredWnd : public CWindowWnd, public CControlUI {
 public:
  CLayeredWnd();
  ~CLayeredWnd() override;

  using CControlUI::GetName;

  // Window side.
  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  // Pushes the background image to the popup and applies the hollow region.
  virtual void Paint();

  // Control side.
  std::wstring GetClass() const override { return L"Layered"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init = true) override;
  void DoInit() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoPaint(QPainter& painter, const RECT& rcPaint) override;

  HWND GetPopup() const { return GetHWND(); }
  CPaintManagerUI& GetPopupManager() { return m_popupManager; }
  const std::vector<RECT>& GetHollowRects() const { return m_hollowRects; }
  bool IsPlacementPending() const { return m_placementPending; }
  // The popup's region: its own rectangle with every hollow rectangle xor-ed in.
  QRegion BuildRegion() const;

  // "HollowRect" words: the first character of each is skipped, then four integers
  // separated by single characters; words that do not read as four are ignored.
  static std::vector<RECT> ParseHollowRects(const std::wstring& value);

 protected:
  const wchar_t* GetWindowClassName() const override { return L"Layered"; }

 private:
  // The main window's own moves (its caption, the tray) bring the popup along, so that
  // the frame never stays behind.
  class CMainMoveFilter : public IMessageFilterUI {
   public:
    explicit CMainMoveFilter(CLayeredWnd& owner) : m_owner(owner) {}
    LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;

   private:
    CLayeredWnd& m_owner;
  };

  HWND MainWindow() const;
  void MoveMainToPopup();
  void MovePopupToMain();
  LRESULT HitTest(LPARAM lParam);

  CPaintManagerUI m_popupManager;
  CMainMoveFilter m_mainMoveFilter{*this};
  CPaintManagerUI* m_filteredManager = nullptr;
  std::vector<RECT> m_hollowRects;
  bool m_placementPending = true;
};

}  // namespace DuiLib
