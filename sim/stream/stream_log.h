// What the stream server saw, for the admin interface: connections, play requests and
// every automatic-quality user control message a player sent.
#pragma once

#include <json/json.h>

#include <deque>
#include <string>

#include "sim/stream/byte_order.h"

namespace zv::sim::rtmp {

class CStreamLog {
 public:
  void Connected(int id, const std::string& peer);
  void ConnectCommand(int id, const std::string& app, const std::string& tcUrl);
  void Closed(int id, const std::string& reason);
  void Play(int id, const std::string& name, bool accepted, const std::string& padCode,
            const std::string& reason);
  void AutoQualityFlag(int id, const Bytes& body);
  void PingResponse(int id);
  void Clear();

  // {"connections": [...], "plays": [...], "autoQualityFlags": [...]}
  Json::Value ToJson() const;

 private:
  static void Append(std::deque<Json::Value>& list, Json::Value entry);
  Json::Value* FindConnection(int id);

  std::deque<Json::Value> m_connections;
  std::deque<Json::Value> m_plays;
  std::deque<Json::Value> m_flags;
};

// "001f..." for a body.
std::string HexOf(const Bytes& body);

}  // namespace zv::sim::rtmp
