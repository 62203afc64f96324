// The contract between the pieces of zelvane-sim. The core (scenario, account service,
// payment gateway, web site, admin interface) owns the event base and the shared state;
// the control node and the stream server with its simulated phones are modules that the
// core starts on the same event base. Everything runs on the sim's one loop thread unless
// a module says otherwise (the phone's encoder may use threads of its own and hand
// results back through event_base_once / a bufferevent pair).
#pragma once

#include <json/json.h>

#include <functional>
#include <map>
#include <string>

struct event_base;

namespace zv::sim {

// One admin endpoint: POST <path> with a JSON body (possibly empty) answers JSON.
// Answers carry "ok": true, or "ok": false with "error".
using AdminHandler = std::function<Json::Value(const Json::Value& body)>;

// What the control node tells the simulated phone of a device, and what the stream
// server needs to know. Each hook may be empty.
struct DeviceBus {
  // A client holding the device was told CTRL_STREAM_READY with this stream number.
  std::function<void(const std::string& padCode, const std::string& session, int streamNumber)> onStreamReady;
  // Pointer action: 1 down, 2 up, 3 move (the low byte of the message type).
  std::function<void(const std::string& padCode, int action, int x, int y)> onPointer;
  // Key: down = true for CTRL_KEY_DOWN.
  std::function<void(const std::string& padCode, int keyCode, bool down)> onKey;
  // Quality value as sent on the wire: 1 (HD) .. 4 (Ultra-fast).
  std::function<void(const std::string& padCode, int qualityValue)> onQuality;
  // The client's control connection for the device ended.
  std::function<void(const std::string& padCode)> onControlClosed;
};

class SimContext {
 public:
  virtual ~SimContext() = default;

  virtual event_base* Base() = 0;
  // The whole scenario file as loaded (or as reset by the admin interface).
  virtual const Json::Value& Scenario() = 0;

  // Account service state that other modules consult.
  virtual bool IsSessionLive(const std::string& session) = 0;

  virtual void AddAdminRoute(const std::string& path, AdminHandler handler) = 0;
  // Called after the admin interface reset the scenario: modules drop their state.
  virtual void OnReset(std::function<void()> handler) = 0;
  // The scenario's port placeholders ("{control}", "{rtmp}", ...) filled with the bound ports.
  virtual std::string ExpandPorts(const std::string& text) { return text; }

  DeviceBus bus;
};

// A module's start: bind its listeners on the event base, register its admin routes.
// Returns false with a reason in error. The port it actually bound (the scenario may ask
// for port 0) is reported through ports[name].
class ISimModule {
 public:
  virtual ~ISimModule() = default;
  virtual const char* Name() const = 0;
  virtual bool Start(SimContext& context, std::map<std::string, int>& ports, std::string& error) = 0;
};

}  // namespace zv::sim
