#include "sim/stream/stream_log.h"

namespace zv::sim::rtmp {
namespace {

// Enough for any test run; a long demo keeps the latest entries.
constexpr size_t kMaxEntries = 1000;

Json::Value ListOf(const std::deque<Json::Value>& entries) {
  Json::Value list(Json::arrayValue);
  for (const Json::Value& e : entries) list.append(e);
  return list;
}

}  // namespace

std::string HexOf(const Bytes& body) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : body) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

void CStreamLog::Append(std::deque<Json::Value>& list, Json::Value entry) {
  if (list.size() >= kMaxEntries) list.pop_front();
  list.push_back(std::move(entry));
}

Json::Value* CStreamLog::FindConnection(int id) {
  for (auto it = m_connections.rbegin(); it != m_connections.rend(); ++it) {
    if ((*it)["id"].asInt() == id) return &*it;
  }
  return nullptr;
}

void CStreamLog::Connected(int id, const std::string& peer) {
  Json::Value e;
  e["id"] = id;
  e["peer"] = peer;
  e["open"] = true;
  Append(m_connections, e);
}

void CStreamLog::ConnectCommand(int id, const std::string& app, const std::string& tcUrl) {
  if (Json::Value* e = FindConnection(id)) {
    (*e)["app"] = app;
    (*e)["tcUrl"] = tcUrl;
  }
}

void CStreamLog::Closed(int id, const std::string& reason) {
  if (Json::Value* e = FindConnection(id)) {
    (*e)["open"] = false;
    (*e)["closeReason"] = reason;
  }
}

void CStreamLog::Play(int id, const std::string& name, bool accepted, const std::string& padCode,
                      const std::string& reason) {
  Json::Value e;
  e["connection"] = id;
  e["name"] = name;
  e["accepted"] = accepted;
  if (accepted) {
    e["padCode"] = padCode;
  } else {
    e["reason"] = reason;
  }
  Append(m_plays, e);
}

void CStreamLog::AutoQualityFlag(int id, const Bytes& body) {
  Json::Value e;
  e["connection"] = id;
  e["hex"] = HexOf(body);
  e["size"] = static_cast<Json::UInt>(body.size());
  // The body is event type, stream id, flag; a short body leaves the missing fields null.
  if (body.size() >= 6) e["streamId"] = static_cast<Json::UInt>(GetU32Be(body.data() + 2));
  if (body.size() >= 10) e["flag"] = static_cast<Json::UInt>(GetU32Be(body.data() + 6));
  Append(m_flags, e);
}

void CStreamLog::PingResponse(int id) {
  if (Json::Value* e = FindConnection(id)) (*e)["pingResponses"] = (*e)["pingResponses"].asInt() + 1;
}

void CStreamLog::Clear() {
  m_connections.clear();
  m_plays.clear();
  m_flags.clear();
}

Json::Value CStreamLog::ToJson() const {
  Json::Value out;
  out["connections"] = ListOf(m_connections);
  out["plays"] = ListOf(m_plays);
  out["autoQualityFlags"] = ListOf(m_flags);
  return out;
}

}  // namespace zv::sim::rtmp
