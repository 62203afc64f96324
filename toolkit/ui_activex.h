// The web browser host. Built with QtWebEngine it embeds a real browser view; without it
// the control shows the address it was sent to, so layouts and tests behave the same.
#pragma once

#include <QPointer>
#include <vector>

#include "toolkit/ui_control.h"

class QWidget;

namespace DuiLib {

class CActiveXUI : public CControlUI {
 public:
  std::wstring GetClass() const override { return L"ActiveXUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  const std::wstring& GetClsid() const { return m_clsid; }

 protected:
  std::wstring m_clsid;
};

// Answers of the page host; a subclass changes what the browser may show.
class CWebBrowserEventHandler {
 public:
  virtual ~CWebBrowserEventHandler() = default;
  // True keeps the browser's context menu away.
  virtual bool ShowContextMenu() { return true; }
  // False lets the browser show its own user interface.
  virtual bool ShowUI() { return false; }
  // Style sheet applied to every page, e.g. "BODY{Zoom:100%;}".
  virtual std::wstring GetHostStyleSheet() { return L""; }
  virtual bool ScrollBarsAllowed() { return true; }
  virtual void NavigateComplete(const std::wstring&) {}
};

class CWebBrowserUI : public CActiveXUI {
 public:
  CWebBrowserUI();
  ~CWebBrowserUI() override;
  std::wstring GetClass() const override { return L"WebBrowserUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void Navigate2(const std::wstring& url);
  const std::wstring& GetLocationURL() const { return m_url; }
  // Every address navigated to, oldest first (the automation's state shows it).
  const std::vector<std::wstring>& History() const { return m_history; }
  void SetWebBrowserEventHandler(CWebBrowserEventHandler* handler) { m_handler = handler; }
  CWebBrowserEventHandler* GetWebBrowserEventHandler() const { return m_handler; }
  std::wstring GetText() const override { return m_url; }
  void DoInit() override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintText(QPainter& painter) override;
  void SyncNative() override;

 private:
  void EnsureNative();
  std::wstring m_url;
  std::wstring m_homePage;
  std::vector<std::wstring> m_history;
  CWebBrowserEventHandler* m_handler = nullptr;
  QPointer<QWidget> m_view;
};

}  // namespace DuiLib
