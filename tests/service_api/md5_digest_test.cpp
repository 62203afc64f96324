#include "api/md5_digest.h"

#include <gtest/gtest.h>

#include "api/service_api.h"

namespace zv {
namespace {

TEST(Md5DigestTest, MatchesTheReferenceVectors) {
  const struct {
    const char* input;
    const char* hex;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHexLower(Md5(c.input)), c.hex) << c.input;
}

TEST(Md5DigestTest, HexIsLowerCaseHighNibbleFirst) {
  Md5Bytes bytes{};
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 0x11);
  bytes[1] = 0x0A;
  bytes[2] = 0xA0;
  EXPECT_EQ(CServiceApi::ToHexLower(bytes), "000aa033445566778899aabbccddeeff");
}

TEST(Md5DigestTest, PasswordDigestAndSignOfTheLoginHandshake) {
  // MD5("10086" "##" "123456"), then MD5(digest + key).
  const std::string digest = CServiceApi::MakePasswordDigest("10086", "123456");
  EXPECT_EQ(digest, "5d99b6a4adf93d7ec6100e46ea8e8928");
  EXPECT_EQ(MakeLoginSign(digest, "K3y"), "7e9dad90655d924661d48c54cc87c76e");
  // The id is part of the digest: the same password under another account differs.
  EXPECT_EQ(CServiceApi::MakePasswordDigest("10087", "123456"), "427070082878b1351fca0cc33bdefda6");
  // With no remembered digest the sign covers the key alone.
  EXPECT_EQ(MakeLoginSign("", "K3y"), "2c1da2db70ab818aa50a6b316ee3e0fc");
  // The password's ANSI bytes are hashed as they are (here GBK).
  EXPECT_EQ(CServiceApi::MakePasswordDigest("10086", "\xC3\xDC\xC2\xEB"), "f6e42c81ddf9ffc4980a89c893932a6b");
}

}  // namespace
}  // namespace zv
