#include "app/startup/version_check.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionCheck, ByteWiseAgainstOurVersion) {
  struct Case {
    std::string newest;
    bool newer;
  } cases[] = {
      {"1.2.3", false},  {"1.2.4", true},  {"1.3", true},   {"1.10.0", false}, {"1.2.3 ", true},
      {"1.2", false},    {"", false},      {"2", true},     {"1.2.3.0", true}, {"1.2.2.9", false},
      {"0.9.9", false},  {"1.2.3\x80", true},  // bytes above 0x7F count as large, not negative
  };
  for (const Case& c : cases) EXPECT_EQ(zv::IsNewerVersion(c.newest, "1.2.3"), c.newer) << '"' << c.newest << '"';
}

}  // namespace
