#include "sim/core/http_server.h"

#include <arpa/inet.h>
#include <event2/buffer.h>
#include <event2/bufferevent.h>
#include <event2/bufferevent_ssl.h>
#include <event2/event.h>
#include <event2/http.h>
#include <event2/keyvalq_struct.h>
#include <netinet/in.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>

#include "sim/core/fault_injector.h"
#include "sim/core/request_log.h"

namespace zv::sim {
namespace {

constexpr size_t kMaxBodyBytes = 1 << 20;

int NextConnectionId() {
  static int next = 0;
  return ++next;
}

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

const char* MethodName(evhttp_cmd_type command) {
  switch (command) {
    case EVHTTP_REQ_GET:
      return "GET";
    case EVHTTP_REQ_POST:
      return "POST";
    case EVHTTP_REQ_HEAD:
      return "HEAD";
    case EVHTTP_REQ_PUT:
      return "PUT";
    case EVHTTP_REQ_DELETE:
      return "DELETE";
    default:
      return "OTHER";
  }
}

bufferevent* MakeTlsBufferEvent(event_base* base, void* ctx) {
  SSL* ssl = SSL_new(static_cast<SSL_CTX*>(ctx));
  if (!ssl) return nullptr;
  bufferevent* bev =
      bufferevent_openssl_socket_new(base, -1, ssl, BUFFEREVENT_SSL_ACCEPTING, BEV_OPT_CLOSE_ON_FREE);
  // Clients commonly close without a TLS close_notify; that is not an error here.
  if (bev) bufferevent_openssl_set_allow_dirty_shutdown(bev, 1);
  return bev;
}

std::string PeerSubject(evhttp_connection* connection) {
  bufferevent* bev = evhttp_connection_get_bufferevent(connection);
  SSL* ssl = bev ? bufferevent_openssl_get_ssl(bev) : nullptr;
  if (!ssl) return "";
  X509* peer = SSL_get1_peer_certificate(ssl);
  if (!peer) return "";
  char text[512] = {};
  X509_NAME_oneline(X509_get_subject_name(peer), text, sizeof text);
  X509_free(peer);
  return text;
}

Json::Value FieldsToJson(const FormFields& fields) {
  Json::Value object(Json::objectValue);
  for (const auto& [name, value] : fields) object[name] = value;
  return object;
}

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 500:
      return "Internal Server Error";
    default:
      return "Status";
  }
}

CHttpReply FaultReply(FaultMode mode) {
  CHttpReply reply;
  if (mode == FaultMode::kHtml500) {
    reply.status = 500;
    reply.contentType = "text/html;charset=UTF-8";
    reply.body =
        "<html><head><title>500 Internal Server Error</title></head>"
        "<body><h1>500 Internal Server Error</h1><p>服务器内部错误</p></body></html>";
  } else {
    reply.contentType = "application/json;charset=UTF-8";
    reply.body = "\x7f\xfe{\"resultCode\":0,\"resultInfo\":\x01\x02<<garbled";
  }
  return reply;
}

}  // namespace

struct CHttpServer::PendingReply {
  CHttpServer* server = nullptr;
  evhttp_request* request = nullptr;
  int connectionId = 0;
  CHttpReply reply;
  event* timer = nullptr;
};

CHttpServer::CHttpServer(event_base* base, HttpServerOptions options, HttpHandler handler)
    : m_base(base), m_options(std::move(options)), m_handler(std::move(handler)) {}

CHttpServer::~CHttpServer() {
  for (auto& pending : m_pending) event_free(pending->timer);
  if (m_http) evhttp_free(m_http);
}

bool CHttpServer::Bind(int port, std::string& error) {
  m_http = evhttp_new(m_base);
  if (!m_http) {
    error = "evhttp_new failed";
    return false;
  }
  evhttp_set_max_body_size(m_http, kMaxBodyBytes);
  evhttp_set_timeout(m_http, 300);
  evhttp_set_gencb(m_http, &CHttpServer::OnRequest, this);
  if (m_options.tls) evhttp_set_bevcb(m_http, &MakeTlsBufferEvent, m_options.tls);
  evhttp_bound_socket* bound =
      evhttp_bind_socket_with_handle(m_http, "127.0.0.1", static_cast<uint16_t>(port));
  if (!bound) {
    error = m_options.service + ": cannot bind 127.0.0.1:" + std::to_string(port);
    return false;
  }
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(evhttp_bound_socket_get_fd(bound), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    error = m_options.service + ": getsockname failed";
    return false;
  }
  m_port = ntohs(address.sin_port);
  return true;
}

void CHttpServer::OnRequest(evhttp_request* request, void* self) {
  static_cast<CHttpServer*>(self)->Handle(request);
}

void CHttpServer::OnConnectionClosed(evhttp_connection* connection, void* self) {
  auto* server = static_cast<CHttpServer*>(self);
  auto it = server->m_connections.find(connection);
  if (it == server->m_connections.end()) return;
  int id = it->second;
  server->m_connections.erase(it);
  // A delayed answer whose connection went away has no request left to answer.
  for (auto& pending : server->m_pending) {
    if (pending->connectionId == id) pending->request = nullptr;
  }
}

