#include "sim/control_node/node_log.h"

#include <chrono>

#include "control/control_protocol.h"

namespace zv::sim {
namespace {

Json::Int64 NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

std::string ToHex(const uint8_t* data, size_t size) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(size * 2);
  for (size_t i = 0; i < size; ++i) {
    hex.push_back(kDigits[data[i] >> 4]);
    hex.push_back(kDigits[data[i] & 0xF]);
  }
  return hex;
}

Json::Value DescribeControlMessage(const uint8_t* message) {
  ControlFields fields = ReadControlMessage(message);
  Json::Value out(Json::objectValue);
  out["type"] = ControlTypeName(fields.type);
  out["typeValue"] = fields.type;
  out["tick"] = fields.tick;
  switch (fields.type) {
    case CTRL_PAD:
      out["padCode"] = ReadControlText(message);
      break;
    case CTRL_QUALITY:
      out["quality"] = fields.subCode;
      break;
    case CTRL_POINTER_DOWN:
    case CTRL_POINTER_UP:
    case CTRL_POINTER_MOVE:
      out["x"] = static_cast<int32_t>(fields.subCode);
      out["y"] = fields.first;
      break;
    case CTRL_KEY_DOWN:
    case CTRL_KEY_UP:
      out["keyCode"] = fields.subCode;
      out["keyValue"] = fields.first;
      break;
    case CTRL_HEARTBEAT:
      break;
    default:
      out["sub"] = fields.subCode;
      out["first"] = fields.first;
      out["second"] = fields.second;
      break;
  }
  return out;
}

Json::Value& CNodeLog::AddHello(int connection, const uint8_t* hello) {
  ControlHelloFields fields = ReadControlHello(hello);
  Json::Value entry(Json::objectValue);
  entry["kind"] = "hello";
  entry["hex"] = ToHex(hello, kControlHelloSize);
  entry["magicOk"] = fields.magicOk;
  entry["version"] = fields.version;
  entry["tick"] = fields.tick;
  entry["session"] = fields.session;
  entry["connection"] = connection;
  return Add(std::move(entry));
}

Json::Value& CNodeLog::AddMessage(int connection, const uint8_t* message) {
  Json::Value entry = DescribeControlMessage(message);
  entry["kind"] = "message";
  entry["hex"] = ToHex(message, kControlMessageSize);
  entry["connection"] = connection;
  return Add(std::move(entry));
}

Json::Value& CNodeLog::Add(Json::Value entry) {
  entry["time"] = NowMs();
  if (m_entries.size() >= m_capacity) m_entries.pop_front();
  m_entries.push_back(std::move(entry));
  return m_entries.back();
}

Json::Value CNodeLog::Entries() const {
  Json::Value list(Json::arrayValue);
  for (const auto& entry : m_entries) list.append(entry);
  return list;
}

}  // namespace zv::sim
