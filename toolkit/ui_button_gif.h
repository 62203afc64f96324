// An animated image button: the frames of a GIF file ("gifimage") or of a list of images
// ("frames='a.png;b.png'" with "elapse" ms), played in a loop while the control is shown.
#pragma once

#include <QImage>
#include <vector>

#include "toolkit/ui_button.h"

namespace DuiLib {

class CButtonGifUI : public CButtonUI {
 public:
  ~CButtonGifUI() override;
  std::wstring GetClass() const override { return L"ButtonGifUI"; }
  CControlUI* GetInterface(const std::wstring& name) override;
  void SetGifImage(const std::wstring& file);
  void SetFrames(const std::wstring& list);
  int GetFrameCount() const { return static_cast<int>(m_frames.size()); }
  int GetCurrentFrame() const { return m_current; }
  void DoInit() override;
  void SetVisible(bool visible = true) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void DoEvent(TEventUI& event) override;
  void PaintStatusImage(QPainter& painter, const RECT& rcPaint) override;

 private:
  static constexpr UINT kFrameTimer = 0x4701;
  void Load();
  void Restart();
  std::wstring m_gifFile;
  std::wstring m_frameList;
  std::vector<QImage> m_frames;
  std::vector<int> m_delays;
  int m_elapse = 100;
  int m_current = 0;
  bool m_loaded = false;
};

}  // namespace DuiLib
