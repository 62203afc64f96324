// Shared pieces of the toolkit tests: the Qt application, a window built from the
// sample skin that records its notifications, and real mouse input at a control.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <functional>
#include <string>
#include <vector>

#include "toolkit/ui_control.h"
#include "toolkit/ui_window_host.h"
#include "toolkit/window_impl_base.h"

namespace zvtest {

// Folder of the sample skin below the source tree.
std::wstring SkinFolder();

// Runs the window thread's loop until pred holds or the time is up.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000);
void Pump(int ms);

class CTestWindow : public DuiLib::WindowImplBase {
 public:
  explicit CTestWindow(std::wstring skin = L"main.xml") : m_skin(std::move(skin)) {}
  std::vector<std::string> notes;
  std::function<void(DuiLib::TNotifyUI&)> onNotify;
  std::function<DuiLib::LRESULT(DuiLib::UINT, DuiLib::WPARAM, DuiLib::LPARAM, bool&)> onMessage;
  std::function<DuiLib::CControlUI*(const std::wstring&)> factory;
  bool finalCalled = false;

  void Notify(DuiLib::TNotifyUI& msg) override;
  DuiLib::CControlUI* CreateControl(const wchar_t* cls) override;
  DuiLib::CPaintManagerUI& Manager() { return m_PaintManager; }
  DuiLib::CControlUI* Find(const wchar_t* name) { return m_PaintManager.FindControl(name); }
  bool Has(const std::string& note) const;
  // Creates a visible top-level window of the skin's size and lays it out.
  void Open();

 protected:
  std::wstring GetSkinFolder() override { return L""; }
  std::wstring GetSkinFile() override { return m_skin; }
  const wchar_t* GetWindowClassName() const override { return L"TestWindow"; }
  DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT m, DuiLib::WPARAM w, DuiLib::LPARAM l, bool& handled) override;
  void OnFinalMessage(DuiLib::HWND) override;

 private:
  std::wstring m_skin;
};

// Press and release of the left button at the control's centre, through the window.
void ClickControl(DuiLib::CControlUI* control, bool doubleClick = false);
void MouseAt(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton);

}  // namespace zvtest
