#include "api/text_util.h"

#include <errno.h>
#include <iconv.h>
#include <langinfo.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace zv {

namespace {

const char* LocaleCodeset() {
  const char* codeset = nl_langinfo(CODESET);
  return (codeset && *codeset) ? codeset : "ANSI_X3.4-1968";
}

// Decodes narrow text of the given code set into wide characters; a byte that does not
// decode becomes U+FFFD, as the platform's conversion does.
std::wstring Decode(const std::string& input, const char* codeset) {
  std::wstring out;
  std::string text = input.substr(0, input.find('\0'));
  if (text.empty()) return out;
  iconv_t cd = iconv_open("WCHAR_T", codeset);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (unsigned char c : text) out.push_back(c < 0x80 ? wchar_t(c) : L'\xFFFD');
    return out;
  }
  char* in = text.data();
  size_t inLeft = text.size();
  std::wstring buffer(text.size() + 4, L'\0');
  while (inLeft > 0) {
    char* outPtr = reinterpret_cast<char*>(buffer.data());
    size_t outLeft = buffer.size() * sizeof(wchar_t);
    size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), (buffer.size() * sizeof(wchar_t) - outLeft) / sizeof(wchar_t));
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // EILSEQ or a truncated sequence at the end: replace one byte and go on.
      out.push_back(L'\xFFFD');
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

// Encodes wide text into the given code set; a character it cannot hold becomes '?'.
std::string Encode(const std::wstring& input, const char* codeset) {
  std::string out;
  std::wstring text = input.substr(0, input.find(L'\0'));
  if (text.empty()) return out;
  iconv_t cd = iconv_open(codeset, "WCHAR_T");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (wchar_t c : text) out.push_back(c < 0x80 ? char(c) : '?');
    return out;
  }
  char* in = reinterpret_cast<char*>(text.data());
  size_t inLeft = text.size() * sizeof(wchar_t);
  std::string buffer(text.size() * 4 + 16, '\0');
  while (inLeft > 0) {
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), buffer.size() - outLeft);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      out.push_back('?');
      in += sizeof(wchar_t);
      inLeft -= inLeft < sizeof(wchar_t) ? inLeft : sizeof(wchar_t);
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  // Flush any shift state of stateful code sets.
  char* outPtr = buffer.data();
  size_t outLeft = buffer.size();
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer.data(), buffer.size() - outLeft);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string AnsiToUtf8(const std::string& ansi) { return Encode(Decode(ansi, LocaleCodeset()), "UTF-8"); }

std::string Utf8ToAnsi(const std::string& utf8) { return Encode(Decode(utf8, "UTF-8"), LocaleCodeset()); }

std::string WideToAnsi(const std::wstring& wide) { return Encode(wide, LocaleCodeset()); }

std::wstring AnsiToWide(const std::string& ansi) { return Decode(ansi, LocaleCodeset()); }

std::string FormatMsTimestamp(const std::string& msText) {
  long long ms = std::strtoll(msText.c_str(), nullptr, 10);
  long long seconds = ms / 1000 + 28800;  // the service's times are shown in UTC+8
  // The calendar range of the platform's conversion: 1969-12-31 12:00 to the end of 3000.
  if (seconds < -43200 || seconds > 32535215999LL) return std::string();
  time_t t = static_cast<time_t>(seconds);
  struct tm tm {};
  if (!gmtime_r(&t, &tm)) return std::string();
  char buffer[80];
  size_t n = std::strftime(buffer, sizeof(buffer), "%Y-%m-%d %H:%M:%S", &tm);
  return std::string(buffer, n);
}

std::string FormatMinutes(int32_t seconds) {
  int32_t minutes = seconds / 60;
  if (minutes == 0) minutes = seconds > 0 ? 1 : 0;
  // Formed in the locale's code set, so that the character reaches labels as ANSI text.
  const std::string format = Utf8ToAnsi("%d分");
  char buffer[kFormatTextSize];
  FormatText(buffer, format.c_str(), minutes);
  return buffer;
}

bool IsAllDigits(const char* text) {
  if (!text || !*text) return false;
  for (; *text; ++text)
    if (*text < '0' || *text > '9') return false;
  return true;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
int FormatText(char (&buffer)[kFormatTextSize], const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, kFormatTextSize, format, args);
  va_end(args);
  if (n < 0) {
    buffer[0] = '\0';
    return 0;
  }
  return n < static_cast<int>(kFormatTextSize) ? n : static_cast<int>(kFormatTextSize) - 1;
}
#pragma GCC diagnostic pop

}  // namespace zv
