// The stream server's admin routes: faults a test injects into the players' streams and
// the log of what the players sent.
#include <chrono>

#include "sim/stream/stream_service.h"

namespace zv::sim::rtmp {
namespace {

constexpr double kMaxPauseMs = 600'000;

Json::Value Failure(const std::string& error) {
  Json::Value out;
  out["ok"] = false;
  out["error"] = error;
  return out;
}

uint64_t NowMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

std::string Text(const Json::Value& body, const char* key) {
  return body.isObject() && body[key].isString() ? body[key].asString() : std::string();
}

}  // namespace

Json::Value CStreamService::ForPlayers(const Json::Value& body,
                                       const std::function<void(CRtmpConnection&)>& fn) {
  const std::string pad = Text(body, "padCode");
  int count = 0;
  m_server.ForEach([&](CRtmpConnection& c) {
    if (!c.Playing() || (!pad.empty() && c.PadCode() != pad)) return;
    fn(c);
    ++count;
  });
  Json::Value out;
  out["ok"] = true;
  out["players"] = count;
  return out;
}

void CStreamService::RegisterRoutes(SimContext& context) {
  context.AddAdminRoute("stream/status", [this](const Json::Value& body) {
    const std::string code = Text(body, "code");
    if (code.empty()) return Failure("\"code\" (text) is required");
    std::string level = Text(body, "level");
    if (level.empty()) level = "status";
    std::string description = Text(body, "description");
    if (description.empty()) description = code;
    return ForPlayers(body, [&](CRtmpConnection& c) { c.SendStatus(level, code, description); });
  });
  context.AddAdminRoute("stream/stall", [this](const Json::Value& body) {
    return ForPlayers(body, [](CRtmpConnection& c) { c.Stall(); });
  });
  context.AddAdminRoute("stream/pause", [this](const Json::Value& body) {
    if (!body.isObject() || !body["ms"].isNumeric() || body["ms"].asDouble() <= 0 ||
        body["ms"].asDouble() > kMaxPauseMs) {
      return Failure("\"ms\" must be a number of milliseconds between 1 and 600000");
    }
    const uint64_t until = NowMs() + static_cast<uint64_t>(body["ms"].asDouble());
    return ForPlayers(body, [until](CRtmpConnection& c) { c.Pause(until); });
  });
  context.AddAdminRoute("stream/end", [this](const Json::Value& body) {
    return ForPlayers(body, [](CRtmpConnection& c) { c.End("ended by the admin interface"); });
  });
  context.AddAdminRoute("stream/log", [this](const Json::Value&) {
    Json::Value out = m_log.ToJson();
    out["ok"] = true;
    Json::Value players(Json::arrayValue);
    m_server.ForEach([&](CRtmpConnection& c) {
      if (!c.Playing()) return;
      Json::Value p;
      p["connection"] = c.Id();
      p["name"] = c.StreamName();
      p["padCode"] = c.PadCode();
      players.append(p);
    });
    out["players"] = players;
    Json::Value phones(Json::arrayValue);
    for (const auto& [pad, ps] : m_pads) {
      Json::Value p;
      p["padCode"] = pad;
      p["running"] = ps.phone->Running();
      p["quality"] = ps.phone->Quality();
      p["width"] = ps.phone->Width();
      p["height"] = ps.phone->Height();
      p["players"] = static_cast<int>(ps.players.size());
      phones.append(p);
    }
    out["phones"] = phones;
    return out;
  });
  context.AddAdminRoute("stream/log/clear", [this](const Json::Value&) {
    m_log.Clear();
    Json::Value out;
    out["ok"] = true;
    return out;
  });
}

}  // namespace zv::sim::rtmp
