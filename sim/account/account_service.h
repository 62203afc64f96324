// The simulated account service: form-encoded POSTs below "/zelvaneauth" answered with
// UTF-8 JSON envelopes, over mutual TLS (the listener's TLS context enforces that).
#pragma once

#include "sim/account/account_routes.h"
#include "sim/core/http_server.h"

namespace zv::sim {

constexpr const char* kAccountPrefix = "/zelvaneauth";
constexpr const char* kSessionCookie = "ZVSID";
constexpr int kSessionExpired = -9999;

class CAccountService {
 public:
  CAccountService(CAccountState& state, const PortMap& ports);
  CHttpReply Answer(const CHttpExchange& exchange);
  // The envelope for a path and decoded form, without HTTP.
  Json::Value Call(const std::string& route, const FormFields& form);

 private:
  CAccountState& m_state;
  const PortMap& m_ports;
  AccountRoutes m_routes;
};

}  // namespace zv::sim
