#include "pages/player_page.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "api/app_context.h"
#include "api/text_util.h"
#include "app/events.h"
#include "control/control_client.h"
#include "pages/horizontal_layout_target.h"
#include "platform/message_box.h"
#include "player/video_frame.h"
#include "toolkit/automation_server.h"
#include "toolkit/ui_activex.h"
#include "toolkit/ui_label.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_render.h"
#include "toolkit/ui_window.h"
#include "toolkit/ui_window_host.h"
#include "ui/child_page.h"

namespace zv::pages {

namespace {

constexpr int32_t kPointerDown = 4;
constexpr int32_t kPointerMove = 8;
constexpr int32_t kPointerUp = 16;
// Larger pictures than any stream sends are refused rather than allocated.
constexpr int kMaxPictureSide = 8192;
constexpr DuiLib::UINT kAdTickMs = 1000;
constexpr int kAdPopupWidth = 96;
constexpr int kAdPopupMargin = 12;
constexpr const wchar_t* kAdPopupSkin = L"ShowPlayAdTime.xml";

// The page the automation's "player" field describes (the main window has one).
CShowPlayerUI* g_statePage = nullptr;

int64_t MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// The simulated phone draws its last pointer point as a pure red disc; coded and
// converted it stays clearly red while nothing else on its screen comes near.
bool IsMarkerRed(const uint8_t* bgra) {
  const int b = bgra[0];
  const int g = bgra[1];
  const int r = bgra[2];
  return r >= 180 && g <= 64 && b <= 64;
}

// Rows are stored bottom-up; x and y are picture coordinates (top row 0).
const uint8_t* PixelAt(const std::vector<uint8_t>& buffer, int width, int height, int x, int y) {
  return buffer.data() +
         (static_cast<size_t>(height - 1 - y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 4;
}

// A coarse grid finds the disc (it is 12 pixels across), a small window around the hit
// gives its bounding box and so its centre: bounded work per frame.
ShownFrame FindMarker(const std::vector<uint8_t>& buffer, int width, int height) {
  constexpr int kStep = 4;
  constexpr int kReach = 16;
  ShownFrame found;
  for (int y = 0; y < height && !found.hasMarker; y += kStep) {
    for (int x = 0; x < width; x += kStep) {
      if (!IsMarkerRed(PixelAt(buffer, width, height, x, y))) continue;
      int minX = x, maxX = x, minY = y, maxY = y;
      for (int yy = std::max(0, y - kReach); yy <= std::min(height - 1, y + kReach); ++yy) {
        for (int xx = std::max(0, x - kReach); xx <= std::min(width - 1, x + kReach); ++xx) {
          if (!IsMarkerRed(PixelAt(buffer, width, height, xx, yy))) continue;
          minX = std::min(minX, xx);
          maxX = std::max(maxX, xx);
          minY = std::min(minY, yy);
          maxY = std::max(maxY, yy);
        }
      }
      found.hasMarker = true;
      found.markerX = (minX + maxX + 1) / 2;
      found.markerY = (minY + maxY + 1) / 2;
      break;
    }
  }
  return found;
}

QJsonValue PlayerState() {
  CShowPlayerUI* page = g_statePage;
  if (!page) return QJsonValue();
  QJsonArray frames;
  for (const ShownFrame& f : page->RecentFrames()) {
    QJsonObject entry;
    entry["shownMs"] = static_cast<double>(f.shownMs);
    entry["marker"] = f.hasMarker ? QJsonValue(QJsonArray{f.markerX, f.markerY}) : QJsonValue();
    frames.append(entry);
  }
  const zv::ui::CChildPage* popup = page->AdCountdownPopup();
  QJsonObject state;
  state["frameReceived"] = page->FrameReceived();
  state["width"] = page->PictureWidth();
  state["height"] = page->PictureHeight();
  state["framesShown"] = static_cast<double>(page->FramesShown());
  state["lastFrameShownMs"] = static_cast<double>(page->LastFrameShownMs());
  state["playerTab"] = page->PlayerTab();
  state["adTime"] = page->AdTime();
  state["adElapsed"] = page->AdElapsed();
  state["adPopup"] = popup != nullptr && !popup->IsClosed();
  state["recentFrames"] = frames;
  return state;
}

}  // namespace

CShowPlayerUI::CShowPlayerUI(const std::wstring& skinFile, const std::wstring& name,
                             DuiLib::CPaintManagerUI& manager)
    : m_paintManager(manager) {
  DuiLib::CDialogBuilder builder;
  m_layoutRoot = builder.Create(skinFile, this, &manager);
  if (m_layoutRoot) {
    SetName(name);
    Add(m_layoutRoot);
    m_target = m_layoutRoot->FindByName(L"PadPlayingVedioShow");
    if (DuiLib::CControlUI* c = m_layoutRoot->FindByName(L"Player_switch"))
      m_switch = static_cast<DuiLib::CTabLayoutUI*>(c->GetInterface(L"TabLayout"));
    if (DuiLib::CControlUI* c = m_layoutRoot->FindByName(L"PlayingAd_webBrowser"))
      m_adBrowser = static_cast<DuiLib::CWebBrowserUI*>(c->GetInterface(L"WebBrowser"));
  } else {
    RemoveAll();
  }
  const char* automation = std::getenv("ZELVANE_AUTOMATION");
  m_findMarker = automation && *automation;
  RegisterState();
}

CShowPlayerUI::~CShowPlayerUI() {
  zv::ui::CChildPage::Dispose(m_adPopup);
  if (m_adBrowser) m_adBrowser->SetWebBrowserEventHandler(nullptr);
  if (g_statePage == this) {
    g_statePage = nullptr;
    DuiLib::CAutomationServer::UnregisterStateField("player");
  }
}

void CShowPlayerUI::RegisterState() {
  g_statePage = this;
  DuiLib::CAutomationServer::RegisterStateField("player", PlayerState);
}

DuiLib::CControlUI* CShowPlayerUI::GetInterface(const std::wstring& name) {
  if (name == L"ShowPlayer") return this;
  return CContainerUI::GetInterface(name);
}

DuiLib::CControlUI* CShowPlayerUI::CreateControl(const wchar_t* pstrClass) {
  if (pstrClass && std::wstring(pstrClass) == L"HorizontalLayout_Target") return new CHorizontalLayout_Target;
  return nullptr;
}

int CShowPlayerUI::PlayerTab() const {
  return m_switch ? m_switch->GetCurSel() : -1;
}

bool CShowPlayerUI::ShowsVideo() const {
  return m_frameReceived && m_switch && m_switch->GetCurSel() == kVideoTab;
}

bool CShowPlayerUI::OverTarget(const DuiLib::POINT& pt) const {
  return m_target && m_target->GetPos().Contains(pt);
}

void CShowPlayerUI::SelectTab(int tab) {
  if (m_switch) m_switch->SelectItem(tab);
  if (!m_layoutRoot) return;
  DuiLib::CControlUI* line = m_layoutRoot->FindByName(L"Label_PlayerState");
  auto* state = line ? static_cast<DuiLib::CLabelUI*>(line->GetInterface(L"Label")) : nullptr;
  if (!state) return;
  const bool ad = tab == kAdTab;
  state->SetText(ad ? L"广告结束后即可控制设备" : L"画面与操作实时同步");
  state->SetTextColor(ad ? 0xFFF5A623 : 0xFF22B573);
}

// ---------------------------------------------------------------- video

void CShowPlayerUI::OnVideoSize(int width, int height) {
  m_width = width;
  m_height = height;
  m_frameBuffer.clear();
  m_framesPainted = m_framesCopied;  // nothing new to show until a frame of this size
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide) return;
  m_frameBuffer.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
}

void CShowPlayerUI::OnVideoFrame(const zv::VideoFrame* frame) {
  if (!frame) return;
  m_frameReceived = 1;
  if (m_adElapsed >= m_adTime) SelectTab(kVideoTab);
  // A frame of another size than announced would be read past its end: it is dropped.
  if (frame->pixels && !m_frameBuffer.empty() && frame->size >= 0 &&
      static_cast<size_t>(frame->size) == m_frameBuffer.size()) {
    std::memcpy(m_frameBuffer.data(), frame->pixels, m_frameBuffer.size());
    ++m_framesCopied;
    if (m_findMarker) m_pendingMarker = FindMarker(m_frameBuffer, m_width, m_height);
  }
  if (m_target && m_target->IsEffectivelyVisible())
    m_target->Invalidate();
  else
    Invalidate();
}

void CShowPlayerUI::SetFrameReceived(bool received) {
  m_frameReceived = received ? 1 : 0;
  if (received) return;
  m_pointerHeld = false;
  // No countdown outlives its session: the popup would stay over the next page.
  ShowAdCountdown(0);
  if (DuiLib::HWND wnd = m_paintManager.GetPaintWindow()) DuiLib::KillTimer(wnd, TIMER_AD_COUNTDOWN);
  Invalidate();
}

void CShowPlayerUI::DoPaint(QPainter& painter, const DuiLib::RECT& rcPaint) {
  DuiLib::RECT clip;
  if (!DuiLib::IntersectRect(clip, rcPaint, m_rcItem)) return;
  // The toolbar lives in this page too, so the children are always painted; the picture
  // then covers the target's black background.
  CContainerUI::DoPaint(painter, rcPaint);
  if (ShowsVideo() && m_target) PaintPicture(painter, clip);
}

void CShowPlayerUI::PaintPicture(QPainter& painter, const DuiLib::RECT& rcPaint) {
  if (m_frameBuffer.empty() || m_framesCopied == 0) return;
  const DuiLib::RECT& target = m_target->GetPos();
  DuiLib::RECT picture{target.left, target.top, target.left + std::min(m_width, target.Width()),
                       target.top + std::min(m_height, target.Height())};
  DuiLib::RECT area;
  if (!DuiLib::IntersectRect(area, picture, rcPaint)) return;
  // The buffer is drawn where it lies, through a vertical flip: bottom-up rows, no copy.
  const QImage image(m_frameBuffer.data(), m_width, m_height, static_cast<qsizetype>(m_width) * 4,
                     QImage::Format_RGB32);
  painter.save();
  painter.setClipRect(DuiLib::ToQRect(area), Qt::IntersectClip);
  painter.translate(target.left, target.top + m_height);
  painter.scale(1, -1);
  painter.drawImage(0, 0, image);
  painter.restore();
  NoteFrameShown();
}

void CShowPlayerUI::NoteFrameShown() {
  if (m_framesPainted == m_framesCopied) return;
  m_framesPainted = m_framesCopied;
  ++m_framesShown;
  ShownFrame shown = m_pendingMarker;
  shown.shownMs = MonotonicMs();
  m_lastShownMs = shown.shownMs;
  m_recent.push_back(shown);
  while (m_recent.size() > kRecentFrames) m_recent.pop_front();
}

// ---------------------------------------------------------------- input

void CShowPlayerUI::DoEvent(DuiLib::TEventUI& event) {
  if (!ShowsVideo()) {
    CContainerUI::DoEvent(event);
    return;
  }
  if (!m_target) return;
  ForwardPointer(event);
  CContainerUI::DoEvent(event);
}

// Presses count only over the picture; once one is held its moves and release follow the
// mouse wherever it goes, unclamped, as the device expects of a drag.
void CShowPlayerUI::ForwardPointer(DuiLib::TEventUI& event) {
  const DuiLib::RECT& origin = m_target->GetPos();
  const int x = event.ptMouse.x - origin.left;
  const int y = event.ptMouse.y - origin.top;
  const bool over = OverTarget(event.ptMouse);
  zv::CControlClient& control = zv::CControlClient::Instance();
  switch (event.Type) {
    case DuiLib::UIEVENT_BUTTONDOWN:
      if (!over) return;
      m_pointerHeld = true;
      control.SendPointer(kPointerDown, x, y);
      return;
    case DuiLib::UIEVENT_DBLCLICK:
      // The second press of a double click sends nothing, its release does.
      if (over) m_pointerHeld = true;
      return;
    case DuiLib::UIEVENT_MOUSEMOVE:
      if (over || m_pointerHeld) control.SendPointer(kPointerMove, x, y);
      return;
    case DuiLib::UIEVENT_BUTTONUP:
      if (over || m_pointerHeld) control.SendPointer(kPointerUp, x, y);
      m_pointerHeld = false;
      return;
    default:
      return;
  }
}

// ---------------------------------------------------------------- ads

void CShowPlayerUI::SetLabel(const wchar_t* name, const std::wstring& text) {
  if (!m_layoutRoot) return;
  if (DuiLib::CControlUI* label = m_layoutRoot->FindByName(name)) label->SetText(text);
}

void CShowPlayerUI::ShowDeviceInfo(const zv::PadInfo& pad) {
  SetLabel(L"Label_PlayerDeviceName", zv::AnsiToWide(pad.padName.empty() ? pad.padCode : pad.padName));
  SetLabel(L"Label_PlayerPadCode", zv::AnsiToWide(pad.padCode));
  SetLabel(L"Label_PlayerGrade", pad.padGrade == "0" ? L"普通设备" : L"VIP设备");
  SetLabel(L"Label_PlayerControlTime", zv::AnsiToWide(zv::FormatMinutes(pad.leftControlTime)));
  SetLabel(L"Label_PlayerOnlineTime", std::to_wstring(pad.leftOnlineTime) + L" 天");
}

void CShowPlayerUI::StartPlayback(DuiLib::HWND mainWnd) {
  zv::CAppContext& context = zv::CAppContext::Instance();
  auto pad = std::find_if(context.padList.begin(), context.padList.end(), [&](const zv::PadInfo& p) {
    return zv::CAppContext::FindPadByCode(p, context.currentPadCode);
  });
  m_adElapsed = 0;
  if (pad == context.padList.end()) {
    zv::ShowMessageBox(mainWnd, L"未找到你要控制的设备信息，请重新连接!", L"提示");
    return;
  }
  m_adTime = pad->adPlayTime;
  ShowDeviceInfo(*pad);
  if (pad->padGrade == "0" && m_adTime > 0) {
    SelectTab(kAdTab);
    if (m_adBrowser) {
      m_adBrowser->SetWebBrowserEventHandler(&m_webHandler);
      m_adBrowser->Navigate2(L"about:blank");
      m_adBrowser->Navigate2(zv::AnsiToWide(context.endpoints.webBase + "/ad/index.html"));
    }
    ShowAdCountdown(5);
    DuiLib::KillTimer(mainWnd, TIMER_AD_COUNTDOWN);
    DuiLib::SetTimer(mainWnd, TIMER_AD_COUNTDOWN, kAdTickMs);
    return;
  }
  // A countdown left from an earlier ad has nothing to count now.
  ShowAdCountdown(0);
  DuiLib::KillTimer(mainWnd, TIMER_AD_COUNTDOWN);
  SelectTab(kVideoTab);
}

void CShowPlayerUI::OnAdTick(DuiLib::HWND mainWnd) {
  ++m_adElapsed;
  const int left = m_adTime - m_adElapsed;
  if (m_adPopup && !m_adPopup->IsClosed() && left >= 0) m_adPopup->SetAdTime(std::to_wstring(left));
  if (m_adElapsed < m_adTime || !m_frameReceived) return;
  DuiLib::KillTimer(mainWnd, TIMER_AD_COUNTDOWN);
  ShowAdCountdown(0);
  SelectTab(kVideoTab);
  Invalidate();
}

void CShowPlayerUI::ShowAdCountdown(int mode) {
  zv::ui::CChildPage::Dispose(m_adPopup);
  if (mode != 5) return;
  DuiLib::HWND host = m_paintManager.GetPaintWindow();
  if (!host) return;
  // The page may only just have been selected: place the popup on the laid-out area.
  m_paintManager.UpdateLayout();
  DuiLib::RECT area = m_adBrowser ? m_adBrowser->GetPos() : DuiLib::RECT{};
  if (area.IsEmpty() && m_switch) area = m_switch->GetPos();
  const int x = area.right - kAdPopupMargin - kAdPopupWidth;
  const int y = area.top + kAdPopupMargin;
  auto* popup = new zv::ui::CChildPage(host);
  popup->SetSkinFile(kAdPopupSkin);
  // An empty rectangle: the popup takes its skin's size at that corner.
  if (!popup->CreateOver(L"ShowPlayAdTime", DuiLib::RECT{x, y, x, y})) {
    delete popup;
    return;
  }
  m_adPopup = popup;
  m_adPopup->SetAdTime(std::to_wstring(m_adTime - m_adElapsed));
}

}  // namespace zv::pages
