// Loading the scenario file and filling port placeholders into the texts it carries.
#pragma once

#include <json/json.h>

#include <map>
#include <string>

namespace zv::sim {

using PortMap = std::map<std::string, int>;

// Reads and parses a JSON scenario; the root must be an object.
bool LoadScenarioFile(const std::string& path, Json::Value& scenario, std::string& error);

// Replaces "{account}", "{control}" and the other port names with the bound ports.
// Names that are not in the map stay as written.
std::string ExpandPortText(const std::string& text, const PortMap& ports);

// The same over a whole JSON tree (every string value, recursively).
Json::Value ExpandPortTree(const Json::Value& value, const PortMap& ports);

// The port a listener binds: the scenario's (0 = ephemeral), else the standard one
// (account 8443, payment 8680, admin 8090, web 8088, control 7100, rtmp 1935).
int ScenarioPort(const Json::Value& scenario, const std::string& name);
int StandardPort(const std::string& name);

}  // namespace zv::sim
