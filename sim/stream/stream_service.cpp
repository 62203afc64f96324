#include "sim/stream/stream_service.h"

#include "sim/phone/quality_profile.h"
#include "sim/stream/flv_avc.h"
#include "sim/stream/rtmp_messages.h"
#include "sim/stream/stream_module.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <chrono>

namespace zv::sim::rtmp {
namespace {

uint64_t NowMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

// scenario.stream.pingIntervalMs: how often players are pinged; 0 turns it off.
int PingInterval(const Json::Value& scenario) {
  constexpr int kDefault = 10'000;
  if (!scenario.isObject() || !scenario["stream"].isObject()) return kDefault;
  const Json::Value& v = scenario["stream"]["pingIntervalMs"];
  return v.isNumeric() ? std::clamp(v.asInt(), 0, 3'600'000) : kDefault;
}

// The scenario's port (0 = ephemeral), else the standard RTMP port.
int ScenarioPort(const Json::Value& scenario) {
  if (!scenario.isObject() || !scenario["ports"].isObject() || !scenario["ports"].isMember("rtmp")) return 1935;
  const Json::Value& port = scenario["ports"]["rtmp"];
  return port.isNumeric() ? port.asInt() : 0;
}

// Keeps whatever another module already hooked in front of ours.
template <typename... Args>
void Chain(std::function<void(Args...)>& slot, std::function<void(Args...)> ours) {
  std::function<void(Args...)> before = slot;
  if (!before) {
    slot = std::move(ours);
    return;
  }
  slot = [before, ours](Args... args) {
    before(args...);
    ours(args...);
  };
}

}  // namespace

CStreamService::CStreamService() : m_server(*this) {}

CStreamService::~CStreamService() = default;

bool CStreamService::Start(SimContext& context, std::map<std::string, int>& ports, std::string& error) {
  m_context = &context;
  // The encoder's banner lines are noise in the sim's output.
  av_log_set_level(AV_LOG_WARNING);
  if (!m_mailbox.Open(context.Base())) {
    error = "stream: cannot create the phones' mailbox";
    return false;
  }
  if (!m_server.Listen(context.Base(), ScenarioPort(context.Scenario()), error)) {
    error = "stream: " + error;
    return false;
  }
  ports["rtmp"] = m_server.Port();
  HookBus(context.bus);
  RegisterRoutes(context);
  context.OnReset([this] { Reset(); });
  return true;
}

void CStreamService::HookBus(DeviceBus& bus) {
  Chain(bus.onStreamReady, std::function<void(const std::string&, const std::string&, int)>(
                               [this](const std::string& pad, const std::string& session, int number) {
                                 StreamReady(pad, session, number);
                               }));
  Chain(bus.onPointer,
        std::function<void(const std::string&, int, int, int)>(
            [this](const std::string& pad, int action, int x, int y) { Pointer(pad, action, x, y); }));
  Chain(bus.onKey, std::function<void(const std::string&, int, bool)>(
                       [this](const std::string& pad, int code, bool down) { Key(pad, code, down); }));
  Chain(bus.onQuality, std::function<void(const std::string&, int)>(
                           [this](const std::string& pad, int v) { Quality(pad, v); }));
  Chain(bus.onControlClosed,
        std::function<void(const std::string&)>([this](const std::string& pad) { ControlClosed(pad); }));
}

CStreamService::PadStream* CStreamService::FindStream(const std::string& padCode) {
  auto it = m_pads.find(padCode);
  return it == m_pads.end() ? nullptr : &it->second;
}

CStreamService::PadStream& CStreamService::StreamFor(const std::string& padCode) {
  PadStream& ps = m_pads[padCode];
  if (!ps.phone) {
    const DeviceScreen screen = ScreenOf(m_context->Scenario(), padCode);
    ps.phone = std::make_unique<phone::CSimPhone>(
        screen.width, screen.height, [this, padCode](phone::PhonePicture&& p) {
          auto picture = std::make_shared<phone::PhonePicture>(std::move(p));
          m_mailbox.Post([this, padCode, picture] { OnPicture(padCode, std::move(*picture)); });
        });
  }
  return ps;
}

void CStreamService::StreamReady(const std::string& padCode, const std::string& session, int streamNumber) {
  m_catalog.Announce(padCode, session, streamNumber);
  StreamFor(padCode);
}

void CStreamService::Pointer(const std::string& padCode, int action, int x, int y) {
  StreamFor(padCode).phone->SetPointer(action, x, y);
}

void CStreamService::Key(const std::string& padCode, int keyCode, bool down) {
  StreamFor(padCode).phone->SetKey(keyCode, down);
}

void CStreamService::Quality(const std::string& padCode, int value) {
  StreamFor(padCode).phone->SetQuality(value);
}

void CStreamService::ControlClosed(const std::string& padCode) {
  // The device's session is over: its stream ends and its name is no longer played.
  m_catalog.Forget(padCode);
  m_server.ForEach([&](CRtmpConnection& c) {
    if (c.PadCode() == padCode && c.Playing()) c.End("the device's control connection closed");
  });
}

void CStreamService::OnAccepted(CRtmpConnection& c) {
  m_log.Connected(c.Id(), c.Peer());
}

void CStreamService::OnConnectCommand(CRtmpConnection& c) {
  m_log.ConnectCommand(c.Id(), c.App(), c.TcUrl());
}

PlayAnswer CStreamService::OnPlay(CRtmpConnection& c, const std::string& name) {
  const StreamMatch match = m_catalog.Resolve(
      name, m_context->Scenario(), [this](const std::string& s) { return m_context->IsSessionLive(s); });
  m_log.Play(c.Id(), name, match.found, match.padCode, match.reason);
  PlayAnswer answer;
  answer.accepted = match.found;
  answer.reason = match.reason;
  if (!match.found) return answer;
  PadStream& ps = StreamFor(match.padCode);
  ps.players.insert(c.Id());
  ps.phone->RequestKeyframe();
  ps.phone->Start();
  const phone::QualityProfile& profile = phone::ProfileFor(ps.phone->Quality());
  answer.padCode = match.padCode;
  answer.width = ps.phone->Width();
  answer.height = ps.phone->Height();
  answer.fps = profile.fps;
  answer.kbps = profile.bitrate / 1000;
  answer.pingIntervalMs = PingInterval(m_context->Scenario());
  return answer;
}

void CStreamService::DropPlayer(CRtmpConnection& c) {
  PadStream* ps = FindStream(c.PadCode());
  if (!ps || ps->players.erase(c.Id()) == 0) return;
  // Render only while someone plays.
  if (ps->players.empty()) ps->phone->Stop();
}

void CStreamService::OnStopPlaying(CRtmpConnection& c) {
  DropPlayer(c);
}

void CStreamService::OnUserControl(CRtmpConnection& c, uint16_t event, const Bytes& body) {
  if (event == kAutoQualityFlag) m_log.AutoQualityFlag(c.Id(), body);
  if (event == kPingResponse) m_log.PingResponse(c.Id());
}

void CStreamService::OnClosed(CRtmpConnection& c, const std::string& reason) {
  m_log.Closed(c.Id(), reason);
  DropPlayer(c);
}

void CStreamService::OnPicture(const std::string& padCode, phone::PhonePicture&& picture) {
  PadStream* ps = FindStream(padCode);
  if (!ps || !ps->phone->Running() || ps->players.empty()) return;
  if (picture.keyframe && (picture.generation != ps->generation || ps->sequenceHeader.empty())) {
    ParameterSets sets;
    if (FindParameterSets(picture.accessUnit.data(), picture.accessUnit.size(), sets)) {
      ps->sequenceHeader = BuildSequenceHeader(sets);
      ps->generation = picture.generation;
      m_server.ForEach([&](CRtmpConnection& c) {
        if (ps->players.count(c.Id())) c.NeedSequenceHeader();
      });
    }
  }
  // Pictures of an encoder whose sequence header is not out yet cannot be decoded.
  if (picture.generation != ps->generation) return;
  const uint64_t now = NowMs();
  bool wantsKeyframe = false;
  m_server.ForEach([&](CRtmpConnection& c) {
    if (!ps->players.count(c.Id())) return;
    c.SendPicture(ps->sequenceHeader, picture.accessUnit.data(), picture.accessUnit.size(), picture.keyframe,
                  picture.captureMs, now);
    wantsKeyframe = wantsKeyframe || c.WantsKeyframe(now);
  });
  if (wantsKeyframe && !picture.keyframe) ps->phone->RequestKeyframe();
}

void CStreamService::Reset() {
  m_server.CloseAll("scenario reset");
  for (auto& [pad, ps] : m_pads) ps.phone->Stop();
  m_pads.clear();
  m_catalog.Clear();
  m_log.Clear();
}

}  // namespace zv::sim::rtmp

std::unique_ptr<zv::sim::ISimModule> CreateStreamModule() {
  return std::make_unique<zv::sim::rtmp::CStreamService>();
}
