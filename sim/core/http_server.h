// One loopback HTTP or HTTPS listener of the simulated platform on the shared event base.
// Every request is decoded into a CHttpExchange, logged, checked against the armed faults
// and then answered by the service's handler.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "sim/core/http_form.h"

struct event_base;
struct evhttp;
struct evhttp_request;
struct evhttp_connection;
typedef struct ssl_ctx_st SSL_CTX;

namespace zv::sim {

class CRequestLog;
class CFaultInjector;

struct CHttpExchange {
  std::string service;
  std::string method;
  std::string path;
  std::string query;
  std::string body;  // raw bytes as received
  FormFields form;   // the body, percent-decoded
  FormFields queryFields;
  FormFields cookies;
  int connectionId = 0;     // the same for every request over one (TLS) connection
  std::string peerSubject;  // subject of the client certificate, HTTPS only
};

struct CHttpReply {
  int status = 200;
  std::string contentType = "application/json;charset=UTF-8";
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

using HttpHandler = std::function<CHttpReply(const CHttpExchange&)>;

struct HttpServerOptions {
  std::string service;               // name in the log: "account", "payment", "web", "admin"
  SSL_CTX* tls = nullptr;            // HTTPS when set (the context outlives the server)
  CRequestLog* log = nullptr;        // requests are logged when set
  CFaultInjector* faults = nullptr;  // armed faults apply when set
};

class CHttpServer {
 public:
  CHttpServer(event_base* base, HttpServerOptions options, HttpHandler handler);
  ~CHttpServer();
  CHttpServer(const CHttpServer&) = delete;
  CHttpServer& operator=(const CHttpServer&) = delete;

  // Binds 127.0.0.1:port (0 = ephemeral); Port() is then the bound port.
  bool Bind(int port, std::string& error);
  int Port() const { return m_port; }

 private:
  struct PendingReply;

  static void OnRequest(evhttp_request* request, void* self);
  static void OnConnectionClosed(evhttp_connection* connection, void* self);
  static void OnDelayElapsed(int fd, short what, void* pending);

  void Handle(evhttp_request* request);
  CHttpExchange Decode(evhttp_request* request);
  int ConnectionId(evhttp_connection* connection);
  void LogExchange(const CHttpExchange& exchange);
  void Send(evhttp_request* request, const CHttpReply& reply);
  void SendLater(evhttp_request* request, int connectionId, CHttpReply reply, int delayMs);

  event_base* m_base;
  HttpServerOptions m_options;
  HttpHandler m_handler;
  evhttp* m_http = nullptr;
  int m_port = 0;
  std::map<evhttp_connection*, int> m_connections;
  std::vector<std::unique_ptr<PendingReply>> m_pending;
};

}  // namespace zv::sim
