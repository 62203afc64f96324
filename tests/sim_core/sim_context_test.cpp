// The core as the modules see it: start-up order, ports, admin routes, reset, sessions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "sim/account/account_state.h"
#include "sim/core/sim_core.h"

namespace zv::sim {
namespace {

class CFakeModule : public ISimModule {
 public:
  explicit CFakeModule(bool fail = false) : m_fail(fail) {}
  const char* Name() const override { return "fake"; }
  bool Start(SimContext& context, std::map<std::string, int>& ports, std::string& error) override {
    if (m_fail) {
      error = "port taken";
      return false;
    }
    m_context = &context;
    accountPortSeen = ports["account"];
    ports["control"] = 4242;
    context.AddAdminRoute("control/ping", [](const Json::Value& body) {
      Json::Value answer;
      answer["ok"] = true;
      answer["echo"] = body["text"];
      return answer;
    });
    context.OnReset([this] { ++resets; });
    return true;
  }
  int accountPortSeen = 0;
  int resets = 0;

 private:
  bool m_fail;
  SimContext* m_context = nullptr;
};

class SimContextTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    certs = std::string(ZV_BINARY_DIR) + "/certs";
    std::string command = "bash '" + std::string(ZV_SOURCE_DIR) + "/scripts/gen-certs.sh' '" + certs + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    scenarioPath = std::string(ZV_BINARY_DIR) + "/sim_context_test_scenario.json";
    std::ofstream out(scenarioPath);
    out << R"({"ports":{"account":0,"payment":0,"admin":0,"web":0,"control":0,"rtmp":9},
               "users":[{"userName":"u","userId":7,"password":"p"}],
               "devices":[{"padCode":"P1","videoUrl":"rtmp://127.0.0.1:{rtmp}/live/"}]})";
  }
  static std::string certs;
  static std::string scenarioPath;
};
std::string SimContextTest::certs;
std::string SimContextTest::scenarioPath;

TEST_F(SimContextTest, ModulesStartAfterTheCoreListenersAndShareItsState) {
  CSimCore core;
  std::string error;
  ASSERT_TRUE(core.Load(scenarioPath, certs, error)) << error;
  auto module = std::make_unique<CFakeModule>();
  CFakeModule* fake = module.get();
  core.AddModule(std::move(module));
  ASSERT_TRUE(core.Start(error)) << error;

  EXPECT_GT(fake->accountPortSeen, 0) << "the account port is bound before modules start";
  EXPECT_EQ(core.Ports().at("control"), 4242);
  const std::string ready = core.ReadyLine();
  EXPECT_EQ(ready.rfind("{\"ready\":true,\"ports\":{\"account\":", 0), 0u) << ready;
  EXPECT_NE(ready.find("\"control\":4242,\"rtmp\":0}}"), std::string::npos) << ready;
  EXPECT_EQ(core.ExpandPorts("{control}/{rtmp}"), "4242/9")
      << "an unbound listener falls back to the scenario";

  Json::Value ping;
  ping["text"] = "hi";
  EXPECT_EQ(core.AdminCall("control/ping", ping)["echo"].asString(), "hi");
  EXPECT_FALSE(core.AdminCall("control/none", ping)["ok"].asBool());

  const std::string token = core.Accounts().NewSession(7);
  EXPECT_TRUE(core.IsSessionLive(token));
  EXPECT_FALSE(core.IsSessionLive("unknown"));
  EXPECT_TRUE(core.AdminCall("sessions/expire", Json::Value())["ok"].asBool());
  EXPECT_FALSE(core.IsSessionLive(token));

  EXPECT_TRUE(core.AdminCall("reset", Json::Value())["ok"].asBool());
  EXPECT_EQ(fake->resets, 1);
  EXPECT_EQ(core.AdminCall("state", Json::Value())["sessions"].size(), 0u);
}

TEST_F(SimContextTest, AFailingModuleFailsTheStartWithItsReason) {
  CSimCore core;
  std::string error;
  ASSERT_TRUE(core.Load(scenarioPath, certs, error)) << error;
  core.AddModule(std::make_unique<CFakeModule>(true));
  EXPECT_FALSE(core.Start(error));
  EXPECT_NE(error.find("fake"), std::string::npos);
  EXPECT_NE(error.find("port taken"), std::string::npos);
}

TEST_F(SimContextTest, LoadReportsMissingFiles) {
  CSimCore core;
  std::string error;
  EXPECT_FALSE(core.Load("/nonexistent/scenario.json", certs, error));
  EXPECT_FALSE(error.empty());
  CSimCore other;
  error.clear();
  EXPECT_FALSE(other.Load(scenarioPath, "/nonexistent", error));
  EXPECT_NE(error.find("/nonexistent"), std::string::npos);
}

TEST_F(SimContextTest, AdminRoutesValidateTheirBodies) {
  CSimCore core;
  std::string error;
  ASSERT_TRUE(core.Load(scenarioPath, certs, error)) << error;
  ASSERT_TRUE(core.Start(error)) << error;
  EXPECT_FALSE(core.AdminCall("version", Json::Value(Json::objectValue))["ok"].asBool());
  Json::Value version;
  version["versionCode"] = "2.0.0";
  EXPECT_TRUE(core.AdminCall("version", version)["ok"].asBool());
  EXPECT_EQ(core.Accounts().NewestVersion(), "2.0.0");
  Json::Value bad;
  bad["path"] = "/x";
  bad["mode"] = "boom";
  Json::Value answer = core.AdminCall("inject", bad);
  EXPECT_FALSE(answer["ok"].asBool());
  EXPECT_FALSE(answer["error"].asString().empty());
  EXPECT_FALSE(core.AdminCall("order/pay", Json::Value())["ok"].asBool());
}

}  // namespace
}  // namespace zv::sim
