#include <csignal>

#include "tests/sim_core/sim_fixture.h"

namespace zv::sim::test {
namespace {

TEST(SimReady, PrintsOneReadyLineWithTheBoundPortsAndWritesItToTheReadyFile) {
  const std::string& line = Sim().ReadyLine();
  // The exact text, rebuilt from the ports it reports: key order, no spaces, one line.
  std::string expected = "{\"ready\":true,\"ports\":{";
  const char* names[] = {"account", "payment", "admin", "web", "control", "rtmp"};
  for (const char* name : names) {
    expected +=
        std::string(name == names[0] ? "" : ",") + "\"" + name + "\":" + std::to_string(Sim().Port(name));
  }
  EXPECT_EQ(line.substr(0, expected.size()), expected);
  EXPECT_EQ(line.substr(line.size() - 2), "}}");
  for (int i = 0; i < 4; ++i)
    EXPECT_GT(Sim().Port(names[i]), 0) << names[i] << ": ephemeral ports are reported as bound";
  EXPECT_EQ(Sim().ReadyFileText(), line);
}

TEST(SimReady, SigintEndsTheSimWithStatus0) {
  CSimProcess other;
  std::string error;
  ASSERT_TRUE(other.Start(DefaultScenario(), error)) << error;
  EXPECT_EQ(other.Stop(SIGINT), 0);
}

TEST(SimReady, APortInUseFailsTheStartWithoutAReadyLine) {
  Json::Value scenario = DefaultScenario();
  scenario["ports"]["payment"] = Sim().Port("payment");
  CSimProcess other;
  std::string error;
  EXPECT_FALSE(other.Start(scenario, error));
  EXPECT_TRUE(other.ReadyLine().empty());
  EXPECT_EQ(other.Stop(), 1);
}

TEST(SimReady, ListensOnLoopbackForEveryService) {
  CSimClient client(Sim());
  EXPECT_TRUE(client.Admin("state")["ok"].asBool());
  EXPECT_EQ(client.Web("/ad/index.html").status, 200);
  EXPECT_EQ(client.Account("/version/checkNewVersion.html", "os=win").status, 200);
}

}  // namespace
}  // namespace zv::sim::test
