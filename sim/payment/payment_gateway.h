// The payment gateway: plain HTTP, POST /gateway.html?client=pc with orderId,
// payModeCode and os=pc. Browser modes answer the address of the payment page on the web
// site (the client appends the order's query); QR modes answer the text to encode.
#pragma once

#include "sim/account/account_state.h"
#include "sim/core/http_server.h"
#include "sim/core/scenario.h"

namespace zv::sim {

class CPaymentGateway {
 public:
  CPaymentGateway(CAccountState& state, const PortMap& ports) : m_state(state), m_ports(ports) {}
  CHttpReply Answer(const CHttpExchange& exchange);
  Json::Value Pay(const FormFields& form);

 private:
  CAccountState& m_state;
  const PortMap& m_ports;
};

// payType 2 pays by scanning a QR code; 0 and 1 in the browser.
bool IsQrPayMode(const Json::Value& mode);

}  // namespace zv::sim
