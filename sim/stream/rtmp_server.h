// The stream server's listener on 127.0.0.1 and the connections it accepted. Closed
// connections are destroyed on a later turn of the loop, never inside their callbacks.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "sim/stream/rtmp_connection.h"

struct evconnlistener;
struct sockaddr;
struct event;
struct event_base;

namespace zv::sim::rtmp {

class CRtmpServer : private IRtmpHost {
 public:
  explicit CRtmpServer(IRtmpHost& handler);
  ~CRtmpServer();
  CRtmpServer(const CRtmpServer&) = delete;
  CRtmpServer& operator=(const CRtmpServer&) = delete;

  // Port 0 binds an ephemeral port; Port() then tells which.
  bool Listen(event_base* base, int port, std::string& error);
  int Port() const { return m_port; }

  void ForEach(const std::function<void(CRtmpConnection&)>& fn);
  void CloseAll(const std::string& reason);

 private:
  static void OnAccept(evconnlistener* listener, int fd, ::sockaddr* address, int length, void* self);
  static void OnSweep(int fd, short what, void* self);

  void OnAccepted(CRtmpConnection& c) override { m_handler.OnAccepted(c); }
  void OnConnectCommand(CRtmpConnection& c) override { m_handler.OnConnectCommand(c); }
  PlayAnswer OnPlay(CRtmpConnection& c, const std::string& name) override {
    return m_handler.OnPlay(c, name);
  }
  void OnStopPlaying(CRtmpConnection& c) override { m_handler.OnStopPlaying(c); }
  void OnUserControl(CRtmpConnection& c, uint16_t event, const Bytes& body) override {
    m_handler.OnUserControl(c, event, body);
  }
  void OnClosed(CRtmpConnection& c, const std::string& reason) override;

  IRtmpHost& m_handler;
  event_base* m_base = nullptr;
  evconnlistener* m_listener = nullptr;
  event* m_sweep = nullptr;
  int m_port = 0;
  int m_nextId = 1;
  std::map<int, std::unique_ptr<CRtmpConnection>> m_connections;
};

}  // namespace zv::sim::rtmp
