#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "api/endpoint_config.h"

namespace zv {
namespace {

TEST(EndpointConfigTest, DefaultsPointAtTheSimulatedPlatform) {
  EndpointConfig config;
  EXPECT_EQ(config.AccountBaseUrl(), "https://127.0.0.1:8443/zelvaneauth");
  EXPECT_EQ(config.PaymentGatewayUrl(), "http://127.0.0.1:8680/gateway.html");
}

TEST(EndpointConfigTest, FileValuesWithCommentsAndBlankLines) {
  std::ostringstream err;
  EndpointConfig config = ParseEndpointConfig(
      "# deployment\n"
      "account_host = svc.example.test\n"
      "\n"
      "account_port=9443   # tls\n"
      "payment_host = 127.0.0.2\r\n"
      "payment_port = 18680\n"
      "web_base = http://www.example.test/\n"
      "chat_url = https://chat.example.test/room?id=1\n",
      "zelvane.conf", err);
  EXPECT_EQ(err.str(), "");
  EXPECT_EQ(config.AccountBaseUrl(), "https://svc.example.test:9443/zelvaneauth");
  EXPECT_EQ(config.PaymentGatewayUrl(), "http://127.0.0.2:18680/gateway.html");
  EXPECT_EQ(config.webBase, "http://www.example.test");
  EXPECT_EQ(config.chatUrl, "https://chat.example.test/room?id=1");
}

TEST(EndpointConfigTest, MalformedFileNamesTheLineAndKeepsTheDefaults) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"account_host = a\nnonsense\n", "zelvane.conf:2: expected 'key = value'"},
      {"account_port = 99999\n", "zelvane.conf:1: '99999' is not a port number"},
      {"\n\nmystery = 1\n", "zelvane.conf:3: unknown key 'mystery'"},
      {"account_host = bad/host\n", "zelvane.conf:1: 'bad/host' is not a host name"},
      {"web_base = ftp://x\n", "zelvane.conf:1: 'ftp://x' is not an http"},
  };
  for (const auto& c : cases) {
    std::ostringstream err;
    EndpointConfig config = ParseEndpointConfig(c.text, "zelvane.conf", err);
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("default"), std::string::npos);
    EXPECT_EQ(config.AccountBaseUrl(), EndpointConfig().AccountBaseUrl());
  }
}

TEST(EndpointConfigTest, EnvironmentOverridesTheFile) {
  setenv("ZELVANE_ACCOUNT_PORT", "18443", 1);
  setenv("ZELVANE_PAYMENT_HOST", "localhost", 1);
  setenv("ZELVANE_WEB_BASE", "not a url", 1);
  std::ostringstream err;
  EndpointConfig config = ParseEndpointConfig("account_port = 9443\n", "zelvane.conf", err);
  ApplyEndpointEnvironment(config, err);
  unsetenv("ZELVANE_ACCOUNT_PORT");
  unsetenv("ZELVANE_PAYMENT_HOST");
  unsetenv("ZELVANE_WEB_BASE");
  EXPECT_EQ(config.accountPort, 18443);
  EXPECT_EQ(config.paymentHost, "localhost");
  EXPECT_EQ(config.webBase, EndpointConfig().webBase);
  EXPECT_NE(err.str().find("ZELVANE_WEB_BASE"), std::string::npos);
}

}  // namespace
}  // namespace zv