int CHttpServer::ConnectionId(evhttp_connection* connection) {
  auto it = m_connections.find(connection);
  if (it != m_connections.end()) return it->second;
  int id = NextConnectionId();
  m_connections[connection] = id;
  evhttp_connection_set_closecb(connection, &CHttpServer::OnConnectionClosed, this);
  return id;
}

CHttpExchange CHttpServer::Decode(evhttp_request* request) {
  CHttpExchange exchange;
  exchange.service = m_options.service;
  exchange.method = MethodName(evhttp_request_get_command(request));
  const evhttp_uri* uri = evhttp_request_get_evhttp_uri(request);
  const char* path = uri ? evhttp_uri_get_path(uri) : nullptr;
  const char* query = uri ? evhttp_uri_get_query(uri) : nullptr;
  exchange.path = path && *path ? path : "/";
  exchange.query = query ? query : "";
  exchange.queryFields = ParseForm(exchange.query);
  evbuffer* input = evhttp_request_get_input_buffer(request);
  size_t length = evbuffer_get_length(input);
  exchange.body.resize(length);
  if (length) evbuffer_copyout(input, exchange.body.data(), length);
  exchange.form = ParseForm(exchange.body);
  const char* cookie = evhttp_find_header(evhttp_request_get_input_headers(request), "Cookie");
  if (cookie) exchange.cookies = ParseCookies(cookie);
  evhttp_connection* connection = evhttp_request_get_connection(request);
  if (connection) {
    exchange.connectionId = ConnectionId(connection);
    if (m_options.tls) exchange.peerSubject = PeerSubject(connection);
  }
  return exchange;
}

void CHttpServer::LogExchange(const CHttpExchange& exchange) {
  Json::Value entry;
  entry["service"] = exchange.service;
  entry["method"] = exchange.method;
  entry["path"] = exchange.path;
  entry["query"] = exchange.query;
  entry["rawBody"] = exchange.body;
  entry["body"] = FieldsToJson(exchange.form);
  entry["cookies"] = FieldsToJson(exchange.cookies);
  entry["connection"] = exchange.connectionId;
  entry["time"] = Json::Int64(NowMs());
  if (!exchange.peerSubject.empty()) entry["peer"] = exchange.peerSubject;
  m_options.log->Add(std::move(entry));
}

void CHttpServer::Handle(evhttp_request* request) {
  CHttpExchange exchange = Decode(request);
  if (m_options.log) LogExchange(exchange);
  std::optional<Fault> fault;
  if (m_options.faults) fault = m_options.faults->Take(exchange.path);
  if (fault && fault->mode != FaultMode::kDelay) {
    Send(request, FaultReply(fault->mode));
    return;
  }
  CHttpReply reply;
  try {
    reply = m_handler(exchange);
  } catch (const std::exception& e) {
    // Exceptions must not unwind through libevent's C callbacks.
    reply = CHttpReply{};
    reply.status = 500;
    reply.contentType = "text/plain;charset=UTF-8";
    reply.body = std::string("internal error: ") + e.what();
  }
  if (fault) {
    SendLater(request, exchange.connectionId, std::move(reply), fault->delayMs);
  } else {
    Send(request, reply);
  }
}

void CHttpServer::Send(evhttp_request* request, const CHttpReply& reply) {
  evkeyvalq* headers = evhttp_request_get_output_headers(request);
  evhttp_add_header(headers, "Content-Type", reply.contentType.c_str());
  for (const auto& [name, value] : reply.headers) evhttp_add_header(headers, name.c_str(), value.c_str());
  evbuffer* out = evbuffer_new();
  evbuffer_add(out, reply.body.data(), reply.body.size());
  evhttp_send_reply(request, reply.status, ReasonPhrase(reply.status), out);
  evbuffer_free(out);
}

void CHttpServer::SendLater(evhttp_request* request, int connectionId, CHttpReply reply, int delayMs) {
  auto pending = std::make_unique<PendingReply>();
  pending->server = this;
  pending->request = request;
  pending->connectionId = connectionId;
  pending->reply = std::move(reply);
  pending->timer = evtimer_new(m_base, &CHttpServer::OnDelayElapsed, pending.get());
  timeval delay{delayMs / 1000, (delayMs % 1000) * 1000};
  evtimer_add(pending->timer, &delay);
  m_pending.push_back(std::move(pending));
}

void CHttpServer::OnDelayElapsed(int, short, void* arg) {
  auto* pending = static_cast<PendingReply*>(arg);
  CHttpServer* server = pending->server;
  if (pending->request) server->Send(pending->request, pending->reply);
  event_free(pending->timer);
  auto& list = server->m_pending;
  list.erase(std::remove_if(list.begin(), list.end(), [&](const auto& p) { return p.get() == pending; }),
             list.end());
}

}  // namespace zv::sim
