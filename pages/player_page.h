// The player page: the ad shown before control, then the device's picture painted
// unscaled at the top-left of the video target, with the mouse over it forwarded to the
// device as pointer messages in picture coordinates.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "pages/custom_web_event_handler.h"
#include "toolkit/ui_builder.h"
#include "toolkit/ui_container.h"
#include "ui/page_interfaces.h"

namespace DuiLib {
class CTabLayoutUI;
class CWebBrowserUI;
}  // namespace DuiLib

namespace zv {
struct PadInfo;
}

namespace zv::ui {
class CChildPage;
}

namespace zv::pages {

// Where the simulated phone's pointer disc was found in a painted frame.
struct ShownFrame {
  int64_t shownMs = 0;  // CLOCK_MONOTONIC
  bool hasMarker = false;
  int markerX = 0;
  int markerY = 0;
};

class CShowPlayerUI : public DuiLib::CContainerUI,
                      public DuiLib::IDialogBuilderCallback,
                      public zv::ui::IPlayerPage {
 public:
  static constexpr int kVideoTab = 1;
  static constexpr int kAdTab = 0;
  static constexpr size_t kRecentFrames = 32;

  CShowPlayerUI(const std::wstring& skinFile, const std::wstring& name, DuiLib::CPaintManagerUI& manager);
  ~CShowPlayerUI() override;

  std::wstring GetClass() const override { return L"ShowPlayerUI"; }
  DuiLib::CControlUI* GetInterface(const std::wstring& name) override;
  void DoEvent(DuiLib::TEventUI& event) override;
  void DoPaint(QPainter& painter, const DuiLib::RECT& rcPaint) override;
  DuiLib::CControlUI* CreateControl(const wchar_t* pstrClass) override;

  void OnVideoSize(int width, int height) override;
  void OnVideoFrame(const zv::VideoFrame* frame) override;
  void StartPlayback(DuiLib::HWND mainWnd) override;
  void OnAdTick(DuiLib::HWND mainWnd) override;
  void SetFrameReceived(bool received) override;
  // 5 shows a fresh countdown popup over the ad, 0 closes and releases it.
  void ShowAdCountdown(int mode);

  bool FrameReceived() const { return m_frameReceived != 0; }
  int PictureWidth() const { return m_width; }
  int PictureHeight() const { return m_height; }
  int AdTime() const { return m_adTime; }
  int AdElapsed() const { return m_adElapsed; }
  int PlayerTab() const;
  zv::ui::CChildPage* AdCountdownPopup() const { return m_adPopup; }
  int64_t FramesShown() const { return m_framesShown; }
  int64_t LastFrameShownMs() const { return m_lastShownMs; }
  const std::deque<ShownFrame>& RecentFrames() const { return m_recent; }

 private:
  bool ShowsVideo() const;
  bool OverTarget(const DuiLib::POINT& pt) const;
  void ForwardPointer(DuiLib::TEventUI& event);
  void PaintPicture(QPainter& painter, const DuiLib::RECT& rcPaint);
  void NoteFrameShown();
  void SelectTab(int tab);
  void SetLabel(const wchar_t* name, const std::wstring& text);
  void ShowDeviceInfo(const zv::PadInfo& pad);
  void RegisterState();

  DuiLib::CPaintManagerUI& m_paintManager;
  DuiLib::CControlUI* m_layoutRoot = nullptr;
  int m_frameReceived = 0;
  int m_width = 0;
  int m_height = 0;
  std::vector<uint8_t> m_frameBuffer;  // bottom-up BGRA, as delivered
  int m_adElapsed = 0;
  int m_adTime = 0;
  DuiLib::CControlUI* m_target = nullptr;
  DuiLib::CTabLayoutUI* m_switch = nullptr;
  DuiLib::CWebBrowserUI* m_adBrowser = nullptr;
  CCustomWebEventHandler m_webHandler;
  zv::ui::CChildPage* m_adPopup = nullptr;

  // A press that began over the picture keeps its moves and release going to the device.
  bool m_pointerHeld = false;
  // Frames copied and frames painted; a paint that shows a newer copy counts it once.
  uint64_t m_framesCopied = 0;
  uint64_t m_framesPainted = 0;
  int64_t m_framesShown = 0;
  int64_t m_lastShownMs = 0;
  bool m_findMarker = false;
  ShownFrame m_pendingMarker;
  std::deque<ShownFrame> m_recent;
};

}  // namespace zv::pages
