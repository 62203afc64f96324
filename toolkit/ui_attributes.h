// Reading attribute lists (`a="1" b='2'`) and warning once about attributes a control
// does not know.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace DuiLib {

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(const std::wstring& list);
// Reports the first use of each (class, attribute) pair; answers whether it reported.
bool WarnUnknownAttribute(const std::wstring& controlClass, const std::wstring& attribute);

}  // namespace DuiLib
