#include "pages/custom_web_event_handler.h"

namespace zv::pages {

// Ad pages are designed for the player's size; the desktop's zoom must not resize them.
std::wstring CCustomWebEventHandler::GetHostStyleSheet() {
  return L"BODY{Zoom:100%;}";
}

bool CCustomWebEventHandler::ScrollBarsAllowed() {
  return false;
}

// False: the browser shows its own user interface.
bool CCustomWebEventHandler::ShowUI() {
  return false;
}

}  // namespace zv::pages
