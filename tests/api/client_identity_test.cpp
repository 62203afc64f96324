#include <gtest/gtest.h>

#include "api/client_identity.h"

namespace zv {
namespace {

class IdentityTest : public ::testing::Test {
 protected:
  void TearDown() override {
    SetAdapterSourceForTesting(nullptr);
    SetVersionSourceForTesting(nullptr);
  }
};

AdapterInfo Adapter(const char* name, bool ethernet, std::vector<uint8_t> address) {
  return AdapterInfo{name, ethernet, std::move(address)};
}

TEST_F(IdentityTest, MacAddressOfTheFirstEthernetAdapterInSystemOrder) {
  SetAdapterSourceForTesting([] {
    return std::vector<AdapterInfo>{
        Adapter("lo", false, {0, 0, 0, 0, 0, 0}),
        Adapter("wlan0", false, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66}),
        Adapter("tun0", false, {}),
        Adapter("eth-short", true, {1, 2, 3}),
        Adapter("eth1", true, {0x0a, 0x1b, 0x2c, 0x3d, 0x4e, 0x5f}),
        Adapter("eth0", true, {0xff, 0xee, 0xdd, 0xcc, 0xbb, 0xaa}),
    };
  });
  std::string mac = "untouched";
  ASSERT_TRUE(GetMacAddress(mac));
  EXPECT_EQ(mac, "0A-1B-2C-3D-4E-5F");
}

TEST_F(IdentityTest, NoEthernetAdapterLeavesTheTextUntouched) {
  SetAdapterSourceForTesting([] {
    return std::vector<AdapterInfo>{Adapter("lo", false, {0, 0, 0, 0, 0, 0}),
                                    Adapter("wlan0", false, {1, 2, 3, 4, 5, 6})};
  });
  std::string mac = "untouched";
  EXPECT_FALSE(GetMacAddress(mac));
  EXPECT_EQ(mac, "untouched");
}

TEST_F(IdentityTest, SystemAdapterListNeverOffersLoopback) {
  for (const auto& adapter : ListSystemAdapters())
    if (adapter.name == "lo") {
      EXPECT_FALSE(adapter.ethernet);
    }
}

TEST_F(IdentityTest, OsNameTable) {
  const struct {
    std::optional<OsVersionInfo> version;
    const char* name;
  } cases[] = {
      {OsVersionInfo{10, 0, 0, true}, "Windows10"},
      {OsVersionInfo{6, 3, 0, true}, "Windows8.1"},
      {OsVersionInfo{6, 2, 0, true}, "Windows8"},
      {OsVersionInfo{6, 1, 1, true}, "Windows7 SP1"},
      {OsVersionInfo{6, 1, 0, true}, "Windows7"},
      {OsVersionInfo{6, 1, 0, false}, "Windows7"},  // a server reports its desktop name
      {OsVersionInfo{6, 0, 2, true}, "Vista SP2"},
      {OsVersionInfo{6, 0, 1, true}, "Windows Vista SP1O"},
      {OsVersionInfo{6, 0, 0, true}, "Windows Vista"},
      {OsVersionInfo{5, 1, 3, true}, "Windows XP SP3"},
      {OsVersionInfo{5, 1, 2, true}, "Windows XP SP2"},
      {OsVersionInfo{5, 1, 1, true}, "Windows XP SP1"},
      {OsVersionInfo{5, 1, 0, true}, "Windows XP"},
      {OsVersionInfo{5, 2, 0, true}, "Windows XP SP3"},
      {OsVersionInfo{5, 0, 0, true}, "Windows 2000"},
      {OsVersionInfo{4, 0, 0, false}, "Windows Server"},
      {OsVersionInfo{4, 0, 0, true}, ""},
      {std::nullopt, ""},
  };
  for (const auto& c : cases) {
    SetVersionSourceForTesting([v = c.version] { return v; });
    EXPECT_EQ(GetOsName(), c.name);
  }
}

TEST_F(IdentityTest, VersionIsLookedUpOnceAndCached) {
  int calls = 0;
  SetVersionSourceForTesting([&calls] {
    ++calls;
    return std::optional<OsVersionInfo>(OsVersionInfo{6, 1, 1, true});
  });
  EXPECT_TRUE(IsOsVersionAtLeast(6, 1, 1));
  EXPECT_FALSE(IsOsVersionAtLeast(6, 1, 2));
  EXPECT_FALSE(IsOsVersionAtLeast(6, 2, 0));
  EXPECT_TRUE(IsOsVersionAtLeast(5, 9, 9));
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace zv
