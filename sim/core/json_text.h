// Compact JSON text in UTF-8 (Chinese texts are written as they are, not as \u escapes).
#pragma once

#include <json/json.h>

#include <string>

namespace zv::sim {

std::string ToJsonText(const Json::Value& value);
// Strict parse of a whole text; false on any error.
bool ParseJsonText(const std::string& text, Json::Value& value);

}  // namespace zv::sim
