#include "sim/admin/admin_server.h"

#include "sim/core/json_text.h"

namespace zv::sim {

Json::Value AdminOk() {
  Json::Value answer(Json::objectValue);
  answer["ok"] = true;
  return answer;
}

Json::Value AdminError(const std::string& error) {
  Json::Value answer(Json::objectValue);
  answer["ok"] = false;
  answer["error"] = error;
  return answer;
}

CAdminServer::CAdminServer(event_base* base)
    : m_server(base, HttpServerOptions{"admin", nullptr, nullptr, nullptr},
               [this](const CHttpExchange& exchange) { return Answer(exchange); }) {}

void CAdminServer::AddRoute(const std::string& route, AdminHandler handler) {
  m_routes[route] = std::move(handler);
}

Json::Value CAdminServer::Dispatch(const std::string& route, const std::string& body) {
  auto it = m_routes.find(route);
  if (it == m_routes.end()) return AdminError("no admin route " + route);
  Json::Value request(Json::objectValue);
  if (body.find_first_not_of(" \t\r\n") != std::string::npos && !ParseJsonText(body, request)) {
    return AdminError("the body is not JSON");
  }
  // A module's handler must not take the whole sim down with it.
  try {
    Json::Value answer = it->second(request);
    if (!answer.isObject()) return AdminError("route " + route + " gave no object");
    return answer;
  } catch (const std::exception& e) {
    return AdminError(std::string("route failed: ") + e.what());
  }
}

CHttpReply CAdminServer::Answer(const CHttpExchange& exchange) {
  CHttpReply reply;
  if (exchange.method != "POST") {
    reply.status = 405;
    reply.body = ToJsonText(AdminError("admin routes take POST"));
    return reply;
  }
  std::string route = exchange.path.substr(1);
  Json::Value answer = Dispatch(route, exchange.body);
  if (!answer["ok"].asBool() && answer["error"].asString().rfind("no admin route", 0) == 0)
    reply.status = 404;
  reply.body = ToJsonText(answer);
  return reply;
}

}  // namespace zv::sim
