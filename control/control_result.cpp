#include "control/control_result.h"

namespace zv {

std::wstring GetControlErrorText(int32_t code) {
  switch (code) {
    case kControlNoPad:
      return L"找不到PAD信息";
    case kControlNoNode:
      return L"找不到控制节点";
    case kControlConnectFailed:
      return L"连接服务器失败";
    case kControlResolveFailed:
      return L"域名解析错误";
    default:
      return L"未知错误";
  }
}

}  // namespace zv
