// Execute's own paths that need no service: the missing endpoint, a refused connection,
// and the lock that keeps transfers one at a time.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "api/service_api.h"
#include "app/events.h"
#include "tests/service_api/service_test_support.h"
#include "tests/support/recording_window.h"

namespace zv {
namespace {

// A loopback port that was free a moment ago: connecting to it is refused.
int ClosedLoopbackPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  socklen_t length = sizeof(address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

class ExecuteLocalTest : public testing::Test {
 protected:
  void SetUp() override {
    test::ResetAccountModel();
    ASSERT_TRUE(CServiceApi::Instance().InitTransport());
    window.Attach();
    CAppContext::Instance().endpointUrls = {};
  }
  void TearDown() override { CAppContext::Instance().endpointUrls = {}; }

  test::RecordingWindow window;
};

TEST_F(ExecuteLocalTest, KindWithoutEndpointFailsLocallyAndFreesTheLock) {
  for (int32_t kind : {int32_t(REQ_GET_PADS), int32_t(-1), int32_t(kRequestKindCount)}) {
    ApiRequest request;
    request.kind = kind;
    EXPECT_EQ(CServiceApi::Instance().Execute(request), -1) << kind;
    EXPECT_TRUE(request.responseText.empty());
  }
  auto otherThread = std::async(std::launch::async, [] {
    std::recursive_mutex& lock = CServiceApi::Instance().ApiLock();
    const bool taken = lock.try_lock();
    if (taken) lock.unlock();
    return taken;
  });
  EXPECT_TRUE(otherThread.get());
}

TEST_F(ExecuteLocalTest, RefusedConnectionIsATransportFailureThatChangesNothing) {
  CAppContext::Instance().endpointUrls[REQ_GET_PADS] =
      "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/zelvaneauth/pad/getPad.html";
  ApiRequest request;
  request.kind = REQ_GET_PADS;
  request.responseText = "earlier";
  request.resultCode = 7;
  request.resultInfo = "earlier text";
  CAppContext::Instance().padList.resize(2);
  EXPECT_EQ(CServiceApi::Instance().Execute(request), -2);
  EXPECT_EQ(request.responseText, "earlier");
  EXPECT_EQ(request.resultCode, 7);
  EXPECT_EQ(request.resultInfo, "earlier text");
  EXPECT_FALSE(request.sessionExpired);
  EXPECT_EQ(CAppContext::Instance().padList.size(), 2u);
  EXPECT_EQ(window.Count(UWM_SESSION_TIMEOUT), 0u);
}

TEST_F(ExecuteLocalTest, TransferWaitsForTheApiLock) {
  CAppContext::Instance().endpointUrls[REQ_LOGOUT] =
      "http://127.0.0.1:" + std::to_string(ClosedLoopbackPort()) + "/zelvaneauth/user/logout.html";
  std::unique_lock<std::recursive_mutex> held(CServiceApi::Instance().ApiLock());
  auto call = std::async(std::launch::async, [] {
    ApiRequest request;
    request.kind = REQ_LOGOUT;
    return CServiceApi::Instance().Execute(request);
  });
  EXPECT_EQ(call.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  // The lock is recursive: its holder may run requests of its own meanwhile.
  ApiRequest nested;
  nested.kind = REQ_LOGOUT;
  EXPECT_EQ(CServiceApi::Instance().Execute(nested), -2);
  held.unlock();
  EXPECT_EQ(call.get(), -2);
}

}  // namespace
}  // namespace zv
