#include <gtest/gtest.h>

#include "sim/core/fault_injector.h"
#include "sim/core/http_form.h"
#include "sim/core/scenario.h"

namespace zv::sim {
namespace {

TEST(PercentDecode, DecodesEscapesAndPlusAndKeepsMalformedEscapes) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a%26userId%3D7", "a&userId=7"},
      {"%2B%25", "+%"},
      {"a+b", "a b"},
      {"%e4%b8%ad", "中"},
      {"100%", "100%"},
      {"%zz", "%zz"},
      {"%4", "%4"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PercentDecode(c.in), c.out) << c.in;
}

TEST(ParseForm, SplitsPairsAfterDecodingNothingEarly) {
  FormFields fields = ParseForm("userName=a%26userId%3D7&userId=42&empty=&flag&=x");
  EXPECT_EQ(fields["userName"], "a&userId=7");
  EXPECT_EQ(fields["userId"], "42");
  EXPECT_EQ(fields["empty"], "");
  EXPECT_TRUE(fields.count("flag"));
  EXPECT_EQ(ParseForm("").size(), 0u);
  EXPECT_EQ(ParseForm("a=1&a=2")["a"], "2");
}

TEST(ParseCookies, ReadsNameValuePairsWithSpaces) {
  FormFields cookies = ParseCookies("ZVSID=abc; other = 1 ;bad; =x");
  EXPECT_EQ(cookies["ZVSID"], "abc");
  EXPECT_EQ(cookies["other"], "1");
  EXPECT_EQ(cookies.size(), 2u);
}

TEST(ExpandPortText, ReplacesKnownNamesOnly) {
  PortMap ports{{"rtmp", 1935}, {"control", 7100}};
  EXPECT_EQ(ExpandPortText("rtmp://127.0.0.1:{rtmp}/live/", ports), "rtmp://127.0.0.1:1935/live/");
  EXPECT_EQ(ExpandPortText("{control}", ports), "7100");
  EXPECT_EQ(ExpandPortText("{x}{rtmp}{", ports), "{x}1935{");
  EXPECT_EQ(ExpandPortText("{{rtmp}}", ports), "{1935}");
  Json::Value tree;
  tree["a"][0] = "{rtmp}";
  tree["b"] = 5;
  Json::Value expanded = ExpandPortTree(tree, ports);
  EXPECT_EQ(expanded["a"][0].asString(), "1935");
  EXPECT_EQ(expanded["b"].asInt(), 5);
}

Json::Value Rule(const char* path, const char* mode, int count = 0, int ms = -1) {
  Json::Value rule;
  rule["path"] = path;
  rule["mode"] = mode;
  if (count) rule["count"] = count;
  if (ms >= 0) rule["ms"] = ms;
  return rule;
}

TEST(ScenarioPort, AbsentListenersTakeTheStandardPortsAndZeroAnEphemeralOne) {
  Json::Value scenario;
  scenario["ports"]["account"] = 0;
  scenario["ports"]["control"] = 17100;
  EXPECT_EQ(ScenarioPort(scenario, "account"), 0);
  EXPECT_EQ(ScenarioPort(scenario, "control"), 17100);
  const struct {
    const char* name;
    int port;
  } standard[] = {{"payment", 8680}, {"admin", 8090}, {"web", 8088}, {"rtmp", 1935}};
  for (const auto& c : standard) EXPECT_EQ(ScenarioPort(scenario, c.name), c.port) << c.name;
  EXPECT_EQ(ScenarioPort(Json::Value(), "account"), 8443);
  scenario["ports"]["web"] = "eighty";
  EXPECT_EQ(ScenarioPort(scenario, "web"), 0);
}

TEST(FaultInjector, MatchesPathSuffixAndCountsDown) {
  CFaultInjector faults;
  std::string error;
  ASSERT_TRUE(faults.Arm(Rule("/pad/getPad.html", "html500", 2), error)) << error;
  EXPECT_FALSE(faults.Take("/zelvaneauth/user/getKey.html"));
  EXPECT_FALSE(faults.Take("/zelvaneauth/pad/getPad.htmlx"));
  EXPECT_TRUE(faults.Take("/zelvaneauth/pad/getPad.html"));
  EXPECT_TRUE(faults.Take("/pad/getPad.html"));
  EXPECT_FALSE(faults.Take("/zelvaneauth/pad/getPad.html"));
}

TEST(FaultInjector, RefusesBadRules) {
  CFaultInjector faults;
  std::string error;
  EXPECT_FALSE(faults.Arm(Rule("/a", "explode"), error));
  EXPECT_FALSE(faults.Arm(Rule("a", "html500"), error));
  EXPECT_FALSE(faults.Arm(Rule("/a", "delay"), error)) << "a delay needs ms";
  EXPECT_FALSE(faults.Arm(Rule("/a", "garbage", -3), error));
  EXPECT_FALSE(faults.Arm(Json::Value("text"), error));
  ASSERT_TRUE(faults.Arm(Rule("/a", "delay", 0, 250), error));
  auto fault = faults.Take("/a");
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->mode, FaultMode::kDelay);
  EXPECT_EQ(fault->delayMs, 250);
}

}  // namespace
}  // namespace zv::sim
