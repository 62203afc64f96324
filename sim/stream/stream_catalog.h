// Which stream names the server plays: the control node announces, per device, the
// session it serves and the stream number it gave the client; a play request must name
// exactly "<session>-<padCode>-<streamNumber>" of such an announcement, for a device of
// the scenario and a session the account service still holds.
#pragma once

#include <json/json.h>

#include <functional>
#include <map>
#include <string>

namespace zv::sim::rtmp {

struct DeviceScreen {
  int width = 360;
  int height = 640;
};

struct StreamMatch {
  bool found = false;
  std::string padCode;
  std::string reason;
};

class CStreamCatalog {
 public:
  void Announce(const std::string& padCode, const std::string& session, int streamNumber);
  void Forget(const std::string& padCode);
  void Clear() { m_streams.clear(); }
  bool Announced(const std::string& padCode) const { return m_streams.count(padCode) != 0; }

  StreamMatch Resolve(const std::string& name, const Json::Value& scenario,
                      const std::function<bool(const std::string&)>& isSessionLive) const;

 private:
  struct Announcement {
    std::string session;
    int streamNumber = 0;
  };
  std::map<std::string, Announcement> m_streams;
};

// The scenario's device entry, or null when there is none.
const Json::Value* FindDevice(const Json::Value& scenario, const std::string& padCode);
// The device's "screen", 360 x 640 when absent; sizes are kept within 16..4096 and even.
DeviceScreen ScreenOf(const Json::Value& scenario, const std::string& padCode);

}  // namespace zv::sim::rtmp
