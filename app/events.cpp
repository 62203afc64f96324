#include "app/events.h"

namespace zv {

std::wstring GetEventText(uint32_t event) {
  switch (event) {
    case UWM_SESSION_TIMEOUT: return L"会话超时，请重新登录！";
    case UWM_CTRL_CONNECT_FAILED: return L"连接服务器失败";
    case UWM_CTRL_CONNECTION_LOST: return L"到服务器的连接断开";
    case UWM_PAD_OFFLINE: return L"平板不在线";
    case UWM_PAD_CONNECTION_LOST: return L"到平板的连接断开";
    case UWM_CONTROL_TIME_EXHAUSTED: return L"您的控制时间不足！";
    case UWM_PAD_NOT_CONTROLLABLE: return L"平板不可控，请联系管理员！";
    case UWM_IDLE_TIMEOUT: return L"空闲时间过长";
    case UWM_CONTROLLED_ELSEWHERE: return L"用户在其他地方控制本平板";
    case UWM_STREAM_SERVER_FAULT: return L"图像服务器故障，请联系客服";
    case UWM_STREAM_CONNECT_FAILED: return L"连接图像服务器失败";
    default: return std::wstring();
  }
}

std::wstring GetQualityName(int32_t level) {
  switch (level) {
    case QUALITY_HD: return L"高清";
    case QUALITY_NORMAL: return L"普通";
    case QUALITY_FAST: return L"高速";
    case QUALITY_ULTRA_FAST: return L"极速";
    default: return std::wstring();
  }
}

}  // namespace zv
