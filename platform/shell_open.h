// The desktop shell's "open": web addresses go to the desktop's browser, files are run
// as detached programs. Answers follow the platform's convention: above 32 is success.
#pragma once

#include <string>
#include <vector>

namespace zv {

enum : int {
  SE_ERR_FNF = 2,
  SE_ERR_PNF = 3,
  SE_ERR_ACCESSDENIED = 5,
  SE_ERR_NOASSOC = 31,
  SE_OPEN_OK = 42,
};

int ShellOpen(const std::wstring& target, const std::wstring& parameters = L"", int showCommand = 5);
// Every target opened (or tried) in this process, oldest first.
std::vector<std::wstring> ShellOpenHistory();

}  // namespace zv
