// The account service's TLS setup: the server certificate, and a client certificate
// that must chain to the CA (mutual TLS).
#pragma once

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;

namespace zv::sim {

struct SslCtxFree {
  void operator()(SSL_CTX* ctx) const;
};
using SslCtxPtr = std::unique_ptr<SSL_CTX, SslCtxFree>;

// Reads ca.crt, server.crt and server.key from certDir.
SslCtxPtr CreateMutualTlsContext(const std::string& certDir, std::string& error);

}  // namespace zv::sim
