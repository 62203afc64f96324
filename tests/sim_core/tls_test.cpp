// Mutual TLS of the account service, and the client key's form.
#include <mbedtls/pk.h>

#include "tests/sim_core/sim_fixture.h"

namespace zv::sim::test {
namespace {

TEST_F(SimTest, AccountServiceRefusesClientsWithoutACertificateOfItsCa) {
  struct Case {
    ClientCert cert;
    const char* what;
  } refused[] = {{ClientCert::kNone, "no client certificate"},
                 {ClientCert::kOtherCa, "a certificate of another CA"},
                 {ClientCert::kWrongPassPhrase, "a key that cannot be decrypted"}};
  for (const auto& c : refused) {
    CSimClient stranger(Sim(), c.cert);
    HttpResult result = stranger.Account("/version/checkNewVersion.html", "os=win");
    EXPECT_NE(result.code, CURLE_OK) << c.what;
    EXPECT_TRUE(result.body.empty()) << c.what;
  }
  EXPECT_EQ(LogOf("account").size(), 0u) << "a refused client never reaches the service";
  HttpResult accepted = client.Account("/version/checkNewVersion.html", "os=win");
  ASSERT_EQ(accepted.code, CURLE_OK) << curl_easy_strerror(accepted.code);
  EXPECT_EQ(accepted.json["resultCode"].asInt(), 0);
  EXPECT_EQ(LogOf("account")[0]["peer"].asString(), "/CN=zelvane-player");
}

TEST_F(SimTest, ConsecutiveRequestsReuseOneTlsConnection) {
  client.Account("/version/checkNewVersion.html", "os=win");
  client.Account("/goods/getVipGoods.html", "");
  client.Account("/order/getPayModes.html", "os=pc");
  CSimClient second(Sim());
  second.Account("/version/checkNewVersion.html", "os=win");
  Json::Value log = LogOf("account");
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0]["connection"].asInt(), log[1]["connection"].asInt());
  EXPECT_EQ(log[1]["connection"].asInt(), log[2]["connection"].asInt());
  EXPECT_NE(log[2]["connection"].asInt(), log[3]["connection"].asInt())
      << "another handle, another connection";
}

TEST(ClientKey, ReadableByMbedTlsWithThePassPhraseOnly) {
  const std::string key = Sim().CertDir() + "/client.key";
  mbedtls_pk_context pk;
  mbedtls_pk_init(&pk);
  EXPECT_EQ(mbedtls_pk_parse_keyfile(&pk, key.c_str(), "vantrope"), 0);
  mbedtls_pk_free(&pk);
  mbedtls_pk_init(&pk);
  EXPECT_NE(mbedtls_pk_parse_keyfile(&pk, key.c_str(), "wrong"), 0);
  mbedtls_pk_free(&pk);
  mbedtls_pk_init(&pk);
  EXPECT_NE(mbedtls_pk_parse_keyfile(&pk, key.c_str(), nullptr), 0) << "the key is encrypted";
  mbedtls_pk_free(&pk);
}

}  // namespace
}  // namespace zv::sim::test
