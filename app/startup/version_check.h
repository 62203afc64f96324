// The update check of start-up: is the service's newest version newer than ours?
#pragma once

#include <string>

namespace zv {

// Byte-wise: the common prefix decides, then the longer text is the greater one. Only a
// strictly greater newest version is newer (so 1.10.0 is not newer than 1.2.3, 1.3 is).
bool IsNewerVersion(const std::string& newest, const std::string& current);

}  // namespace zv
