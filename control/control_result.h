// Result codes of CControlClient::Connect and the texts the device page shows for them.
#pragma once

#include <cstdint>
#include <string>

namespace zv {

constexpr int32_t kControlNoPad = static_cast<int32_t>(0x80002001u);   // device unknown or without node code
constexpr int32_t kControlNoNode = static_cast<int32_t>(0x80002002u);  // no node with that code
constexpr int32_t kControlConnectFailed = static_cast<int32_t>(0x80002003u);  // connect could not be started
constexpr int32_t kControlResolveFailed = static_cast<int32_t>(0x80002004u);  // name resolution failed twice

std::wstring GetControlErrorText(int32_t code);

}  // namespace zv
