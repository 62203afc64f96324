// Every request the simulated services received, in arrival order, for tests to inspect.
#pragma once

#include <json/json.h>

#include <cstddef>
#include <deque>

namespace zv::sim {

class CRequestLog {
 public:
  // Old entries are dropped beyond this, so a long demo run cannot grow without bound.
  static constexpr size_t kMaxEntries = 10000;

  void Add(Json::Value entry);
  Json::Value All() const;
  void Clear() { m_entries.clear(); }
  size_t Size() const { return m_entries.size(); }

 private:
  std::deque<Json::Value> m_entries;
};

}  // namespace zv::sim
