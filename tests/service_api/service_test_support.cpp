#include "tests/service_api/service_test_support.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "api/app_context.h"

namespace zv::test {

namespace {

class Utf8LocaleEnvironment : public testing::Environment {
 public:
  void SetUp() override { std::setlocale(LC_ALL, "C.UTF-8"); }
};

[[maybe_unused]] testing::Environment* const kLocale =
    testing::AddGlobalTestEnvironment(new Utf8LocaleEnvironment);

}  // namespace

void ResetAccountModel() {
  CAppContext& c = CAppContext::Instance();
  c.userId = 0;
  c.userName.clear();
  c.passwordDigest.clear();
  c.sessionId.clear();
  c.rbcAmount = c.freeRate = c.vipRate = 0;
  c.controlList.clear();
  c.padList.clear();
  c.noticeList.clear();
  c.idcList.clear();
  c.faultLabelList.clear();
  c.faultList.clear();
  c.goodsList.clear();
  c.orderList.clear();
  c.payTypeList.clear();
  c.taskList.clear();
}

bool WithLocale(const char* locale, const std::function<void()>& body) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, locale)) return false;
  body();
  std::setlocale(LC_ALL, previous.c_str());
  return true;
}

}  // namespace zv::test
