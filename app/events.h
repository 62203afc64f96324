// The one catalogue of application events, page commands, timer ids and their texts.
// Workers reach the main window only through these values (see CMainWindowNotifier).
#pragma once

#include <cstdint>
#include <string>

namespace zv {

// Window message numbers. The platform's WM_USER is 0x0400.
enum AppEvent : uint32_t {
  UWM_LOGIN_DONE = 0x0401,
  UWM_PAGE_COMMAND = 0x040A,
  UWM_LOGIN_RESULT = 0x040B,
  UWM_NOTICE_SIGNAL = 0x040C,
  UWM_LOGIN_WITH = 0x040F,
  UWM_PAY_INFO = 0x0410,
  UWM_REFRESH_ACCOUNT = 0x0411,

  UWM_SESSION_TIMEOUT = 0x2400,

  UWM_CTRL_CONNECT_FAILED = 0x3400,
  UWM_CTRL_CONNECTION_LOST = 0x3401,
  UWM_PAD_OFFLINE = 0x3402,
  UWM_PAD_CONNECTION_LOST = 0x3403,
  UWM_CONTROL_TIME_EXHAUSTED = 0x3404,
  UWM_PAD_NOT_CONTROLLABLE = 0x3406,
  UWM_CTRL_RECONNECTING = 0x3410,

  UWM_IDLE_TIMEOUT = 0x4401,
  UWM_CONTROLLED_ELSEWHERE = 0x4402,
  UWM_QUEUE_STATUS = 0x4403,

  UWM_STREAM_STARTED = 0x5400,
  UWM_STREAM_SERVER_FAULT = 0x5402,
  UWM_STREAM_CONNECT_FAILED = 0x5403,
  UWM_VIDEO_SIZE = 0x5410,
  UWM_VIDEO_FRAME = 0x5411,
  UWM_LOW_BANDWIDTH = 0x5412,
  UWM_STREAM_ENDED = 0x5414,
  UWM_QUALITY_CHANGED = 0x5415,
  UWM_NETWORK_LEVEL = 0x5416,

  UWM_TRAY_NOTIFY = 0x8001,
};

// Posted to the notice worker's own queue, not to a window.
constexpr uint32_t UWM_NOTICE_MARK_READ = 0x040E;

// Sub-codes of UWM_PAGE_COMMAND (wParam).
enum PageCommand : uint32_t {
  PAGE_CMD_LOG_OUT = 0,
  PAGE_CMD_SHOW_WAITING = 1,
  PAGE_CMD_SHOW_APPLY = 2,
  PAGE_CMD_SHOW_DEVICE_LIST = 3,
  PAGE_CMD_OPEN_PLAYER = 4,
  PAGE_CMD_PAY_OVERLAY = 6,
  PAGE_CMD_FAULT_FEEDBACK = 8,
  PAGE_CMD_RECHARGE = 9,
  PAGE_CMD_PAY_ORDER = 10,
  PAGE_CMD_ORDERS = 11,
  PAGE_CMD_EXCHANGE = 12,
  PAGE_CMD_AGREEMENT = 13,
};

// Timer ids: window timers, the notice worker's thread timer and the timer service's.
enum TimerId : int32_t {
  TIMER_BIND_SMS_COUNTDOWN = 0x0464,
  TIMER_AUTO_LOGIN = 0x0465,
  TIMER_LOGIN_MIN_WAIT = 0x0466,
  TIMER_NOTICE_FLICKER = 0x0467,
  TIMER_WAITING_ANIMATION = 0x0468,
  TIMER_AD_COUNTDOWN = 0x046A,
  TIMER_NOTICE_POLL = 0x04C8,
  TIMER_AUTO_QUALITY = 0x7400,
  TIMER_NETWORK_SAMPLE = 0x7401,
};

enum QualityLevel : int32_t { QUALITY_HD = 0, QUALITY_NORMAL = 1, QUALITY_FAST = 2, QUALITY_ULTRA_FAST = 3 };
enum NetworkLevel : int32_t { NETWORK_GREEN = 0, NETWORK_YELLOW = 1, NETWORK_RED = 2 };

// Standard window messages and values the frame treats specially.
constexpr uint32_t WM_TIMER = 0x0113;
constexpr uint32_t WM_SYSCOMMAND = 0x0112;
constexpr uintptr_t SC_MINIMIZE = 0xF020;
constexpr intptr_t WM_LBUTTONDOWN = 0x0201;

// The text the main frame shows for a session-ending event; empty for any other value.
std::wstring GetEventText(uint32_t event);

// The quality name a balloon shows: "高清", "普通", "高速", "极速"; empty outside 0..3.
std::wstring GetQualityName(int32_t level);

}  // namespace zv
