#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>

#include "api/notice_lock.h"
#include "api/service_api.h"
#include "tests/service_api/service_test_support.h"

namespace zv {
namespace {

class AnswerParserTest : public testing::Test {
 protected:
  void SetUp() override { test::ResetAccountModel(); }

  // Envelope, then data, as Execute runs them on a received answer.
  int32_t Parse(int32_t kind, const std::string& text) {
    request = ApiRequest();
    request.kind = kind;
    request.responseText = text;
    CServiceApi& api = CServiceApi::Instance();
    const int32_t code = api.ParseEnvelope(request);
    return code != 0 ? code : api.ParseAnswer(request);
  }

  static std::string Ok(const std::string& info) { return R"({"resultCode":0,"resultInfo":)" + info + "}"; }

  ApiRequest request;
  CAppContext& context = CAppContext::Instance();
};

TEST_F(AnswerParserTest, EnvelopeCodesAndTexts) {
  const struct {
    std::string text;
    int32_t result;
    int32_t storedCode;  // resultCode afterwards (the record starts at 0)
    std::string info;
  } cases[] = {
      {"", -1, 0, ""},
      {"not json", -1, 0, ""},
      {"<html><body><h1>500 Internal Server Error</h1></body></html>", -1, 0, ""},
      {"500 Internal Server Error", -1, 0, ""},
      {"[1,2]", -1, 0, ""},
      {"null", -1, 0, ""},
      {R"({"resultCode":-9999,"resultInfo":"登录已过期"})", -9999, -9999, "登录已过期"},
      {R"({"resultCode":3,"resultInfo":"请更新"})", 3, 3, "请更新"},
      {R"({"resultCode":3.9,"resultInfo":"x"})", 3, 3, "x"},
      {R"({"resultCode":true,"resultInfo":7})", 1, 1, "7"},
      {R"(/* comment */ {"resultCode":5})", 5, 5, ""},
      // Wrong types are unparsable, and nothing of them is stored.
      {R"({"resultCode":"0"})", -1, 0, ""},
      {R"({"resultCode":4294967296})", -1, 0, ""},
      {R"({"resultCode":1e12})", -1, 0, ""},
      {R"({"resultCode":[0]})", -1, 0, ""},
      {R"({"resultCode":2,"resultInfo":{"text":"x"}})", -1, 0, ""},
      {R"({"resultCode":2,"resultInfo":["x"]})", -1, 0, ""},
  };
  for (const auto& c : cases) {
    request = ApiRequest();
    request.responseText = c.text;
    EXPECT_EQ(CServiceApi::Instance().ParseEnvelope(request), c.result) << c.text;
    EXPECT_EQ(request.resultCode, c.storedCode) << c.text;
    EXPECT_EQ(request.resultInfo, c.info) << c.text;
  }
}

TEST_F(AnswerParserTest, AnswerWithoutResultCodeCountsAsSuccess) {
  EXPECT_EQ(Parse(REQ_GET_VIP_GOODS, R"({"resultInfo":[]})"), 0);
  EXPECT_EQ(Parse(REQ_LOGOUT, R"({"resultInfo":""})"), 0);
}

TEST_F(AnswerParserTest, ResultInfoMustBePresentExceptForTheGateway) {
  for (int32_t kind : {REQ_LOGOUT, REQ_GET_KEY, REQ_LOGIN, REQ_GET_PADS, REQ_CHECK_PAD, REQ_CHECK_NEW_VERSION})
    EXPECT_EQ(Parse(kind, R"({"resultCode":0})"), -1) << kind;
  EXPECT_EQ(Parse(REQ_PAY_GATEWAY, R"({"resultCode":0})"), 0);
  EXPECT_EQ(request.results[0], "");
  EXPECT_EQ(Parse(REQ_PAY_GATEWAY, Ok(R"("http://127.0.0.1:8088/pay?o=1")")), 0);
  EXPECT_EQ(request.results[0], "http://127.0.0.1:8088/pay?o=1");
  EXPECT_EQ(Parse(REQ_PAY_GATEWAY, Ok(R"({"url":"x"})")), -1);
}

TEST_F(AnswerParserTest, ChineseErrorTextArrivesInTheAnsiCodePage) {
  const bool ran = test::WithLocale("zh_CN.gbk", [this] {
    EXPECT_EQ(Parse(REQ_GET_PADS, R"({"resultCode":3,"resultInfo":"中文"})"), 3);
  });
  if (!ran) GTEST_SKIP() << "no zh_CN.gbk locale";
  EXPECT_EQ(request.resultInfo, "\xD6\xD0\xCE\xC4");
}

TEST_F(AnswerParserTest, KeyVersionAndOrderIdGoToTheResults) {
  EXPECT_EQ(Parse(REQ_GET_KEY, Ok(R"({"signKey":"K3y","userId":10086})")), 0);
  EXPECT_EQ(request.results[0], "K3y");
  EXPECT_EQ(request.results[1], "10086");
  EXPECT_EQ(Parse(REQ_GET_KEY, Ok(R"({"userId":10086})")), 0);
  EXPECT_EQ(request.results[0], "");
  EXPECT_EQ(Parse(REQ_CHECK_NEW_VERSION, Ok(R"({"versionCode":"1.2.4"})")), 0);
  EXPECT_EQ(request.results[0], "1.2.4");
  EXPECT_EQ(Parse(REQ_RECHARGE, Ok(R"({"orderId":"O-1"})")), 0);
  EXPECT_EQ(request.results[0], "O-1");
  EXPECT_EQ(Parse(REQ_BUY, Ok(R"({"orderId":9007})")), 0);
  EXPECT_EQ(request.results[0], "9007");
  EXPECT_EQ(Parse(REQ_GET_KEY, Ok(R"({"signKey":{"k":1},"userId":1})")), -1);
  EXPECT_EQ(request.results[1], "");
  EXPECT_EQ(Parse(REQ_GET_KEY, Ok(R"("text")")), -1);
}

TEST_F(AnswerParserTest, LoginStoresTheSessionOnlyWhenThereIsOne) {
  context.sessionId = "old";
  request = ApiRequest();
  EXPECT_EQ(Parse(REQ_LOGIN, Ok(R"({"session":""})")), 1);
  EXPECT_EQ(context.sessionId, "old");
  EXPECT_EQ(Parse(REQ_LOGIN, Ok(R"({"other":1})")), 1);
  EXPECT_EQ(context.sessionId, "old");

  request = ApiRequest();
  request.kind = REQ_LOGIN;
  request.params[0] = "demo";
  request.params[2] = "5d99b6a4adf93d7ec6100e46ea8e8928";
  request.responseText = Ok(R"({"session":"S-1"})");
  EXPECT_EQ(CServiceApi::Instance().ParseAnswer(request), 0);
  EXPECT_EQ(context.sessionId, "S-1");
  EXPECT_EQ(context.userName, "demo");
  EXPECT_EQ(context.passwordDigest, "5d99b6a4adf93d7ec6100e46ea8e8928");
}

TEST_F(AnswerParserTest, DeviceAnswerFillsNodesAndPads) {
  const char* answer = R"({"controlList":[{"controlCode":"node-1","controlIp":"127.0.0.1","controlPort":70000}],
    "padList":[{"padCode":"P1","padStatus":"1","controlCode":"node-1","videoUrl":"rtmp://127.0.0.1:1935/live/",
                "leftControlTime":3600,"leftOnlineTime":30,"bindMobile":"138","roomName":"一号机房","padName":"设备一",
                "padGrade":"0","adPlayTime":15,"recoveryStatus":"1","leftRecoveryDays":2,"unknown":[1]},
               {"padCode":"P2","padStatus":2},
               {"padCode":"P3","leftControlTime":12.9}]})";
  ASSERT_EQ(Parse(REQ_GET_PADS, Ok(answer)), 0);
  ASSERT_EQ(context.controlList.size(), 1u);
  EXPECT_EQ(context.controlList[0].controlCode, "node-1");
  EXPECT_EQ(context.controlList[0].controlIp, "127.0.0.1");
  EXPECT_EQ(context.controlList[0].controlPort, 4464);  // 70000 cut to 16 bits
  ASSERT_EQ(context.padList.size(), 3u);
  const PadInfo& p = context.padList[0];
  EXPECT_EQ(p.padCode, "P1");
  EXPECT_EQ(p.padStatus, 1);
  EXPECT_EQ(p.controlCode, "node-1");
  EXPECT_EQ(p.videoUrl, "rtmp://127.0.0.1:1935/live/");
  EXPECT_EQ(p.leftControlTime, 3600);
  EXPECT_EQ(p.leftOnlineTime, 30);
  EXPECT_EQ(p.bindMobile, "138");
  EXPECT_EQ(p.roomName, "一号机房");
  EXPECT_EQ(p.padName, "设备一");
  EXPECT_EQ(p.padGrade, "0");
  EXPECT_EQ(p.adPlayTime, 15);
  EXPECT_EQ(p.recoveryStatus, "1");
  EXPECT_EQ(p.leftRecoveryDays, 2);
  EXPECT_EQ(context.padList[1].padStatus, 2);  // a JSON number, printed then read back
  EXPECT_EQ(context.padList[2].padStatus, 0);  // absent: offline
  EXPECT_EQ(context.padList[2].leftControlTime, 12);
  EXPECT_EQ(context.padList[2].padName, "");

  // A refresh with fewer elements shrinks the list.
  ASSERT_EQ(Parse(REQ_GET_PADS, Ok(R"({"controlList":[],"padList":[{"padCode":"P9"}]})")), 0);
  EXPECT_TRUE(context.controlList.empty());
  ASSERT_EQ(context.padList.size(), 1u);
  EXPECT_EQ(context.padList[0].padCode, "P9");
}

TEST_F(AnswerParserTest, DeviceAnswerWithoutItsArrays) {
  auto fill = [this] {
    context.controlList.assign(2, ControlNodeInfo{"old", "1.2.3.4", 1});
    context.padList.assign(2, PadInfo{});
  };
  fill();
  EXPECT_EQ(Parse(REQ_GET_PADS, Ok(R"({"controlList":{"a":1},"padList":[]})")), -1);
  EXPECT_TRUE(context.controlList.empty());
  EXPECT_TRUE(context.padList.empty());

  fill();
  EXPECT_EQ(Parse(REQ_GET_PADS, Ok(R"({"controlList":[{"controlCode":"n"}]})")), -1);
  ASSERT_EQ(context.controlList.size(), 1u);
  EXPECT_EQ(context.controlList[0].controlCode, "n");
  EXPECT_TRUE(context.padList.empty());
}

TEST_F(AnswerParserTest, FailuresAndWrongTypesLeaveTheModelAsItWas) {
  const char* answers[] = {
      R"({"resultCode":1,"resultInfo":"失败"})",
      R"({"resultCode":-9999,"resultInfo":"登录已过期"})",
      R"(<html>500</html>)",
      R"({"resultCode":0,"resultInfo":{"controlList":[],"padList":[{"padCode":"X","leftControlTime":"3600"}]}})",
      R"({"resultCode":0,"resultInfo":{"controlList":[],"padList":[{"padCode":{"x":1}}]}})",
      R"({"resultCode":0,"resultInfo":{"controlList":[],"padList":[{"padCode":"X","adPlayTime":3000000000}]}})",
      R"({"resultCode":0,"resultInfo":{"controlList":[{"controlPort":[1]}],"padList":[]}})",
      R"({"resultCode":0,"resultInfo":{"controlList":[],"padList":[1,2]}})",
      R"({"resultCode":0,"resultInfo":{"controlList":[],"padList":["P1"]}})",
      R"({"resultCode":0,"resultInfo":"text"})",
  };
  for (const char* answer : answers) {
    context.padList.assign(1, PadInfo{});
    context.padList[0].padCode = "KEEP";
    context.controlList.assign(1, ControlNodeInfo{"KEEP", "", 0});
    EXPECT_NE(Parse(REQ_GET_PADS, answer), 0) << answer;
    ASSERT_EQ(context.padList.size(), 1u) << answer;
    EXPECT_EQ(context.padList[0].padCode, "KEEP") << answer;
    ASSERT_EQ(context.controlList.size(), 1u) << answer;
  }
}

TEST_F(AnswerParserTest, WrongTypesInEveryListAreUnparsable) {
  const struct {
    int32_t kind;
    std::string info;
  } cases[] = {
      {REQ_GET_IDCS, R"([{"idcCode":"a","idcName":["x"]}])"},
      {REQ_GET_FAULT_LABELS, R"([{"labelId":"3"}])"},
      {REQ_GET_FAULTS, R"({"data":[{"faultId":2147483648}]})"},
      {REQ_GET_VIP_GOODS, R"([{"goodsId":1,"goodsPrice":"12"}])"},
      {REQ_GET_ORDERS, R"({"total":"37","data":[]})"},
      {REQ_GET_ORDERS, R"({"total":1,"data":[{"orderPrice":{}}]})"},
      {REQ_GET_USER_INFO, R"({"rbcAmount":"500","freeRate":1,"vipRate":2})"},
      {REQ_GET_USER_INFO, R"([500])"},
      {REQ_GET_PAY_MODES, R"([{"payType":"1","payModeCode":{}}])"},
      {REQ_GET_PC_TASKS, R"([{"taskId":1,"awardAmount":-3000000000}])"},
      {REQ_GET_NOTICES, R"([{"noticeId":"n1"}])"},
      {REQ_GET_NOTICES, R"([[1]])"},
  };
  for (const auto& c : cases) {
    test::ResetAccountModel();
    context.rbcAmount = 9;
    context.idcList.resize(1);
    context.faultLabelList.resize(1);
    context.faultList.resize(1);
    context.goodsList.resize(1);
    context.orderList.resize(1);
    context.payTypeList.resize(1);
    context.taskList.resize(1);
    context.noticeList.resize(1);
    EXPECT_EQ(Parse(c.kind, Ok(c.info)), -1) << c.info;
    EXPECT_EQ(context.rbcAmount, 9);
    EXPECT_EQ(context.idcList.size() + context.faultLabelList.size() + context.faultList.size() +
                  context.goodsList.size() + context.orderList.size() + context.payTypeList.size() +
                  context.taskList.size() + context.noticeList.size(),
              8u)
        << c.info;
  }
}

TEST_F(AnswerParserTest, MissingArrayEmptiesTheList) {
  const struct {
    int32_t kind;
    std::string info;
    std::function<size_t()> size;
  } cases[] = {
      {REQ_GET_IDCS, R"({"a":1})", [this] { return context.idcList.size(); }},
      {REQ_GET_FAULT_LABELS, R"("x")", [this] { return context.faultLabelList.size(); }},
      {REQ_GET_FAULTS, R"({"total":1})", [this] { return context.faultList.size(); }},
      {REQ_GET_VIP_GOODS, R"({"data":[]})", [this] { return context.goodsList.size(); }},
      {REQ_GET_ORDERS, R"({"total":1,"data":{}})", [this] { return context.orderList.size(); }},
      {REQ_GET_PAY_MODES, R"(5)", [this] { return context.payTypeList.size(); }},
      {REQ_GET_PC_TASKS, R"({})", [this] { return context.taskList.size(); }},
      {REQ_GET_NOTICES, R"({})", [this] { return context.noticeList.size(); }},
  };
  for (const auto& c : cases) {
    context.idcList.resize(2);
    context.faultLabelList.resize(2);
    context.faultList.resize(2);
    context.goodsList.resize(2);
    context.orderList.resize(2);
    context.payTypeList.resize(2);
    context.taskList.resize(2);
    context.noticeList.resize(2);
    EXPECT_EQ(Parse(c.kind, Ok(c.info)), -1) << c.info;
    EXPECT_EQ(c.size(), 0u) << c.info;
  }
}

TEST_F(AnswerParserTest, EmptyArrayGivesAnEmptyListAndSuccess) {
  context.goodsList.resize(3);
  EXPECT_EQ(Parse(REQ_GET_VIP_GOODS, Ok("[]")), 0);
  EXPECT_TRUE(context.goodsList.empty());
}

TEST_F(AnswerParserTest, ListRecordsCarryEveryField) {
  ASSERT_EQ(Parse(REQ_GET_IDCS, Ok(R"([{"idcCode":"gz","idcName":"广州"},null])")), 0);
  ASSERT_EQ(context.idcList.size(), 2u);
  EXPECT_EQ(context.idcList[0].idcCode, "gz");
  EXPECT_EQ(context.idcList[0].idcName, "广州");
  EXPECT_EQ(context.idcList[1].idcCode, "");

  ASSERT_EQ(Parse(REQ_GET_FAULT_LABELS, Ok(R"([{"labelId":3,"labelPid":0,"labelName":"黑屏"}])")), 0);
  ASSERT_EQ(context.faultLabelList.size(), 1u);
  EXPECT_EQ(context.faultLabelList[0].labelId, 3);
  EXPECT_EQ(context.faultLabelList[0].labelPid, "0");
  EXPECT_EQ(context.faultLabelList[0].labelName, "黑屏");

  ASSERT_EQ(Parse(REQ_GET_FAULTS, Ok(R"({"total":1,"data":[{"faultId":7,"labelName":"黑屏","padName":"设备一",
      "feedbackContent":"c","feedbackStatus":"1","feedbackStatusTxt":"已处理","handleContent":"h"}]})")),
            0);
  ASSERT_EQ(context.faultList.size(), 1u);
  const FaultInfo& f = context.faultList[0];
  EXPECT_EQ(f.faultId, 7);
  EXPECT_EQ(f.labelName + f.padName + f.feedbackContent + f.feedbackStatus + f.feedbackStatusTxt + f.handleContent,
            "黑屏设备一c1已处理h");

