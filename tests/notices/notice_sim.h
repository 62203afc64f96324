// The simulated platform for the notice worker's tests: the notices scenario on ephemeral
// loopback ports and a working folder holding the client's TLS files, from which the
// service client is initialised.
#pragma once

#include <json/json.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/sim_core/sim_client.h"
#include "tests/sim_core/sim_process.h"

namespace zv::test {

constexpr int32_t kNoticeUserId = 20001;

class CNoticeSim {
 public:
  ~CNoticeSim() { Stop(); }

  bool Start(std::string& error);
  void Stop();

  Json::Value Admin(const std::string& route, const Json::Value& body = Json::Value(Json::objectValue));
  // The account requests of the log whose path ends with suffix, in arrival order.
  std::vector<Json::Value> Requests(const std::string& suffix);
  // Makes the next count requests to the path fail in the given mode.
  bool Inject(const std::string& path, const std::string& mode, int count = 1);

 private:
  sim::test::CSimProcess m_sim;
  std::unique_ptr<sim::test::CSimClient> m_admin;
  std::string m_dir;
  std::string m_previousDir;
};

}  // namespace zv::test
