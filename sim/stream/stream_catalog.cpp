#include "sim/stream/stream_catalog.h"

#include <algorithm>

namespace zv::sim::rtmp {
namespace {

int ScreenSide(const Json::Value& screen, const char* key, int fallback) {
  const Json::Value& v = screen[key];
  if (!v.isNumeric()) return fallback;
  const int side = std::clamp(v.asInt(), 16, 4096);
  return (side + 1) & ~1;
}

}  // namespace

void CStreamCatalog::Announce(const std::string& padCode, const std::string& session, int streamNumber) {
  m_streams[padCode] = Announcement{session, streamNumber};
}

void CStreamCatalog::Forget(const std::string& padCode) {
  m_streams.erase(padCode);
}

StreamMatch CStreamCatalog::Resolve(const std::string& name, const Json::Value& scenario,
                                    const std::function<bool(const std::string&)>& isSessionLive) const {
  StreamMatch match;
  for (const auto& [pad, a] : m_streams) {
    if (name != a.session + "-" + pad + "-" + std::to_string(a.streamNumber)) continue;
    if (!FindDevice(scenario, pad)) {
      match.reason = "device " + pad + " is not in the scenario";
    } else if (isSessionLive && !isSessionLive(a.session)) {
      match.reason = "session " + a.session + " is not live";
    } else {
      match.found = true;
      match.padCode = pad;
    }
    return match;
  }
  match.reason = "no stream of that name was announced";
  return match;
}

const Json::Value* FindDevice(const Json::Value& scenario, const std::string& padCode) {
  if (!scenario.isObject()) return nullptr;
  const Json::Value& devices = scenario["devices"];
  if (!devices.isArray()) return nullptr;
  for (const Json::Value& d : devices) {
    if (d.isObject() && d["padCode"].isString() && d["padCode"].asString() == padCode) return &d;
  }
  return nullptr;
}

DeviceScreen ScreenOf(const Json::Value& scenario, const std::string& padCode) {
  DeviceScreen screen;
  const Json::Value* device = FindDevice(scenario, padCode);
  if (!device || !(*device)["screen"].isObject()) return screen;
  const Json::Value& s = (*device)["screen"];
  screen.width = ScreenSide(s, "width", screen.width);
  screen.height = ScreenSide(s, "height", screen.height);
  return screen;
}

}  // namespace zv::sim::rtmp