  ASSERT_EQ(Parse(REQ_GET_VIP_GOODS, Ok(R"([{"goodsId":1,"goodsName":"月卡","goodsPriceShow":"¥30",
      "goodsPrice":3000,"goodsDesc":"三十天","rbcAmount":100,"goodsType":"2"}])")),
            0);
  ASSERT_EQ(context.goodsList.size(), 1u);
  const GoodsInfo& g = context.goodsList[0];
  EXPECT_EQ(g.goodsId, 1);
  EXPECT_EQ(g.goodsName, "月卡");
  EXPECT_EQ(g.goodsPriceShow, "¥30");
  EXPECT_EQ(g.goodsPrice, 3000);
  EXPECT_EQ(g.goodsDesc, "三十天");
  EXPECT_EQ(g.rbcAmount, 100);
  EXPECT_EQ(g.goodsType, "2");

  ASSERT_EQ(Parse(REQ_GET_PC_TASKS, Ok(R"([{"taskId":8,"taskName":"签到","taskCategory":"1","awardAmount":5,
      "awardStatus":"0","remark":"每日"}])")),
            0);
  ASSERT_EQ(context.taskList.size(), 1u);
  const TaskInfo& t = context.taskList[0];
  EXPECT_EQ(t.taskId, 8);
  EXPECT_EQ(t.taskName + t.taskCategory + t.awardStatus + t.remark, "签到10每日");
  EXPECT_EQ(t.awardAmount, 5);

  ASSERT_EQ(Parse(REQ_GET_USER_INFO, Ok(R"({"rbcAmount":500,"freeRate":10,"vipRate":30})")), 0);
  EXPECT_EQ(context.rbcAmount, 500);
  EXPECT_EQ(context.freeRate, 10);
  EXPECT_EQ(context.vipRate, 30);
}

