// The route table of the account service and what a route handler gets to work with.
#pragma once

#include <json/json.h>

#include <functional>
#include <map>
#include <string>

#include "sim/account/account_state.h"
#include "sim/core/http_form.h"
#include "sim/core/scenario.h"

namespace zv::sim {

struct AccountCall {
  const FormFields& form;
  CAccountState& state;
  const PortMap& ports;
  SimUser* user = nullptr;  // the session's user for routes that need a session

  std::string Field(const std::string& name) const {
    auto it = form.find(name);
    return it == form.end() ? "" : it->second;
  }
};

// Which identity a route checks before it runs.
enum class RouteAuth {
  kNone,     // anyone (key exchange, login, register, version, goods, pay modes)
  kSession,  // a live sessionId whose user matches userId, else -9999
  kUserId,   // a known userId without a session (the fault report sends none)
};

struct AccountRoute {
  RouteAuth auth = RouteAuth::kSession;
  std::function<Json::Value(AccountCall&)> handler;
};

using AccountRoutes = std::map<std::string, AccountRoute>;

// The envelope of an answer.
Json::Value AnswerOk(const Json::Value& resultInfo);
Json::Value AnswerFail(int code, const std::string& text);
// A strictly decimal, non-negative value of a form field; nullopt otherwise.
bool ParseCount(const std::string& text, int& value);

void AddLoginRoutes(AccountRoutes& routes);
void AddDeviceRoutes(AccountRoutes& routes);
void AddShopRoutes(AccountRoutes& routes);
void AddFeedbackRoutes(AccountRoutes& routes);

}  // namespace zv::sim
