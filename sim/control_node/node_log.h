// Every hello and message the node received, as hex with its decoded fields, for the
// admin route "control/log". Bounded: the oldest entries go first.
#pragma once

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <deque>

namespace zv::sim {

class CNodeLog {
 public:
  explicit CNodeLog(size_t capacity = 20000) : m_capacity(capacity) {}

  // Returns the entry so that the caller may add the outcome (for a hello: accepted).
  Json::Value& AddHello(int connection, const uint8_t* hello);
  Json::Value& AddMessage(int connection, const uint8_t* message);
  Json::Value Entries() const;
  void Clear() { m_entries.clear(); }

 private:
  Json::Value& Add(Json::Value entry);
  size_t m_capacity;
  std::deque<Json::Value> m_entries;
};

// The decoded fields of one 40-byte message: type name, tick and the per-type values.
Json::Value DescribeControlMessage(const uint8_t* message);
std::string ToHex(const uint8_t* data, size_t size);

}  // namespace zv::sim
