#include "sim/core/tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

namespace zv::sim {
namespace {

std::string LastSslError() {
  unsigned long code = ERR_get_error();
  char text[256] = {};
  ERR_error_string_n(code, text, sizeof text);
  ERR_clear_error();
  return text;
}

}  // namespace

void SslCtxFree::operator()(SSL_CTX* ctx) const {
  SSL_CTX_free(ctx);
}

SslCtxPtr CreateMutualTlsContext(const std::string& certDir, std::string& error) {
  SslCtxPtr ctx(SSL_CTX_new(TLS_server_method()));
  if (!ctx) {
    error = "SSL_CTX_new: " + LastSslError();
    return nullptr;
  }
  const std::string ca = certDir + "/ca.crt";
  const std::string cert = certDir + "/server.crt";
  const std::string key = certDir + "/server.key";
  if (SSL_CTX_use_certificate_chain_file(ctx.get(), cert.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(ctx.get(), key.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(ctx.get()) != 1) {
    error = "server certificate or key in " + certDir + ": " + LastSslError();
    return nullptr;
  }
  if (SSL_CTX_load_verify_locations(ctx.get(), ca.c_str(), nullptr) != 1) {
    error = "CA " + ca + ": " + LastSslError();
    return nullptr;
  }
  STACK_OF(X509_NAME)* names = SSL_load_client_CA_file(ca.c_str());
  if (names) SSL_CTX_set_client_CA_list(ctx.get(), names);
  SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_PEER | SSL_VERIFY_FAIL_IF_NO_PEER_CERT, nullptr);
  SSL_CTX_set_min_proto_version(ctx.get(), TLS1_2_VERSION);
  // Session resumption would hide from the log whether one connection was really reused.
  SSL_CTX_set_session_cache_mode(ctx.get(), SSL_SESS_CACHE_OFF);
  SSL_CTX_set_options(ctx.get(), SSL_OP_NO_TICKET);
  return ctx;
}

}  // namespace zv::sim
