#include "ui/layered_wnd.h"

#include <QImage>
#include <QPainter>
#include <cwchar>
#include <sstream>

#include "toolkit/ui_container.h"
#include "toolkit/ui_render.h"
#include "toolkit/ui_window_host.h"

namespace DuiLib {

namespace {

constexpr DWORD kPopupStyle = 0x86000000u;    // popup + clip siblings + clip children
constexpr DWORD kPopupExStyle = 0x00080080u;  // layered + tool window

// Four integers separated by single characters, from text[pos]; false when fewer.
bool ReadFour(const std::wstring& text, size_t pos, RECT& rc) {
  int values[4] = {0, 0, 0, 0};
  const wchar_t* p = text.c_str() + pos;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (*p == L'\0') return false;
      ++p;  // the separator
    }
    wchar_t* end = nullptr;
    long v = std::wcstol(p, &end, 10);
    if (end == p) return false;
    values[i] = static_cast<int>(v);
    p = end;
  }
  rc = RECT{values[0], values[1], values[2], values[3]};
  return true;
}

}  // namespace

CLayeredWnd::CLayeredWnd() = default;

CLayeredWnd::~CLayeredWnd() {
  if (m_filteredManager) m_filteredManager->RemoveMessageFilter(&m_mainMoveFilter);
  if (IsWindow(GetHWND())) DestroyWindow();
}

LRESULT CLayeredWnd::CMainMoveFilter::MessageHandler(UINT uMsg, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  if (uMsg == WM_MOVE) m_owner.MovePopupToMain();
  return 0;
}

CControlUI* CLayeredWnd::GetInterface(const std::wstring& name) {
  if (name == L"Layered") return this;
  return CControlUI::GetInterface(name);
}

std::vector<RECT> CLayeredWnd::ParseHollowRects(const std::wstring& value) {
  std::vector<RECT> rects;
  std::wistringstream words(value);
  std::wstring word;
  while (words >> word) {
    RECT rc;
    if (word.size() > 1 && ReadFour(word, 1, rc)) rects.push_back(rc);
  }
  return rects;
}

void CLayeredWnd::SetAttribute(const std::wstring& name, const std::wstring& value) {
  RECT rc;
  if (name == L"pos") {
    if (!ReadFour(value, 0, rc)) return;
    SetFixedXY(POINT{rc.left, rc.top});
    SetFixedWidth(rc.right - rc.left);
    SetFixedHeight(rc.bottom - rc.top);
  } else if (name == L"caption") {
    if (ReadFour(value, 0, rc)) m_popupManager.SetCaptionRect(rc);
  } else if (name == L"HollowRect") {
    m_hollowRects = ParseHollowRects(value);
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

void CLayeredWnd::SetManager(CPaintManagerUI* manager, CControlUI* parent, bool init) {
  m_manager = manager;
  m_parent = parent;
  if (init && manager) Init();
}

HWND CLayeredWnd::MainWindow() const { return m_manager ? m_manager->GetPaintWindow() : nullptr; }

void CLayeredWnd::DoInit() {
  Create(MainWindow(), L"", kPopupStyle, kPopupExStyle, 0, 0, GetFixedWidth(), GetFixedHeight());
  Paint();
  SetVisible(true);
  SetMouseEnabled(false);
  MoveMainToPopup();
  if (m_manager && !m_filteredManager) {
    m_filteredManager = m_manager;
    m_manager->AddMessageFilter(&m_mainMoveFilter);
  }
}

void CLayeredWnd::MovePopupToMain() {
  HWND main = MainWindow();
  HWND popup = GetHWND();
  // Before the first paint the placement is still to come; a hidden popup follows when shown.
  if (m_placementPending || !IsWindow(main) || !IsWindow(popup)) return;
  RECT mainRect;
  GetWindowRect(main, mainRect);
  POINT offset = GetFixedXY();
  QPoint target(mainRect.left + offset.x, mainRect.top + offset.y);
  if (popup->pos() != target) popup->move(target);
}

void CLayeredWnd::Paint() {
  HWND popup = GetHWND();
  if (!IsWindow(popup)) return;
  RECT client;
  GetClientRect(popup, client);
  QImage picture(std::max(client.Width(), 1), std::max(client.Height(), 1), QImage::Format_ARGB32_Premultiplied);
  picture.fill(0);
  {
    QPainter painter(&picture);
    if (!m_bkImage.empty()) CRenderEngine::DrawImageString(painter, m_manager, client, client, m_bkImage);
  }
  UpdateLayeredWindow(popup, picture);
  SetWindowRgn(popup, BuildRegion());
}

QRegion CLayeredWnd::BuildRegion() const {
  RECT rc{};
  if (HWND popup = GetHWND(); IsWindow(popup)) GetClientRect(popup, rc);
  else rc = RECT{0, 0, GetFixedWidth(), GetFixedHeight()};
  QRegion region(ToQRect(rc));
  for (const RECT& hollow : m_hollowRects) region = region.xored(QRegion(ToQRect(hollow)));
  return region;
}

void CLayeredWnd::DoPaint(QPainter&, const RECT&) {
  if (!m_placementPending) return;
  HWND main = MainWindow();
  HWND popup = GetHWND();
  if (!IsWindow(main) || !IsWindow(popup)) return;
  RECT mainRect;
  GetWindowRect(main, mainRect);
  m_placementPending = false;
  POINT offset = GetFixedXY();
  popup->move(mainRect.left + offset.x, mainRect.top + offset.y);
  ShowWindow(true, true);
  DuiLib::SetFocus(main);
}

void CLayeredWnd::MoveMainToPopup() {
  HWND main = MainWindow();
  HWND popup = GetHWND();
  if (!IsWindow(main) || !IsWindow(popup)) return;
  POINT offset = GetFixedXY();
  QPoint at = popup->pos();
  main->move(at.x() - offset.x, at.y() - offset.y);
  main->show();
}

LRESULT CLayeredWnd::HitTest(LPARAM lParam) {
  HWND popup = GetHWND();
  QPoint local = popup->mapFromGlobal(QPoint(GetXParam(lParam), GetYParam(lParam)));
  RECT client;
  GetClientRect(popup, client);
  const RECT& caption = m_popupManager.GetCaptionRect();
  if (local.x() >= client.left + caption.left && local.x() < client.right - caption.right &&
      local.y() >= caption.top && local.y() < caption.bottom)
    return HTCAPTION;
  DuiLib::SetFocus(MainWindow());
  return HTCLIENT;
}

LRESULT CLayeredWnd::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  switch (uMsg) {
    case WM_CREATE:
      m_popupManager.Init(GetHWND());
      m_popupManager.AttachDialog(new CContainerUI);
      return 0;
    case WM_MOVE:
    case WM_DISPLAYCHANGE:
      MoveMainToPopup();
      return 0;
    case WM_NCHITTEST:
      return IsWindow(GetHWND()) ? HitTest(lParam) : HTCLIENT;
    case WM_DESTROY:
      m_popupManager.DetachRoot();
      break;
    default:
      break;
  }
  return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

}  // namespace DuiLib