TEST_F(AnswerParserTest, OrdersCarryTheTotalInEveryRecord) {
  ASSERT_EQ(Parse(REQ_GET_ORDERS, Ok(R"({"total":37,"data":[
      {"orderId":"O1","orderType":"1","padName":"设备一","goodsId":2,"goodsName":"月卡","orderPrice":3000,
       "orderStatus":"1","orderCreateTime":1449648000000},{"orderId":"O2"},{"orderId":"O3"}]})")),
            0);
  ASSERT_EQ(context.orderList.size(), 3u);
  for (const OrderInfo& o : context.orderList) EXPECT_EQ(o.total, 37);
  const OrderInfo& o = context.orderList[0];
  EXPECT_EQ(o.orderId, "O1");
  EXPECT_EQ(o.orderType, "1");
  EXPECT_EQ(o.padName, "设备一");
  EXPECT_EQ(o.goodsId, 2);
  EXPECT_EQ(o.goodsName, "月卡");
  EXPECT_EQ(o.orderPrice, 3000);
  EXPECT_EQ(o.orderStatus, "1");
  EXPECT_EQ(o.orderCreateTime, "1449648000000");
}

TEST_F(AnswerParserTest, PayModesAreGroupedByPayType) {
  ASSERT_EQ(Parse(REQ_GET_PAY_MODES, Ok(R"([
      {"payType":"1","payTypeName":"网页支付","payModeCode":"a","payModeName":"甲","payModeDesc":"d1","payModePhoto":"p1"},
      {"payType":"2","payTypeName":"扫码支付","payModeCode":"b"},
      {"payType":"1","payTypeName":"别名","payModeCode":"c"}])")),
            0);
  ASSERT_EQ(context.payTypeList.size(), 2u);
  const PayTypeInfo& first = context.payTypeList[0];
  EXPECT_EQ(first.payType, 1);
  EXPECT_EQ(first.payTypeName, "网页支付");
  ASSERT_EQ(first.modes.size(), 2u);
  EXPECT_EQ(first.modes[0].payModeCode, "a");
  EXPECT_EQ(first.modes[0].payModeName, "甲");
  EXPECT_EQ(first.modes[0].payModeDesc, "d1");
  EXPECT_EQ(first.modes[0].payModePhoto, "p1");
  EXPECT_EQ(first.modes[1].payModeCode, "c");
  EXPECT_EQ(context.payTypeList[1].payType, 2);
  ASSERT_EQ(context.payTypeList[1].modes.size(), 1u);
  EXPECT_EQ(context.payTypeList[1].modes[0].payModeCode, "b");
}

