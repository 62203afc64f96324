// The admin interface: POST /<route> with a JSON body answers JSON. The core's routes and
// the modules' routes live in one table.
#pragma once

#include <json/json.h>

#include <map>
#include <memory>
#include <string>

#include "sim/core/http_server.h"
#include "sim/sim_module.h"

namespace zv::sim {

class CAdminServer {
 public:
  explicit CAdminServer(event_base* base);

  void AddRoute(const std::string& route, AdminHandler handler);
  bool Bind(int port, std::string& error) { return m_server.Bind(port, error); }
  int Port() const { return m_server.Port(); }

  // The answer to one admin request, without HTTP: used by the listener and by tests.
  Json::Value Dispatch(const std::string& route, const std::string& body);

 private:
  CHttpReply Answer(const CHttpExchange& exchange);

  std::map<std::string, AdminHandler> m_routes;
  CHttpServer m_server;
};

Json::Value AdminOk();
Json::Value AdminError(const std::string& error);

}  // namespace zv::sim
