// Lets workers reach a toolkit window through zv::CMainWindowNotifier: posted events
// become posted window messages, sent events sent ones (blocking the worker until the
// window thread has handled them).
#pragma once

#include <atomic>

#include "app/main_window_notifier.h"
#include "toolkit/ui_base.h"

namespace DuiLib {

class CMainWindowTarget : public zv::IMainWindowTarget {
 public:
  explicit CMainWindowTarget(HWND hWnd = nullptr) : m_hWnd(hWnd) {}
  void SetWindow(HWND hWnd) { m_hWnd.store(hWnd); }
  HWND GetWindow() const { return m_hWnd.load(); }
  // A window that is gone drops posted events and answers 0 to sent ones.
  void PostEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  intptr_t SendEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

 private:
  std::atomic<HWND> m_hWnd;
};

}  // namespace DuiLib
