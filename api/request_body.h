// Form values on the wire: every value is percent-encoded byte for byte, so a user name
// such as "a&userId=7" stays one value and the service decodes the very bytes typed.
#pragma once

#include <string>

namespace zv {

// Every byte outside A-Z a-z 0-9 - . _ ~ becomes %XX.
std::string EscapeFormValue(const std::string& value);

}  // namespace zv
