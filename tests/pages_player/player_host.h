// A small main window for the player and waiting pages: the pages of the real skin
// files, built by the pages' own factory, hosted so that the video target lies at
// (40, 60) of the window. Ad ticks reach the player page as they do in the main frame.
#pragma once

#include <QImage>
#include <QMouseEvent>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "pages/player_page.h"
#include "pages/waiting_page.h"
#include "player/video_frame.h"
#include "toolkit/window_impl_base.h"

namespace zv::test {

// Runs the window thread's loop until pred holds or the time is up.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000);
void Pump(int ms);

class CPageHost : public DuiLib::WindowImplBase {
 public:
  // The page class ("ShowPlayerWindow" or "WaitingPageWindow") placed at (16, 50).
  explicit CPageHost(std::wstring pageClass = L"ShowPlayerWindow");
  ~CPageHost() override;

  void Open();
  QImage Grab();
  // Real mouse input through the window's host widget, at window client coordinates.
  void Mouse(QEvent::Type type, int x, int y);
  void Press(int x, int y) { Mouse(QEvent::MouseButtonPress, x, y); }
  void Release(int x, int y) { Mouse(QEvent::MouseButtonRelease, x, y); }
  void Move(int x, int y) { Mouse(QEvent::MouseMove, x, y); }
  void DoubleClick(int x, int y) { Mouse(QEvent::MouseButtonDblClick, x, y); }

  DuiLib::CPaintManagerUI& Manager() { return m_PaintManager; }
  DuiLib::CControlUI* Find(const wchar_t* name) { return m_PaintManager.FindControl(name); }

  zv::pages::CShowPlayerUI* player = nullptr;
  zv::pages::CWaitingPageUI* waiting = nullptr;
  int adTicks = 0;
  std::vector<DuiLib::UINT> events;  // application events that reached the window
  bool initialised = false;
  // Extra controls for the skin's classes the pages do not build.
  std::function<DuiLib::CControlUI*(const std::wstring&)> factory;
  std::wstring extraXml;

  void Notify(DuiLib::TNotifyUI& msg) override;
  DuiLib::CControlUI* CreateControl(const wchar_t* cls) override;
  DuiLib::LRESULT HandleMessage(DuiLib::UINT msg, DuiLib::WPARAM wParam, DuiLib::LPARAM lParam) override;

 protected:
  std::wstring GetSkinFolder() override { return L""; }
  std::wstring GetSkinFile() override;
  const wchar_t* GetWindowClassName() const override { return L"PageHost"; }
  void OnFinalMessage(DuiLib::HWND) override;

 private:
  std::wstring m_pageClass;
};

// A converted picture as the stream player hands it over: bottom-up BGRA.
class CTestPicture {
 public:
  CTestPicture(int width, int height);
  // Picture coordinates, top row 0.
  void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b);
  void Fill(uint8_t r, uint8_t g, uint8_t b);
  // A pixel that tells where it is: red and green carry x and y, blue their high bits.
  void FillWithCoordinates();
  static QColor CoordinateColor(int x, int y);
  void Disc(int cx, int cy, int diameter, uint8_t r, uint8_t g, uint8_t b);
  const zv::VideoFrame* Frame() { return &m_frame; }
  int Width() const { return m_width; }
  int Height() const { return m_height; }

 private:
  int m_width;
  int m_height;
  std::vector<uint8_t> m_pixels;
  zv::VideoFrame m_frame;
};

}  // namespace zv::test
