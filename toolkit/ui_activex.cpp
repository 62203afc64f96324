#include "toolkit/ui_activex.h"

#include <QPainter>

#include "toolkit/ui_manager.h"
#include "toolkit/ui_native.h"
#include "toolkit/ui_render.h"

#ifdef ZELVANE_WITH_WEBENGINE
#include <QWebEngineView>
#endif

namespace DuiLib {

CControlUI* CActiveXUI::GetInterface(const std::wstring& name) {
  if (name == L"ActiveX") return this;
  return CControlUI::GetInterface(name);
}

void CActiveXUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"clsid") m_clsid = value;
  else if (name == L"delaycreate") {
    // Creation is always immediate here.
  } else CControlUI::SetAttribute(name, value);
}

CWebBrowserUI::CWebBrowserUI() = default;

CWebBrowserUI::~CWebBrowserUI() { delete m_view.data(); }

CControlUI* CWebBrowserUI::GetInterface(const std::wstring& name) {
  if (name == L"WebBrowser") return this;
  return CActiveXUI::GetInterface(name);
}

void CWebBrowserUI::EnsureNative() {
#ifdef ZELVANE_WITH_WEBENGINE
  if (m_view || !m_manager || !m_manager->GetNativeParent()) return;
  auto* view = new QWebEngineView(m_manager->GetNativeParent());
  view->setContextMenuPolicy(Qt::NoContextMenu);
  m_view = view;
  if (!m_url.empty()) view->setUrl(QUrl(QString::fromStdWString(m_url)));
  SyncNative();
#endif
}

void CWebBrowserUI::Navigate2(const std::wstring& url) {
  m_url = url;
  m_history.push_back(url);
#ifdef ZELVANE_WITH_WEBENGINE
  EnsureNative();
  if (auto* view = qobject_cast<QWebEngineView*>(m_view.data())) {
    view->setContextMenuPolicy(!m_handler || m_handler->ShowContextMenu() ? Qt::NoContextMenu : Qt::DefaultContextMenu);
    view->setUrl(QUrl(QString::fromStdWString(url)));
  }
#endif
  if (m_handler) m_handler->NavigateComplete(url);
  Invalidate();
}

void CWebBrowserUI::DoInit() {
  EnsureNative();
  if (!m_homePage.empty() && m_url.empty()) Navigate2(m_homePage);
}

void CWebBrowserUI::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"homepage") m_homePage = value;
  else if (name == L"autonavi") {
    // Navigation starts from the home page when one is given.
  } else CActiveXUI::SetAttribute(name, value);
}

void CWebBrowserUI::PaintText(QPainter& painter) {
  if (m_view) return;
  // Without an embedded browser the address stands in for the page.
  RECT rc{m_rcItem.left + 8, m_rcItem.top + 8, m_rcItem.right - 8, m_rcItem.bottom - 8};
  CRenderEngine::DrawText(painter, rc, m_url, 0xFF6B7785, GetFont(), DT_CENTER | DT_VCENTER | DT_WORDBREAK);
}

void CWebBrowserUI::SyncNative() { SyncNativeWidget(m_view.data(), *this, RECT{}); }

}  // namespace DuiLib
