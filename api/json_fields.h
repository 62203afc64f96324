// Reading answer values with the conversions the account model expects, without ever
// throwing: a value of a type the conversion cannot take marks the reader failed, and the
// caller then treats the whole answer as unparsable.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>

namespace zv {

// The member of an object, or null when the value is no object or lacks the key.
const Json::Value& Member(const Json::Value& object, const char* key);

// atoi's reading: leading blanks, an optional sign, digits; no digits give 0. The result
// wraps to 32 bits like the C library's, without its undefined overflow.
int32_t AtoiText(const std::string& text);

class CJsonFields {
 public:
  // Integer conversion: an in-range integer as is, a real truncated, true/false 1/0,
  // null 0. Texts, arrays, objects and values outside 32 bits fail.
  int32_t Int(const Json::Value& object, const char* key);
  // Text conversion: a string as is, a number in decimal, "true"/"false", null empty.
  // Arrays and objects fail.
  std::string Text(const Json::Value& object, const char* key);
  // Text converted from UTF-8 to the ANSI code page, for texts shown to the user.
  std::string AnsiText(const Json::Value& object, const char* key);
  // A number carried in text, read with atoi.
  int32_t IntInText(const Json::Value& object, const char* key);

  // Elements of a list must be objects (or null, which reads as all defaults).
  bool CheckElement(const Json::Value& element);

  bool Ok() const { return m_ok; }

 private:
  const Json::Value& Get(const Json::Value& object, const char* key);
  bool m_ok = true;
};

}  // namespace zv