TEST_F(AnswerParserTest, NoticesMapTheirStates) {
  ASSERT_EQ(Parse(REQ_GET_NOTICES, Ok(R"([
      {"noticeId":1,"userNoticeId":"u1","noticeTitle":"标题","noticeContent":"内容","popStatus":"1","userNoticeStatus":"0"},
      {"noticeId":2,"userNoticeId":"u2","popStatus":"0","userNoticeStatus":"1"},
      {"noticeId":3,"popStatus":"x"}])")),
            0);
  ASSERT_EQ(context.noticeList.size(), 3u);
  const NoticeInfo& n = context.noticeList[0];
  EXPECT_EQ(n.noticeId, 1);
  EXPECT_EQ(n.userNoticeId, "u1");
  EXPECT_EQ(n.noticeTitle, "标题");
  EXPECT_EQ(n.noticeContent, "内容");
  EXPECT_EQ(n.popMode, 1);
  EXPECT_EQ(n.readState, 4);
  EXPECT_EQ(context.noticeList[1].popMode, 2);
  EXPECT_EQ(context.noticeList[1].readState, 3);
  EXPECT_EQ(context.noticeList[2].popMode, 1);
  EXPECT_EQ(context.noticeList[2].readState, 3);
}

TEST_F(AnswerParserTest, NoticeListIsWrittenUnderTheNoticeLock) {
  std::unique_lock<std::mutex> lock(NoticeListMutex());
  auto parsed = std::async(std::launch::async, [this] {
    ApiRequest r;
    r.kind = REQ_GET_NOTICES;
    r.responseText = Ok(R"([{"noticeId":5}])");
    return CServiceApi::Instance().ParseAnswer(r);
  });
  EXPECT_EQ(parsed.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
  lock.unlock();
  EXPECT_EQ(parsed.get(), 0);
  ASSERT_EQ(context.noticeList.size(), 1u);
  EXPECT_EQ(context.noticeList[0].noticeId, 5);
}

TEST_F(AnswerParserTest, HostileShapesNeverThrow) {
  const std::string deep = std::string(20000, '[') + std::string(20000, ']');
  const std::string deepInfo = Ok(std::string(5000, '[') + std::string(5000, ']'));
  for (const std::string& text : {deep, deepInfo, std::string("{\"resultCode\":0,\"resultInfo\":"),
                                  std::string("{\"resultCode\":0,\"resultInfo\":[\"\\u0000\"]}")}) {
    for (int kind = -1; kind <= kRequestKindCount; ++kind) {
      request = ApiRequest();
      request.kind = kind;
      request.responseText = text;
      EXPECT_NO_THROW(CServiceApi::Instance().ParseEnvelope(request));
      EXPECT_NO_THROW(CServiceApi::Instance().ParseAnswer(request));
    }
  }
}

}  // namespace
}  // namespace zv
