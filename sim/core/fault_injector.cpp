#include "sim/core/fault_injector.h"

namespace zv::sim {
namespace {

bool PathMatches(const std::string& rule, const std::string& path) {
  if (rule == path) return true;
  return rule.size() < path.size() && rule.front() == '/' &&
         path.compare(path.size() - rule.size(), rule.size(), rule) == 0;
}

const char* ModeName(FaultMode mode) {
  switch (mode) {
    case FaultMode::kHtml500:
      return "html500";
    case FaultMode::kGarbage:
      return "garbage";
    case FaultMode::kDelay:
      return "delay";
  }
  return "";
}

}  // namespace

bool CFaultInjector::Arm(const Json::Value& body, std::string& error) {
  if (!body.isObject() || !body["path"].isString() || body["path"].asString().empty() ||
      body["path"].asString().front() != '/') {
    error = "inject needs a \"path\" starting with /";
    return false;
  }
  Rule rule;
  rule.path = body["path"].asString();
  std::string mode = body["mode"].isString() ? body["mode"].asString() : "";
  if (mode == "html500") {
    rule.fault.mode = FaultMode::kHtml500;
  } else if (mode == "garbage") {
    rule.fault.mode = FaultMode::kGarbage;
  } else if (mode == "delay") {
    rule.fault.mode = FaultMode::kDelay;
  } else {
    error = "mode must be html500, garbage or delay";
    return false;
  }
  const Json::Value& ms = body["ms"];
  if (rule.fault.mode == FaultMode::kDelay) {
    if (!ms.isIntegral() || ms.asInt64() < 0 || ms.asInt64() > 600000) {
      error = "delay needs \"ms\" between 0 and 600000";
      return false;
    }
    rule.fault.delayMs = ms.asInt();
  }
  const Json::Value& count = body["count"];
  if (!count.isNull()) {
    if (!count.isIntegral() || count.asInt64() < 1 || count.asInt64() > 1000000) {
      error = "count must be a positive integer";
      return false;
    }
    rule.remaining = count.asInt();
  }
  m_rules.push_back(rule);
  return true;
}

std::optional<Fault> CFaultInjector::Take(const std::string& path) {
  for (auto it = m_rules.begin(); it != m_rules.end(); ++it) {
    if (!PathMatches(it->path, path)) continue;
    Fault fault = it->fault;
    if (--it->remaining <= 0) m_rules.erase(it);
    return fault;
  }
  return std::nullopt;
}

Json::Value CFaultInjector::Describe() const {
  Json::Value list(Json::arrayValue);
  for (const auto& rule : m_rules) {
    Json::Value item;
    item["path"] = rule.path;
    item["mode"] = ModeName(rule.fault.mode);
    item["ms"] = rule.fault.delayMs;
    item["count"] = rule.remaining;
    list.append(item);
  }
  return list;
}

}  // namespace zv::sim
