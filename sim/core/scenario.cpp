#include "sim/core/scenario.h"

#include <fstream>
#include <map>
#include <sstream>

namespace zv::sim {

bool LoadScenarioFile(const std::string& path, Json::Value& scenario, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open scenario " + path;
    return false;
  }
  std::ostringstream text;
  text << in.rdbuf();
  Json::CharReaderBuilder builder;
  std::string errs;
  std::istringstream stream(text.str());
  Json::Value root;
  if (!Json::parseFromStream(builder, stream, &root, &errs)) {
    error = "scenario " + path + ": " + errs;
    return false;
  }
  if (!root.isObject()) {
    error = "scenario " + path + ": the root is not an object";
    return false;
  }
  scenario = root;
  return true;
}

std::string ExpandPortText(const std::string& text, const PortMap& ports) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  while (pos < text.size()) {
    size_t open = text.find('{', pos);
    if (open == std::string::npos) break;
    size_t close = text.find('}', open + 1);
    if (close == std::string::npos) break;
    out.append(text, pos, open - pos);
    auto it = ports.find(text.substr(open + 1, close - open - 1));
    if (it != ports.end()) {
      out += std::to_string(it->second);
      pos = close + 1;
    } else {
      out += '{';
      pos = open + 1;
    }
  }
  out.append(text, pos, std::string::npos);
  return out;
}

Json::Value ExpandPortTree(const Json::Value& value, const PortMap& ports) {
  if (value.isString()) return Json::Value(ExpandPortText(value.asString(), ports));
  if (value.isArray()) {
    Json::Value out(Json::arrayValue);
    for (const auto& item : value) out.append(ExpandPortTree(item, ports));
    return out;
  }
  if (value.isObject()) {
    Json::Value out(Json::objectValue);
    for (const auto& name : value.getMemberNames()) out[name] = ExpandPortTree(value[name], ports);
    return out;
  }
  return value;
}

int StandardPort(const std::string& name) {
  static const std::map<std::string, int> kStandard = {{"account", 8443}, {"payment", 8680}, {"admin", 8090},
                                                        {"web", 8088},     {"control", 7100}, {"rtmp", 1935}};
  auto it = kStandard.find(name);
  return it == kStandard.end() ? 0 : it->second;
}

int ScenarioPort(const Json::Value& scenario, const std::string& name) {
  // A listener the scenario does not name gets the platform's standard port; 0 asks for
  // an ephemeral one.
  if (!scenario.isObject() || !scenario["ports"].isObject() || !scenario["ports"].isMember(name))
    return StandardPort(name);
  const Json::Value& port = scenario["ports"][name];
  return port.isIntegral() && port.asInt64() >= 0 && port.asInt64() <= 65535 ? port.asInt() : 0;
}

}  // namespace zv::sim
