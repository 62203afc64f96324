#include "sim/core/request_log.h"

namespace zv::sim {

void CRequestLog::Add(Json::Value entry) {
  m_entries.push_back(std::move(entry));
  while (m_entries.size() > kMaxEntries) m_entries.pop_front();
}

Json::Value CRequestLog::All() const {
  Json::Value list(Json::arrayValue);
  for (const auto& entry : m_entries) list.append(entry);
  return list;
}

}  // namespace zv::sim
