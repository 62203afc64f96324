// Conversions between the program's three text encodings (wide window text, narrow
// text in the locale's code set, UTF-8 on the wire) and the small formatting helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zv {

// UTF-8 <-> the locale's code set ("ANSI"), whole text up to the first NUL. Characters the
// target cannot hold become '?'. They never fail.
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);

// Window text <-> ANSI text, with the locale's code set.
std::string WideToAnsi(const std::wstring& wide);
std::wstring AnsiToWide(const std::string& ansi);

// Milliseconds since 1970 in decimal -> "%Y-%m-%d %H:%M:%S" in UTC+8.
std::string FormatMsTimestamp(const std::string& msText);

// Seconds -> whole minutes + "分" in ANSI; 1..59 seconds show as 1, -59..0 as 0.
std::string FormatMinutes(int32_t seconds);

// True for a non-empty text of ASCII digits only.
bool IsAllDigits(const char* text);

// printf-style formatting bounded to a 256-byte buffer (the result is cut, never overrun).
constexpr size_t kFormatTextSize = 256;
int FormatText(char (&buffer)[kFormatTextSize], const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace zv
