// A platform window hosted in a Qt widget, with the message layer the client is written
// against: HandleMessage for every message, PostMessage from any thread, SendMessage that
// blocks a worker until the window thread has handled it, window timers as WM_TIMER.
#pragma once

#include <map>
#include <string>

#include "toolkit/ui_base.h"

class QEventLoop;
class QImage;
class QRegion;

namespace DuiLib {

enum : UINT { IDOK = 1, IDCANCEL = 2 };

class CWindowWnd {
 public:
  CWindowWnd();
  virtual ~CWindowWnd();
  CWindowWnd(const CWindowWnd&) = delete;
  CWindowWnd& operator=(const CWindowWnd&) = delete;

  HWND GetHWND() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }

  HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, int x = 0, int y = 0,
              int cx = 0, int cy = 0, void* hMenu = nullptr);
  HWND Create(HWND hwndParent, const wchar_t* pstrName, DWORD dwStyle, DWORD dwExStyle, const RECT& rc);
  // Shows the window and runs a nested loop until it is closed; answers the close code.
  UINT ShowModal();
  void Close(UINT nRet = IDOK);
  void ShowWindow(bool bShow = true, bool bTakeFocus = true);
  void CenterWindow();
  // Loads res<nRes>.png from the skin folder (or the program's folder).
  void SetIcon(UINT nRes);
  const std::wstring& GetName() const { return m_name; }
  DWORD GetStyle() const { return m_style; }

  LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
  bool PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
  bool SetTimer(UINT id, UINT elapse);
  bool KillTimer(UINT id);

  virtual LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);

  // Called by the host widget; not for the client's code.
  LRESULT DispatchFromHost(UINT uMsg, WPARAM wParam, LPARAM lParam, bool preFilter);
  void DestroyFromHost();
  void TimerFromHost(int qtTimerId);
  // Destroys the window now: WM_DESTROY, the end of a modal loop, then OnFinalMessage.
  void DestroyWindow();

 protected:
  virtual const wchar_t* GetWindowClassName() const = 0;
  virtual const wchar_t* GetSuperClassName() const { return nullptr; }
  virtual UINT GetClassStyle() const { return 0; }
  virtual void OnFinalMessage(HWND) {}
  // Messages nobody handled: WM_CLOSE destroys the window, WM_NCHITTEST answers client.
  LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
  // Runs the registered pre-filters of the window's paint manager.
  virtual bool PreFilter(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

  HWND m_hWnd = nullptr;

 private:
  std::wstring m_name;
  DWORD m_style = 0;
  DWORD m_exStyle = 0;
  UINT m_closeCode = IDOK;
  QEventLoop* m_modalLoop = nullptr;
  bool m_destroying = false;
  std::map<UINT, int> m_timers;  // window timer id -> Qt timer id
};

// The handle-based calls of the platform, for code that holds only a window handle.
bool IsWindow(HWND hWnd);
bool IsWindowVisible(HWND hWnd);
bool PostMessage(HWND hWnd, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
LRESULT SendMessage(HWND hWnd, UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0);
bool SetTimer(HWND hWnd, UINT id, UINT elapse);
bool KillTimer(HWND hWnd, UINT id);
bool MoveWindow(HWND hWnd, int x, int y, int cx, int cy);
// Screen rectangle of the window (for a child window: its place on the screen).
bool GetWindowRect(HWND hWnd, RECT& rc);
bool GetClientRect(HWND hWnd, RECT& rc);
bool ShowWindow(HWND hWnd, int cmd);
bool SetFocus(HWND hWnd);
bool DestroyWindow(HWND hWnd);
HWND GetParent(HWND hWnd);
CWindowWnd* GetWindowObject(HWND hWnd);
// Per-pixel-alpha windows: the picture is drawn under the controls until replaced.
bool UpdateLayeredWindow(HWND hWnd, const QImage& picture);
// The window's visible region (a mask); an empty region removes the mask.
bool SetWindowRgn(HWND hWnd, const QRegion& region);
// Hand or arrow cursor over the window.
bool SetHandCursor(HWND hWnd, bool hand);

}  // namespace DuiLib
