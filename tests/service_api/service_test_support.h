// Shared by the service API tests: a UTF-8 locale for the ANSI conversions, and a way to
// put the process-wide account model back to its start state between tests.
#pragma once

#include <functional>

namespace zv::test {

void ResetAccountModel();

// Runs the body with LC_ALL switched to the given locale, then restores the previous one.
// False when the machine lacks the locale.
bool WithLocale(const char* locale, const std::function<void()>& body);

}  // namespace zv::test
