// The Qt application these tests share, and a loop runner for posted messages.
#pragma once

#include <functional>

namespace zvtest {

// Runs the window thread's loop until pred holds or the time is up.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000);

}  // namespace zvtest
