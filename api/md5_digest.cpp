#include "api/md5_digest.h"

#include <mbedtls/md5.h>

namespace zv {

Md5Bytes Md5(const std::string& data) {
  Md5Bytes out{};
  mbedtls_md5_context context;
  mbedtls_md5_init(&context);
  // MD5 over a memory buffer cannot fail; the return codes exist for hardware back ends.
  mbedtls_md5_starts_ret(&context);
  mbedtls_md5_update_ret(&context, reinterpret_cast<const unsigned char*>(data.data()), data.size());
  mbedtls_md5_finish_ret(&context, out.data());
  mbedtls_md5_free(&context);
  return out;
}

std::string ToHexLower(const Md5Bytes& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (uint8_t byte : bytes) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 0x0F]);
  }
  return text;
}

std::string MakePasswordDigest(const std::string& a, const std::string& b) {
  return ToHexLower(Md5(a + "##" + b));
}

std::string MakeLoginSign(const std::string& digest, const std::string& signKey) {
  return ToHexLower(Md5(digest + signKey));
}

}  // namespace zv
