// A window built from a skin file: creates its paint manager and control tree when the
// window is created, passes input to the controls and reports their notifications.
#pragma once

#include "toolkit/ui_builder.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_window.h"

namespace DuiLib {

enum UILIB_RESOURCETYPE { UILIB_FILE = 1, UILIB_ZIP, UILIB_RESOURCE, UILIB_ZIPRESOURCE };

class WindowImplBase : public CWindowWnd, public INotifyUI, public IMessageFilterUI, public IDialogBuilderCallback {
 public:
  WindowImplBase() = default;
  ~WindowImplBase() override = default;

  LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
  void Notify(TNotifyUI&) override {}
  // Pre-filter of the window's messages; the base swallows Escape.
  LRESULT MessageHandler(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled) override;
  CControlUI* CreateControl(const wchar_t*) override { return nullptr; }
  CPaintManagerUI& GetPaintManager() { return m_PaintManager; }

 protected:
  virtual std::wstring GetSkinFolder() = 0;
  virtual std::wstring GetSkinFile() = 0;
  virtual UILIB_RESOURCETYPE GetResourceType() const { return UILIB_FILE; }
  virtual std::wstring GetZIPFileName() const { return L""; }
  // Runs after the skin is built, before the window is shown.
  virtual void InitWindow() {}

  virtual LRESULT OnCreate(UINT, WPARAM, LPARAM, bool& bHandled);
  virtual LRESULT OnClose(UINT, WPARAM, LPARAM, bool& bHandled);
  virtual LRESULT OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled);
  virtual LRESULT OnNcActivate(UINT, WPARAM, LPARAM, bool& bHandled);
  virtual LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, bool& bHandled);
  virtual LRESULT OnSysCommand(UINT, WPARAM, LPARAM, bool& bHandled);
  // Other messages a subclass wants before the controls see them.
  virtual LRESULT HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled);
  // Unregisters, reaps the control tree and deletes the object.
  void OnFinalMessage(HWND hWnd) override;
  bool PreFilter(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) override;

  CPaintManagerUI m_PaintManager;
};

}  // namespace DuiLib
