#include "toolkit/window_impl_base.h"

#include <QWidget>

#include "toolkit/ui_container.h"
#include "toolkit/ui_diagnostics.h"
#include "toolkit/ui_window_host.h"

namespace DuiLib {

LRESULT WindowImplBase::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
  LRESULT res = 0;
  bool handled = true;
  switch (uMsg) {
    case WM_CREATE:
      res = OnCreate(uMsg, wParam, lParam, handled);
      break;
    case WM_CLOSE:
      res = OnClose(uMsg, wParam, lParam, handled);
      break;
    case WM_DESTROY:
      res = OnDestroy(uMsg, wParam, lParam, handled);
      break;
    case WM_NCACTIVATE:
      res = OnNcActivate(uMsg, wParam, lParam, handled);
      break;
    case WM_NCHITTEST:
      res = OnNcHitTest(uMsg, wParam, lParam, handled);
      break;
    case WM_SYSCOMMAND:
      res = OnSysCommand(uMsg, wParam, lParam, handled);
      break;
    default:
      handled = false;
      break;
  }
  if (handled) return res;
  res = HandleCustomMessage(uMsg, wParam, lParam, handled);
  if (handled) return res;
  if (m_PaintManager.MessageHandler(uMsg, wParam, lParam, res)) return res;
  return CWindowWnd::HandleMessage(uMsg, wParam, lParam);
}

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = true;
  m_PaintManager.Init(m_hWnd);
  std::wstring folder = GetSkinFolder();
  if (!folder.empty()) {
    std::wstring full = folder;
    QString q = QString::fromStdWString(folder);
    if (!(q.startsWith(QLatin1Char('/')) && q.size() > 1)) full = CPaintManagerUI::GetInstancePath() + folder;
    CPaintManagerUI::SetResourcePath(full);
  }
  m_PaintManager.SetResourceFolder(CPaintManagerUI::GetResourcePath());
  CDialogBuilder builder;
  CControlUI* root = builder.Create(GetSkinFile(), this, &m_PaintManager);
  if (!root) {
    // A broken skin leaves an empty window rather than none.
    ReportDiagnostic("window '" + QString::fromStdWString(GetName()).toStdString() + "' has no skin: " +
                     builder.GetLastErrorMessage());
    root = new CContainerUI;
  }
  m_PaintManager.AttachDialog(root);
  m_PaintManager.AddNotifier(this);
  m_PaintManager.AddPreMessageFilter(this);
  SIZE init = m_PaintManager.GetInitSize();
  if (m_hWnd && init.cx > 0 && init.cy > 0 && (m_hWnd->width() == 0 || m_hWnd->height() == 0))
    m_hWnd->resize(init.cx, init.cy);
  InitWindow();
  return 0;
}

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 1;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& bHandled) {
  bHandled = true;
  if (!m_hWnd) return HTCLIENT;
  QPoint local = m_hWnd->mapFromGlobal(QPoint(GetXParam(lParam), GetYParam(lParam)));
  POINT pt{local.x(), local.y()};
  if (!m_PaintManager.IsCaptionPoint(pt)) return HTCLIENT;
  // Interactive controls inside the caption keep their clicks.
  CControlUI* c = m_PaintManager.FindControl(pt);
  if (c && (c->GetInterface(L"Button") || c->GetInterface(L"Edit") || c->GetInterface(L"Combo") ||
            c->GetInterface(L"RichEdit") || c->GetInterface(L"ListItem") || c->GetInterface(L"ActiveX")))
    return HTCLIENT;
  return HTCAPTION;
}

LRESULT WindowImplBase::OnSysCommand(UINT, WPARAM wParam, LPARAM, bool& bHandled) {
  if ((wParam & 0xFFF0) == SC_CLOSE) {
    bHandled = true;
    Close(IDCANCEL);
    return 0;
  }
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& bHandled) {
  bHandled = false;
  return 0;
}

LRESULT WindowImplBase::MessageHandler(UINT uMsg, WPARAM wParam, LPARAM, bool& bHandled) {
  if (uMsg == WM_KEYDOWN && wParam == VK_ESCAPE) {
    bHandled = true;
    return 1;
  }
  return 0;
}

bool WindowImplBase::PreFilter(UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lRes) {
  return m_PaintManager.PreMessageHandler(uMsg, wParam, lParam, lRes);
}

void WindowImplBase::OnFinalMessage(HWND) {
  m_PaintManager.RemovePreMessageFilter(this);
  m_PaintManager.RemoveNotifier(this);
  m_PaintManager.ReapObjects(m_PaintManager.GetRoot());
  delete this;
}

}  // namespace DuiLib
