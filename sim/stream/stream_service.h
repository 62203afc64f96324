// The stream module's inside: the RTMP server, which names it plays, one simulated phone
// per device being played, and the admin routes under "stream/".
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>

#include "sim/phone/sim_phone.h"
#include "sim/sim_module.h"
#include "sim/stream/loop_mailbox.h"
#include "sim/stream/rtmp_server.h"
#include "sim/stream/stream_catalog.h"
#include "sim/stream/stream_log.h"

namespace zv::sim::rtmp {

class CStreamService : public ISimModule, private IRtmpHost {
 public:
  CStreamService();
  ~CStreamService() override;

  const char* Name() const override { return "stream"; }
  bool Start(SimContext& context, std::map<std::string, int>& ports, std::string& error) override;

 private:
  struct PadStream {
    std::unique_ptr<phone::CSimPhone> phone;
    std::set<int> players;
    Bytes sequenceHeader;
    uint32_t generation = 0;
  };

  PadStream& StreamFor(const std::string& padCode);
  PadStream* FindStream(const std::string& padCode);
  void OnPicture(const std::string& padCode, phone::PhonePicture&& picture);
  void DropPlayer(CRtmpConnection& connection);
  void HookBus(DeviceBus& bus);
  void RegisterRoutes(SimContext& context);
  // Applies fn to the players (of body's "padCode" when given); answers with their count.
  Json::Value ForPlayers(const Json::Value& body, const std::function<void(CRtmpConnection&)>& fn);
  void Reset();

  // IRtmpHost
  void OnAccepted(CRtmpConnection& c) override;
  void OnConnectCommand(CRtmpConnection& c) override;
  PlayAnswer OnPlay(CRtmpConnection& c, const std::string& name) override;
  void OnStopPlaying(CRtmpConnection& c) override;
  void OnUserControl(CRtmpConnection& c, uint16_t event, const Bytes& body) override;
  void OnClosed(CRtmpConnection& c, const std::string& reason) override;

  // Bus hooks, on the loop thread.
  void StreamReady(const std::string& padCode, const std::string& session, int streamNumber);
  void Pointer(const std::string& padCode, int action, int x, int y);
  void Key(const std::string& padCode, int keyCode, bool down);
  void Quality(const std::string& padCode, int value);
  void ControlClosed(const std::string& padCode);

  SimContext* m_context = nullptr;
  CStreamCatalog m_catalog;
  CStreamLog m_log;
  // Declared before the phones: their threads post here until they are stopped.
  CLoopMailbox m_mailbox;
  std::map<std::string, PadStream> m_pads;
  CRtmpServer m_server;
};

}  // namespace zv::sim::rtmp
