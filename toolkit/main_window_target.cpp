#include "toolkit/main_window_target.h"

#include "toolkit/ui_window.h"

namespace DuiLib {

void CMainWindowTarget::PostEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  DuiLib::PostMessage(m_hWnd.load(), message, wParam, lParam);
}

intptr_t CMainWindowTarget::SendEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return DuiLib::SendMessage(m_hWnd.load(), message, wParam, lParam);
}

}  // namespace DuiLib
