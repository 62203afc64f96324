// Basic types of the window toolkit: rectangles, points, message numbers and window styles
// with the values the client's code is written against.
#pragma once

#include <cstdint>
#include <string>

namespace DuiLib {

using UINT = uint32_t;
using DWORD = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using COLORREF = uint32_t;  // 0x00BBGGRR
using CDuiString = std::wstring;

class CWindowHost;
// A window handle is the Qt widget that hosts the window; null means no window.
using HWND = CWindowHost*;

struct POINT {
  int x = 0;
  int y = 0;
};

struct SIZE {
  int cx = 0;
  int cy = 0;
};

struct RECT {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(POINT pt) const { return pt.x >= left && pt.x < right && pt.y >= top && pt.y < bottom; }
  bool operator==(const RECT&) const = default;
};

bool IntersectRect(RECT& out, const RECT& a, const RECT& b);
RECT UnionRect(const RECT& a, const RECT& b);

constexpr LPARAM MakeLParam(int lo, int hi) {
  return static_cast<LPARAM>(static_cast<uint32_t>((static_cast<uint32_t>(hi) & 0xFFFF) << 16) |
                             (static_cast<uint32_t>(lo) & 0xFFFF));
}
constexpr int GetXParam(LPARAM l) { return static_cast<int16_t>(static_cast<uint32_t>(l) & 0xFFFF); }
constexpr int GetYParam(LPARAM l) { return static_cast<int16_t>((static_cast<uint32_t>(l) >> 16) & 0xFFFF); }

// Window messages.
enum : UINT {
  WM_CREATE = 0x0001,
  WM_DESTROY = 0x0002,
  WM_MOVE = 0x0003,
  WM_SIZE = 0x0005,
  WM_SETFOCUS = 0x0007,
  WM_KILLFOCUS = 0x0008,
  WM_PAINT = 0x000F,
  WM_CLOSE = 0x0010,
  WM_QUIT = 0x0012,
  WM_SHOWWINDOW = 0x0018,
  WM_NCACTIVATE = 0x0086,
  WM_DISPLAYCHANGE = 0x007E,
  WM_NCHITTEST = 0x0084,
  WM_NCDESTROY = 0x0082,
  WM_KEYDOWN = 0x0100,
  WM_KEYUP = 0x0101,
  WM_CHAR = 0x0102,
  WM_SYSCOMMAND = 0x0112,
  WM_TIMER = 0x0113,
  WM_MOUSEMOVE = 0x0200,
  WM_LBUTTONDOWN = 0x0201,
  WM_LBUTTONUP = 0x0202,
  WM_LBUTTONDBLCLK = 0x0203,
  WM_RBUTTONDOWN = 0x0204,
  WM_RBUTTONUP = 0x0205,
  WM_MOUSEWHEEL = 0x020A,
  WM_MOUSELEAVE = 0x02A3,
  WM_USER = 0x0400,
};

enum : WPARAM { SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030, SC_CLOSE = 0xF060, SC_RESTORE = 0xF120 };

// Virtual key codes the toolkit understands.
enum : WPARAM { VK_TAB = 0x09, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_SPACE = 0x20 };

// Window styles.
enum : DWORD {
  WS_POPUP = 0x80000000u,
  WS_CHILD = 0x40000000u,
  WS_MINIMIZE = 0x20000000u,
  WS_VISIBLE = 0x10000000u,
  WS_DISABLED = 0x08000000u,
  WS_CLIPSIBLINGS = 0x04000000u,
  WS_CLIPCHILDREN = 0x02000000u,
  WS_CAPTION = 0x00C00000u,
  WS_SYSMENU = 0x00080000u,
  WS_THICKFRAME = 0x00040000u,
  WS_MINIMIZEBOX = 0x00020000u,
  WS_MAXIMIZEBOX = 0x00010000u,
  WS_OVERLAPPEDWINDOW = 0x00CF0000u,
  UI_WNDSTYLE_FRAME = WS_VISIBLE | WS_OVERLAPPEDWINDOW,
  UI_WNDSTYLE_CHILD = WS_VISIBLE | WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
  UI_WNDSTYLE_DIALOG = WS_VISIBLE | WS_POPUP | WS_SYSMENU | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
};

enum : DWORD {
  WS_EX_TOPMOST = 0x00000008u,
  WS_EX_TOOLWINDOW = 0x00000080u,
  WS_EX_WINDOWEDGE = 0x00000100u,
  WS_EX_APPWINDOW = 0x00040000u,
  WS_EX_LAYERED = 0x00080000u,
  UI_WNDSTYLE_EX_FRAME = WS_EX_WINDOWEDGE,
  UI_WNDSTYLE_EX_DIALOG = WS_EX_TOOLWINDOW,
};

// ShowWindow commands.
enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_RESTORE = 9 };

// Hit-test answers of WM_NCHITTEST.
enum : LRESULT { HTCLIENT = 1, HTCAPTION = 2 };

// Control state bits.
enum : UINT {
  UISTATE_FOCUSED = 0x01,
  UISTATE_SELECTED = 0x02,
  UISTATE_DISABLED = 0x04,
  UISTATE_HOT = 0x08,
  UISTATE_PUSHED = 0x10,
  UISTATE_CAPTURED = 0x40,
};

// Text alignment flags.
enum : UINT {
  DT_LEFT = 0x0000,
  DT_CENTER = 0x0001,
  DT_RIGHT = 0x0002,
  DT_TOP = 0x0000,
  DT_VCENTER = 0x0004,
  DT_BOTTOM = 0x0008,
  DT_WORDBREAK = 0x0010,
  DT_SINGLELINE = 0x0020,
  DT_END_ELLIPSIS = 0x8000,
};

}  // namespace DuiLib
