#include "toolkit/ui_attributes.h"

#include <QString>
#include <mutex>
#include <set>

#include "toolkit/ui_diagnostics.h"

namespace DuiLib {

std::vector<std::pair<std::wstring, std::wstring>> ParseAttributeList(const std::wstring& list) {
  std::vector<std::pair<std::wstring, std::wstring>> out;
  size_t i = 0;
  while (i < list.size()) {
    while (i < list.size() && (list[i] == L' ' || list[i] == L'\t' || list[i] == L'\n' || list[i] == L'\r')) ++i;
    size_t eq = list.find(L'=', i);
    if (eq == std::wstring::npos) break;
    std::wstring key = list.substr(i, eq - i);
    while (!key.empty() && key.back() == L' ') key.pop_back();
    size_t q = eq + 1;
    while (q < list.size() && list[q] == L' ') ++q;
    if (q >= list.size() || (list[q] != L'"' && list[q] != L'\'')) break;
    wchar_t quote = list[q];
    size_t end = list.find(quote, q + 1);
    if (end == std::wstring::npos) break;
    out.emplace_back(key, list.substr(q + 1, end - q - 1));
    i = end + 1;
  }
  return out;
}

bool WarnUnknownAttribute(const std::wstring& controlClass, const std::wstring& attribute) {
  static std::mutex mutex;
  static std::set<std::pair<std::wstring, std::wstring>> seen;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (!seen.insert({controlClass, attribute}).second) return false;
  }
  ReportDiagnostic("unknown attribute '" + QString::fromStdWString(attribute).toStdString() + "' on " +
                   QString::fromStdWString(controlClass).toStdString());
  return true;
}

}  // namespace DuiLib
