// How workers reach the main window. The target is an interface: the toolkit's main
// window implements it, and tests replace it with a recorder that runs its own loop.
#pragma once

#include <atomic>
#include <cstdint>

namespace zv {

class IMainWindowTarget {
 public:
  virtual ~IMainWindowTarget() = default;
  // Queues the event for the window thread and returns at once.
  virtual void PostEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
  // Runs the event on the window thread; a caller on another thread blocks until the
  // handler has returned, a caller on the window thread calls it directly.
  virtual intptr_t SendEvent(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
};

class CMainWindowNotifier {
 public:
  static CMainWindowNotifier& Instance();

  // Written by start-up once the main window exists (and by tests).
  void SetTarget(IMainWindowTarget* target) { m_target.store(target, std::memory_order_release); }
  IMainWindowTarget* GetTarget() const { return m_target.load(std::memory_order_acquire); }

  // Without a main window both are no-ops; Send then answers 0.
  void Post(uint32_t message, uintptr_t wParam, intptr_t lParam);
  intptr_t Send(uint32_t message, uintptr_t wParam, intptr_t lParam);

 private:
  CMainWindowNotifier() = default;
  std::atomic<IMainWindowTarget*> m_target{nullptr};
};

}  // namespace zv
