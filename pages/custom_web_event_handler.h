// The ad browser's page host: the ad page is shown at its own size, without scroll bars
// or the browser's context menu.
#pragma once

#include <string>

#include "toolkit/ui_activex.h"

namespace zv::pages {

class CCustomWebEventHandler : public DuiLib::CWebBrowserEventHandler {
 public:
  std::wstring GetHostStyleSheet() override;
  bool ScrollBarsAllowed() override;
  bool ShowUI() override;
  // ShowContextMenu stays the base handler's answer: the menu is kept away.
};

}  // namespace zv::pages
