// Faults armed through the admin interface for the next requests of a path.
#pragma once

#include <json/json.h>

#include <optional>
#include <string>
#include <vector>

namespace zv::sim {

enum class FaultMode { kHtml500, kGarbage, kDelay };

struct Fault {
  FaultMode mode = FaultMode::kHtml500;
  int delayMs = 0;
};

class CFaultInjector {
 public:
  // From the admin body {path, mode, ms, count}; false with a reason for a bad body.
  bool Arm(const Json::Value& body, std::string& error);
  // The fault for this request, if one is armed; each use counts down its remaining count.
  // A rule's path matches the full path or its end ("/pad/getPad.html" matches
  // "/zelvaneauth/pad/getPad.html").
  std::optional<Fault> Take(const std::string& path);
  void Clear() { m_rules.clear(); }
  Json::Value Describe() const;

 private:
  struct Rule {
    std::string path;
    Fault fault;
    int remaining = 1;
  };
  std::vector<Rule> m_rules;
};

}  // namespace zv::sim
