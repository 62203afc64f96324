// The one hash of the service protocol: MD5 over the password digest and the login sign.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace zv {

using Md5Bytes = std::array<uint8_t, 16>;

Md5Bytes Md5(const std::string& data);

// Each byte as two characters, high nibble first, from "0123456789abcdef".
std::string ToHexLower(const Md5Bytes& bytes);

// ToHexLower(MD5(a, "##", b)): the digest the client remembers instead of the password.
std::string MakePasswordDigest(const std::string& a, const std::string& b);

// ToHexLower(MD5(digest followed by the sign key)).
std::string MakeLoginSign(const std::string& digest, const std::string& signKey);

}  // namespace zv
