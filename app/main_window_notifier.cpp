#include "app/main_window_notifier.h"

namespace zv {

CMainWindowNotifier& CMainWindowNotifier::Instance() {
  static CMainWindowNotifier instance;
  return instance;
}

void CMainWindowNotifier::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (IMainWindowTarget* target = GetTarget()) target->PostEvent(message, wParam, lParam);
}

intptr_t CMainWindowNotifier::Send(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (IMainWindowTarget* target = GetTarget()) return target->SendEvent(message, wParam, lParam);
  return 0;
}

}  // namespace zv
