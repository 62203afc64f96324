#include "sim/core/http_form.h"

namespace zv::sim {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

std::string PercentDecode(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  return out;
}

FormFields ParseForm(const std::string& body) {
  FormFields fields;
  size_t pos = 0;
  while (pos <= body.size()) {
    size_t end = body.find('&', pos);
    if (end == std::string::npos) end = body.size();
    std::string pair = body.substr(pos, end - pos);
    if (!pair.empty()) {
      size_t eq = pair.find('=');
      if (eq == std::string::npos) {
        fields[PercentDecode(pair)] = "";
      } else {
        fields[PercentDecode(pair.substr(0, eq))] = PercentDecode(pair.substr(eq + 1));
      }
    }
    pos = end + 1;
  }
  return fields;
}

FormFields ParseCookies(const std::string& header) {
  FormFields cookies;
  size_t pos = 0;
  while (pos < header.size()) {
    size_t end = header.find(';', pos);
    if (end == std::string::npos) end = header.size();
    std::string pair = Trim(header.substr(pos, end - pos));
    size_t eq = pair.find('=');
    if (eq != std::string::npos && eq > 0) cookies[Trim(pair.substr(0, eq))] = Trim(pair.substr(eq + 1));
    pos = end + 1;
  }
  return cookies;
}

}  // namespace zv::sim
