#include <gtest/gtest.h>

#include "app/events.h"

namespace zv {
namespace {

TEST(EventsTest, TextsOfSessionEndingEvents) {
  const struct {
    uint32_t event;
    const wchar_t* text;
  } cases[] = {
      {0x2400, L"会话超时，请重新登录！"}, {0x3400, L"连接服务器失败"},
      {0x3401, L"到服务器的连接断开"},     {0x3402, L"平板不在线"},
      {0x3403, L"到平板的连接断开"},       {0x3404, L"您的控制时间不足！"},
      {0x3406, L"平板不可控，请联系管理员！"}, {0x4401, L"空闲时间过长"},
      {0x4402, L"用户在其他地方控制本平板"}, {0x5402, L"图像服务器故障，请联系客服"},
      {0x5403, L"连接图像服务器失败"},     {0x3405, L""},
      {0x5414, L""},                       {0, L""},
  };
  for (const auto& c : cases) EXPECT_EQ(GetEventText(c.event), c.text) << std::hex << c.event;
}

TEST(EventsTest, QualityNames) {
  EXPECT_EQ(GetQualityName(0), L"高清");
  EXPECT_EQ(GetQualityName(1), L"普通");
  EXPECT_EQ(GetQualityName(2), L"高速");
  EXPECT_EQ(GetQualityName(3), L"极速");
  EXPECT_EQ(GetQualityName(5), L"");
  EXPECT_EQ(GetQualityName(-1), L"");
}

}  // namespace
}  // namespace zv
