#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <vector>

#include "api/app_context.h"
#include "api/settings.h"

namespace zv {
namespace {

// A settings store in memory, to see what the model reads and writes.
class MemoryBackend : public ISettingsBackend {
 public:
  std::map<std::wstring, int> ints;
  std::map<std::wstring, std::wstring> strings;
  std::vector<std::wstring> writes;
  std::wstring version;

  int ReadInt(const std::wstring& s, const std::wstring& e, int def) override {
    auto it = ints.find(s + L"/" + e);
    return it == ints.end() ? def : it->second;
  }
  std::wstring ReadString(const std::wstring& s, const std::wstring& e) override {
    auto it = strings.find(s + L"/" + e);
    return it == strings.end() ? std::wstring() : it->second;
  }
  bool WriteInt(const std::wstring& s, const std::wstring& e, int v) override {
    ints[s + L"/" + e] = v;
    writes.push_back(e);
    return true;
  }
  bool WriteString(const std::wstring& s, const std::wstring& e, const std::wstring& v) override {
    strings[s + L"/" + e] = v;
    writes.push_back(e);
    return true;
  }
  bool WriteVersionRecord(const std::wstring& v) override {
    version = v;
    return true;
  }
};

class AppContextTest : public ::testing::Test {
 protected:
  void SetUp() override { CSettings::SetBackend(&m_backend); }
  void TearDown() override { CSettings::SetBackend(nullptr); }
  MemoryBackend m_backend;
};

TEST_F(AppContextTest, InitializeFillsEveryEndpointAndRecordsTheVersion) {
  CAppContext& ctx = CAppContext::Instance();
  ctx.Initialize();
  const std::string base = "https://127.0.0.1:8443/zelvaneauth";
  EXPECT_EQ(ctx.endpointUrls[REQ_LOGIN], base + "/user/getUser.html");
  EXPECT_EQ(ctx.endpointUrls[REQ_GET_KEY], base + "/user/getKey.html");
  EXPECT_EQ(ctx.endpointUrls[REQ_GET_PADS], base + "/pad/getPad.html");
  EXPECT_EQ(ctx.endpointUrls[REQ_GET_FAULTS], base + "/fault/getFaultsByUserId.html");
  EXPECT_EQ(ctx.endpointUrls[REQ_EXCHANGE_BEANS], base + "/pad/exChangeRbc.html");
  EXPECT_EQ(ctx.endpointUrls[REQ_PAY_GATEWAY], "http://127.0.0.1:8680/gateway.html");
  EXPECT_EQ(ctx.endpointUrls[REQ_CHECK_NEW_VERSION], base + "/version/checkNewVersion.html");
  for (const auto& url : ctx.endpointUrls) EXPECT_FALSE(url.empty());
  EXPECT_EQ(m_backend.version, L"1.2.3");
}

TEST_F(AppContextTest, InitializeTakesTheEnvironmentsEndpoints) {
  setenv("ZELVANE_ACCOUNT_HOST", "localhost", 1);
  setenv("ZELVANE_ACCOUNT_PORT", "18443", 1);
  CAppContext& ctx = CAppContext::Instance();
  ctx.Initialize();
  unsetenv("ZELVANE_ACCOUNT_HOST");
  unsetenv("ZELVANE_ACCOUNT_PORT");
  EXPECT_EQ(ctx.endpointUrls[REQ_LOGOUT], "https://localhost:18443/zelvaneauth/user/logout.html");
}

TEST_F(AppContextTest, FirstStartDefaults) {
  CAppContext& ctx = CAppContext::Instance();
  ctx.userName = "stale";
  ctx.passwordDigest = "stale";
  ctx.autoLogin = true;
  ctx.savePassword = true;
  ctx.qualityLevel = 0;
  ctx.autoQuality = 1;
  ctx.Initialize();
  EXPECT_EQ(ctx.userName, "");
  EXPECT_EQ(ctx.passwordDigest, "");
  EXPECT_FALSE(ctx.autoLogin);
  EXPECT_FALSE(ctx.savePassword);
  EXPECT_EQ(ctx.qualityLevel.load(), 2);
  EXPECT_EQ(ctx.autoQuality.load(), 0);
}

TEST_F(AppContextTest, RememberedValuesAreLoadedAsStored) {
  m_backend.strings[L"ZelvanePlayer/UserName"] = L"demo";
  m_backend.strings[L"ZelvanePlayer/Password"] = L"0123456789abcdef0123456789abcdef";
  m_backend.ints[L"ZelvanePlayer/AutoLogin"] = 5;
  m_backend.ints[L"ZelvanePlayer/SavePassword"] = 1;
  m_backend.ints[L"ZelvanePlayer/VideoSpeedMode"] = 7;
  m_backend.ints[L"ZelvanePlayer/VideoSpeedAutoChange"] = 1;
  CAppContext& ctx = CAppContext::Instance();
  ctx.Initialize();
  EXPECT_EQ(ctx.userName, "demo");
  EXPECT_EQ(ctx.passwordDigest, "0123456789abcdef0123456789abcdef");
  EXPECT_TRUE(ctx.autoLogin);
  EXPECT_TRUE(ctx.savePassword);
  EXPECT_EQ(ctx.qualityLevel.load(), 7);  // no range check
  EXPECT_EQ(ctx.autoQuality.load(), 1);
}

TEST_F(AppContextTest, ClearDeviceListsEmptiesOnlyTheDeviceLists) {
  CAppContext& ctx = CAppContext::Instance();
  ctx.controlList = {ControlNodeInfo{"n", "127.0.0.1", 7100}};
  ctx.padList = {PadInfo{}};
  ctx.noticeList = {NoticeInfo{}};
  ctx.idcList = {IdcInfo{}};
  ctx.goodsList = {GoodsInfo{}};
  ctx.ClearDeviceLists();
  EXPECT_TRUE(ctx.controlList.empty());
  EXPECT_TRUE(ctx.padList.empty());
  EXPECT_TRUE(ctx.noticeList.empty());
  EXPECT_TRUE(ctx.idcList.empty());
  EXPECT_EQ(ctx.goodsList.size(), 1u);
  ctx.goodsList.clear();
}

TEST_F(AppContextTest, PayModesJoinEveryGroupOfTheirType) {
  CAppContext& ctx = CAppContext::Instance();
  ctx.payTypeList = {PayTypeInfo{1, "在线支付", {}}, PayTypeInfo{2, "扫码支付", {}}};
  EXPECT_TRUE(ctx.HasPayType(1));
  EXPECT_FALSE(ctx.HasPayType(3));
  ctx.AddPayMode(1, PayModeInfo{"alipay", "A", "", ""});
  ctx.AddPayMode(3, PayModeInfo{"none", "N", "", ""});
  ASSERT_EQ(ctx.payTypeList[0].modes.size(), 1u);
  EXPECT_EQ(ctx.payTypeList[0].modes[0].payModeCode, "alipay");
  EXPECT_TRUE(ctx.payTypeList[1].modes.empty());
  ctx.payTypeList.clear();
}

TEST_F(AppContextTest, FindPadByCodeComparesBytes) {
  PadInfo pad;
  pad.padCode = "PAD-1";
  EXPECT_TRUE(CAppContext::FindPadByCode(pad, "PAD-1"));
  EXPECT_FALSE(CAppContext::FindPadByCode(pad, "pad-1"));
  EXPECT_FALSE(CAppContext::FindPadByCode(pad, "PAD-1 "));
  CAppContext::Instance().SetCurrentPadCode("PAD-9");
  EXPECT_EQ(CAppContext::Instance().currentPadCode, "PAD-9");
}

TEST_F(AppContextTest, SavesWriteTheirValuesInOrder) {
  CAppContext& ctx = CAppContext::Instance();
  ctx.userName = "demo";
  ctx.passwordDigest = "0123456789abcdef0123456789abcdef";
  ctx.autoLogin = true;
  ctx.savePassword = true;
  CSettings::SaveLoginSettings(ctx);
  EXPECT_EQ(m_backend.writes, (std::vector<std::wstring>{L"AutoLogin", L"SavePassword", L"UserName", L"Password"}));
  EXPECT_EQ(m_backend.strings[L"ZelvanePlayer/Password"], L"0123456789abcdef0123456789abcdef");
  m_backend.writes.clear();
  ctx.qualityLevel = 3;
  ctx.autoQuality = 1;
  CSettings::SaveQualitySettings(ctx);
  EXPECT_EQ(m_backend.writes, (std::vector<std::wstring>{L"VideoSpeedMode", L"VideoSpeedAutoChange"}));
  EXPECT_EQ(m_backend.ints[L"ZelvanePlayer/VideoSpeedMode"], 3);
  EXPECT_EQ(m_backend.ints[L"ZelvanePlayer/VideoSpeedAutoChange"], 1);
}

}  // namespace
}  // namespace zv
