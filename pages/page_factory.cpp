#include "pages/page_factory.h"

#include <string>

#if __has_include("pages/login_page.h")
#include "pages/login_page.h"
#define ZV_HAVE_LOGIN_PAGE 1
#endif
#if __has_include("pages/service_panel.h")
#include "pages/service_panel.h"
#define ZV_HAVE_SERVICE_PANEL 1
#endif
#if __has_include("pages/player_page.h")
#include "pages/player_page.h"
#define ZV_HAVE_PLAYER_PAGE 1
#endif
#if __has_include("pages/waiting_page.h")
#include "pages/waiting_page.h"
#define ZV_HAVE_WAITING_PAGE 1
#endif

namespace zv::pages {
namespace {

class CMainSkinPages : public zv::ui::IPageFactory {
 public:
  DuiLib::CControlUI* CreatePage(const std::wstring& cls, DuiLib::CPaintManagerUI& manager) override {
    (void)manager;
#ifdef ZV_HAVE_LOGIN_PAGE
    if (cls == L"LoginWindow") return new CLoginUI(L"LoginPage\\Login.xml", L"LoginWindow", manager);
#endif
#ifdef ZV_HAVE_SERVICE_PANEL
    if (cls == L"ServiceWindow") return new CServiceUI(L"ServicePage\\left\\Service.xml", L"ServiceWindow", manager);
#endif
#ifdef ZV_HAVE_PLAYER_PAGE
    if (cls == L"ShowPlayerWindow") return new CShowPlayerUI(L"ShowPlayer.xml", L"ShowPlayerWindow", manager);
#endif
#ifdef ZV_HAVE_WAITING_PAGE
    if (cls == L"WaitingPageWindow")
      return new CWaitingPageUI(L"WaitingPage\\WaitingPage.xml", L"WaitingPageWindow", manager);
#endif
    (void)cls;
    return nullptr;
  }
};

}  // namespace

zv::ui::IPageFactory& PageFactory() {
  static CMainSkinPages pages;
  return pages;
}

}  // namespace zv::pages
