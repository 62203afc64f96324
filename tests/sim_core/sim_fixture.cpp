#include "tests/sim_core/sim_fixture.h"

namespace zv::sim::test {
namespace {

CSimProcess* g_sim = nullptr;

class SimEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    g_sim = new CSimProcess();
    std::string error;
    ASSERT_TRUE(g_sim->Start(DefaultScenario(), error)) << error;
  }
  void TearDown() override {
    EXPECT_EQ(g_sim->Stop(), 0) << "zelvane-sim should exit 0 on SIGTERM";
    delete g_sim;
    g_sim = nullptr;
    curl_global_cleanup();
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SimEnvironment);

}  // namespace

CSimProcess& Sim() {
  return *g_sim;
}

void SimTest::SetUp() {
  ASSERT_TRUE(client.Admin("reset")["ok"].asBool());
  ASSERT_TRUE(client.Admin("log/clear")["ok"].asBool());
}

Json::Value SimTest::LogOf(const std::string& service) {
  Json::Value entries(Json::arrayValue);
  const Json::Value log = client.Admin("log");
  for (const auto& entry : log["entries"]) {
    if (entry["service"].asString() == service) entries.append(entry);
  }
  return entries;
}

}  // namespace zv::sim::test
