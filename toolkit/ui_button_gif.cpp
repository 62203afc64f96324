#include "toolkit/ui_button_gif.h"

#include <QImageReader>
#include <QPainter>

#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"

namespace DuiLib {

CButtonGifUI::~CButtonGifUI() {
  if (m_manager) m_manager->KillTimer(this, kFrameTimer);
}

CControlUI* CButtonGifUI::GetInterface(const std::wstring& name) {
  if (name == L"ButtonGif") return this;
  return CButtonUI::GetInterface(name);
}

void CButtonGifUI::SetGifImage(const std::wstring& file) {
  m_gifFile = file;
  m_loaded = false;
  if (m_manager) Restart();
}

void CButtonGifUI::SetFrames(const std::wstring& list) {
  m_frameList = list;
  m_loaded = false;
  if (m_manager) Restart();
}

void CButtonGifUI::Load() {
  m_loaded = true;
  m_frames.clear();
  m_delays.clear();
  m_current = 0;
  QString folder = m_manager ? m_manager->GetResourceFolder() : CPaintManagerUI::GetResourcePath();
  if (!m_gifFile.empty()) {
    QImageReader reader(SkinPath(folder, m_gifFile));
    QImage frame;
    while (reader.read(&frame)) {
      m_frames.push_back(frame.convertToFormat(QImage::Format_ARGB32_Premultiplied));
      m_delays.push_back(reader.nextImageDelay() > 0 ? reader.nextImageDelay() : m_elapse);
      if (m_frames.size() >= 512) break;
    }
  }
  size_t start = 0;
  while (start < m_frameList.size()) {
    size_t end = m_frameList.find(L';', start);
    if (end == std::wstring::npos) end = m_frameList.size();
    std::wstring file = m_frameList.substr(start, end - start);
    if (!file.empty()) {
      if (auto img = CImageCache::Instance().Get(SkinPath(folder, file))) {
        m_frames.push_back(*img);
        m_delays.push_back(m_elapse);
      }
    }
    start = end + 1;
  }
}

void CButtonGifUI::Restart() {
  if (!m_manager) return;
  if (!m_loaded) Load();
  m_manager->KillTimer(this, kFrameTimer);
  if (m_frames.size() > 1 && IsVisible())
    m_manager->SetTimer(this, kFrameTimer, static_cast<UINT>(m_delays[static_cast<size_t>(m_current)]));
  Invalidate();
}

void CButtonGifUI::DoInit() { Restart(); }

void CButtonGifUI::SetVisible(bool visible) {
  CButtonUI::SetVisible(visible);
  if (m_manager) {
    if (visible) Restart();
    else m_manager->KillTimer(this, kFrameTimer);
  }
}

void CButtonGifUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"gifimage") SetGifImage(value);
  else if (name == L"frames") SetFrames(value);
  else if (name == L"elapse") m_elapse = std::max(10, static_cast<int>(wcstol(value.c_str(), nullptr, 10)));
  else if (name == L"bkimage" && value.size() > 4 && value.substr(value.size() - 4) == L".gif") SetGifImage(value);
  else CButtonUI::SetAttribute(name, value);
}

void CButtonGifUI::DoEvent(TEventUI& event) {
  if (event.Type == UIEVENT_TIMER && event.wParam == kFrameTimer) {
    if (m_frames.empty()) return;
    m_current = (m_current + 1) % static_cast<int>(m_frames.size());
    Invalidate();
    if (m_manager) m_manager->SetTimer(this, kFrameTimer, static_cast<UINT>(m_delays[static_cast<size_t>(m_current)]));
    return;
  }
  CButtonUI::DoEvent(event);
}

void CButtonGifUI::PaintStatusImage(QPainter& painter, const RECT& rcPaint) {
  if (m_frames.empty()) {
    CButtonUI::PaintStatusImage(painter, rcPaint);
    return;
  }
  const QImage& img = m_frames[static_cast<size_t>(m_current)];
  // Frames keep their proportions, centred in the control.
  QSize size = img.size().scaled(m_rcItem.Width(), m_rcItem.Height(), Qt::KeepAspectRatio);
  QRect target(QPoint(0, 0), size);
  target.moveCenter(ToQRect(m_rcItem).center());
  painter.drawImage(target, img);
}

}  // namespace DuiLib
