#include "sim/stream/rtmp_server.h"

#include <arpa/inet.h>
#include <event2/event.h>
#include <event2/listener.h>
#include <netinet/in.h>

#include <cstring>
#include <vector>

namespace zv::sim::rtmp {

CRtmpServer::CRtmpServer(IRtmpHost& handler) : m_handler(handler) {}

CRtmpServer::~CRtmpServer() {
  // Connections go first: their destructors free bufferevents of the same base.
  m_connections.clear();
  if (m_listener) evconnlistener_free(m_listener);
  if (m_sweep) event_free(m_sweep);
}

bool CRtmpServer::Listen(event_base* base, int port, std::string& error) {
  m_base = base;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  m_listener = evconnlistener_new_bind(base, &CRtmpServer::OnAccept, this,
                                       LEV_OPT_CLOSE_ON_FREE | LEV_OPT_REUSEABLE | LEV_OPT_CLOSE_ON_EXEC, 16,
                                       reinterpret_cast<sockaddr*>(&address), sizeof(address));
  if (!m_listener) {
    error = "cannot listen on 127.0.0.1:" + std::to_string(port) + ": " + std::strerror(errno);
    return false;
  }
  sockaddr_in bound{};
  socklen_t length = sizeof(bound);
  getsockname(evconnlistener_get_fd(m_listener), reinterpret_cast<sockaddr*>(&bound), &length);
  m_port = ntohs(bound.sin_port);
  m_sweep = evtimer_new(base, &CRtmpServer::OnSweep, this);
  return m_sweep != nullptr;
}

void CRtmpServer::OnAccept(evconnlistener*, int fd, sockaddr* address, int, void* self) {
  auto* server = static_cast<CRtmpServer*>(self);
  char host[INET_ADDRSTRLEN] = "?";
  int peerPort = 0;
  if (address && address->sa_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    inet_ntop(AF_INET, &in->sin_addr, host, sizeof(host));
    peerPort = ntohs(in->sin_port);
  }
  const int id = server->m_nextId++;
  IRtmpHost& asHost = *server;
  auto connection =
      std::make_unique<CRtmpConnection>(asHost, id, std::string(host) + ":" + std::to_string(peerPort));
  CRtmpConnection& c = *connection;
  server->m_connections.emplace(id, std::move(connection));
  server->OnAccepted(c);
  if (!c.Attach(server->m_base, fd)) {
    c.Close("cannot attach the socket");
  }
}

void CRtmpServer::OnClosed(CRtmpConnection& c, const std::string& reason) {
  m_handler.OnClosed(c, reason);
  const timeval now{0, 0};
  if (m_sweep) evtimer_add(m_sweep, &now);
}

void CRtmpServer::OnSweep(int, short, void* self) {
  auto* server = static_cast<CRtmpServer*>(self);
  for (auto it = server->m_connections.begin(); it != server->m_connections.end();) {
    it = it->second->Closed() ? server->m_connections.erase(it) : std::next(it);
  }
}

void CRtmpServer::ForEach(const std::function<void(CRtmpConnection&)>& fn) {
  // fn may close connections; they stay in the map until the sweep.
  std::vector<CRtmpConnection*> open;
  for (auto& [id, c] : m_connections) {
    if (!c->Closed()) open.push_back(c.get());
  }
  for (CRtmpConnection* c : open) fn(*c);
}

void CRtmpServer::CloseAll(const std::string& reason) {
  ForEach([&](CRtmpConnection& c) { c.Close(reason); });
}

}  // namespace zv::sim::rtmp
