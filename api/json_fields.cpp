#include "api/json_fields.h"

#include <cctype>
#include <cmath>
#include <limits>

#include "api/text_util.h"

namespace zv {

const Json::Value& Member(const Json::Value& object, const char* key) {
  static const Json::Value kNull;
  if (!object.isObject()) return kNull;
  const Json::Value* found = object.find(key, key + std::char_traits<char>::length(key));
  return found ? *found : kNull;
}

int32_t AtoiText(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

const Json::Value& CJsonFields::Get(const Json::Value& object, const char* key) {
  // Reading a member of something that is neither an object nor null is a shape error.
  if (!object.isObject() && !object.isNull()) m_ok = false;
  return Member(object, key);
}

int32_t CJsonFields::Int(const Json::Value& object, const char* key) {
  const Json::Value& value = Get(object, key);
  switch (value.type()) {
    case Json::nullValue:
      return 0;
    case Json::booleanValue:
      return value.asBool() ? 1 : 0;
    case Json::intValue:
    case Json::uintValue:
      if (value.isInt()) return value.asInt();
      break;
    case Json::realValue: {
      double real = value.asDouble();
      if (std::isfinite(real) && real > double(std::numeric_limits<int32_t>::min()) - 1.0 &&
          real < double(std::numeric_limits<int32_t>::max()) + 1.0)
        return static_cast<int32_t>(real);
      break;
    }
    default:
      break;
  }
  m_ok = false;
  return 0;
}

std::string CJsonFields::Text(const Json::Value& object, const char* key) {
  const Json::Value& value = Get(object, key);
  if (value.isArray() || value.isObject()) {
    m_ok = false;
    return std::string();
  }
  return value.asString();
}

std::string CJsonFields::AnsiText(const Json::Value& object, const char* key) {
  return Utf8ToAnsi(Text(object, key));
}

int32_t CJsonFields::IntInText(const Json::Value& object, const char* key) {
  return AtoiText(Text(object, key));
}

bool CJsonFields::CheckElement(const Json::Value& element) {
  if (!element.isObject() && !element.isNull()) m_ok = false;
  return m_ok;
}

}  // namespace zv
