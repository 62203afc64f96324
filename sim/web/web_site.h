// The platform's web pages the client opens or embeds: the ad, registration, forgotten
// password, customer-service chat and the payment pages that complete an order.
#pragma once

#include "sim/account/account_state.h"
#include "sim/core/http_server.h"

namespace zv::sim {

class CWebSite {
 public:
  explicit CWebSite(CAccountState& state) : m_state(state) {}
  CHttpReply Answer(const CHttpExchange& exchange);

 private:
  std::string PayPage(const CHttpExchange& exchange);

  CAccountState& m_state;
};

// Escapes a text for an HTML body.
std::string HtmlEscape(const std::string& text);

}  // namespace zv::sim
