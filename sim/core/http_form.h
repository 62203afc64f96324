// Decoding of what clients send: percent-encoded form bodies and Cookie headers.
#pragma once

#include <map>
#include <string>

namespace zv::sim {

using FormFields = std::map<std::string, std::string>;

// "%41" -> "A", "+" -> " "; a malformed escape stays as written.
std::string PercentDecode(const std::string& text);

// "a=1&b=%26" -> {a: "1", b: "&"}; a later duplicate key wins.
FormFields ParseForm(const std::string& body);

// "a=1; b=2" -> {a: "1", b: "2"}.
FormFields ParseCookies(const std::string& header);

}  // namespace zv::sim
