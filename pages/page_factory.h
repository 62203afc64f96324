// The pages of the main skin, built for the main frame's control factory.
#pragma once

#include "ui/page_interfaces.h"

namespace zv::pages {

// Process-wide; lives as long as the program.
zv::ui::IPageFactory& PageFactory();

}  // namespace zv::pages
