#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <set>
#include <thread>

#include "api/app_context.h"
#include "app/events.h"
#include "control/byte_order.h"
#include "control/control_result.h"
#include "tests/control/control_fixture.h"

namespace zv::test {
namespace {

using namespace std::chrono_literals;

// While set, every connect attempt finds no socket, as when the process has run out of
// descriptors.
std::atomic<bool> g_noSockets{false};
std::atomic<int> g_refusedSockets{0};

ControlOptions OptionsWithSocketGate() {
  ControlOptions options;
  options.openSocket = [] {
    if (!g_noSockets.load()) return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ++g_refusedSockets;
    return -1;
  };
  return options;
}

TEST_F(ControlSessionTest, FirstWritesAreHelloQualityAndPad) {
  TcpConnection peer = ConnectAndHandshake();
  EXPECT_TRUE(peer.Quiet(200ms));  // nothing else before a heartbeat is due
  EXPECT_TRUE(m_window.Events().empty());
}

TEST_F(ControlSessionTest, OutOfRangeQualitySendsNoQualityMessage) {
  CAppContext::Instance().qualityLevel = 7;
  ASSERT_EQ(CControlClient::Instance().Connect(kPadCode), 0);
  TcpConnection peer = m_listener->Accept();
  ASSERT_EQ(peer.ReadExact(kControlHelloSize).size(), kControlHelloSize);
  ControlFields pad = ReadMessage(peer);
  EXPECT_EQ(pad.type, CTRL_PAD);
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 7);
}

TEST_F(ControlSessionTest, QualityPointerAndKeyMessages) {
  TcpConnection peer = ConnectAndHandshake();
  CControlClient& client = CControlClient::Instance();

  client.SendQuality(QUALITY_ULTRA_FAST);
  ControlFields quality = ReadMessage(peer);
  EXPECT_EQ(quality.type, CTRL_QUALITY);
  EXPECT_EQ(quality.subCode, 4u);
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), QUALITY_ULTRA_FAST);

  client.SendQuality(4);  // out of range: neither sent nor stored
  client.SendQuality(-1);
  client.SendKey(0, KEY_CODE_BACK, 0);  // no flag: nothing
  client.SendKey(KEY_FLAG_DOWN | KEY_FLAG_UP, KEY_CODE_BACK, 0);
  client.SendPointer(4, -3, 5);
  client.SendPointer(8, 10, 20);
  client.SendPointer(1, 11, 21);
  client.SendKey(KEY_FLAG_UP, 4, 9);

  struct Expected {
    uint32_t type;
    uint32_t sub;
    int32_t first;
  };
  const Expected expected[] = {
      {CTRL_KEY_DOWN, KEY_CODE_BACK, 0},
      {CTRL_KEY_UP, KEY_CODE_BACK, 0},
      {CTRL_POINTER_DOWN, uint32_t(-3), 5},
      {CTRL_POINTER_MOVE, 10, 20},
      {CTRL_POINTER_UP, 11, 21},
      {CTRL_KEY_UP, 4, 9},
  };
  for (const auto& e : expected) {
    ControlFields got = ReadMessage(peer);
    EXPECT_EQ(got.type, e.type);
    EXPECT_EQ(got.subCode, e.sub);
    EXPECT_EQ(got.first, e.first);
  }
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), QUALITY_ULTRA_FAST);
  EXPECT_TRUE(peer.Quiet(100ms));
}

TEST_F(ControlSessionTest, NothingIsSentAfterStop) {
  TcpConnection peer = ConnectAndHandshake();
  CControlClient& client = CControlClient::Instance();
  EXPECT_EQ(client.Stop(), 0);
  client.SendPointer(4, 1, 1);
  client.SendKey(KEY_FLAG_DOWN | KEY_FLAG_UP, KEY_CODE_BACK, 0);
  client.SendQuality(QUALITY_HD);
  EXPECT_TRUE(peer.WaitForClose());
  EXPECT_TRUE(client.WaitForLoops(10s));
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), QUALITY_FAST);
  EXPECT_TRUE(m_window.Events().empty());
}

TEST_F(ControlSessionTest, HeartbeatAndReadTimeout) {
  ControlOptions fast;
  fast.heartbeat = {0, 100 * 1000};
  fast.readTimeout = {0, 400 * 1000};
  CControlClient::Instance().SetOptions(fast);
  TcpConnection peer = ConnectAndHandshake();
  EXPECT_EQ(ReadMessage(peer).type, CTRL_HEARTBEAT);
  // The node stays silent: the read timeout counts as a lost connection and reconnects.
  EXPECT_TRUE(m_window.WaitForMessage(UWM_CTRL_RECONNECTING));
  TcpConnection second = m_listener->Accept();
  ASSERT_TRUE(second.Valid());
  ReadHandshake(second);
  EXPECT_EQ(EventsOf(UWM_CTRL_RECONNECTING)[0].wParam, 1u);
}

struct LossCase {
  const char* name;
  bool reset;  // reset instead of an orderly close
  uint32_t finalEvent;
};

void PrintTo(const LossCase& c, std::ostream* out) {
  *out << c.name;
}

class ControlLossTest : public ControlSessionTest, public ::testing::WithParamInterface<LossCase> {};

TEST_P(ControlLossTest, ThreeReconnectionsThenTheFourthLossEndsTheSession) {
  const LossCase& c = GetParam();
  TcpConnection peer = ConnectAndHandshake();
  for (int loss = 1; loss <= 4; ++loss) {
    c.reset ? peer.Reset() : peer.Close();
    if (loss == 4) break;
    peer = m_listener->Accept();
    ASSERT_TRUE(peer.Valid()) << "reconnection " << loss;
    ReadHandshake(peer);
  }
  ASSERT_TRUE(m_window.WaitForMessage(c.finalEvent));
  EXPECT_TRUE(CControlClient::Instance().WaitForLoops(10s));  // Stop ended the loop
  EXPECT_FALSE(m_listener->Accept(300ms).Valid());
  std::vector<RecordedEvent> events = m_window.Events();
  ASSERT_EQ(events.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(events[i].message, UWM_CTRL_RECONNECTING);
    EXPECT_EQ(events[i].wParam, 1u);
    EXPECT_FALSE(events[i].sent);
  }
  EXPECT_EQ(events[3].message, c.finalEvent);
  // Every loss stops the player first.
  EXPECT_EQ(m_stream.Names(), std::vector<std::string>(4, "Stop"));
}

INSTANTIATE_TEST_SUITE_P(Losses, ControlLossTest,
                         ::testing::Values(LossCase{"EndOfFile", false, UWM_CTRL_CONNECTION_LOST},
                                           LossCase{"Reset", true, UWM_CTRL_CONNECT_FAILED}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ControlSessionTest, RefusedConnectPostsConnectFailedWithoutReconnecting) {
  UseNode("127.0.0.1", UnusedPort());
  ASSERT_EQ(CControlClient::Instance().Connect(kPadCode), 0);
  ASSERT_TRUE(m_window.WaitForMessage(UWM_CTRL_CONNECT_FAILED));
  EXPECT_TRUE(CControlClient::Instance().WaitForLoops(10s));
  EXPECT_EQ(m_window.Messages(), std::vector<uint32_t>{UWM_CTRL_CONNECT_FAILED});
}

TEST_F(ControlSessionTest, TimeoutBeforeConnectedPostsConnectionLostWithoutReconnecting) {
  // A listener whose accept queue is full drops the client's connection request, so the
  // connect never completes and the read timeout fires first.
  TcpListener full(0);
  int filler = -1;
  {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(full.Port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    filler = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_EQ(connect(filler, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
  }
  ControlOptions fast;
  fast.readTimeout = {0, 300 * 1000};
  CControlClient::Instance().SetOptions(fast);
  UseNode("127.0.0.1", full.Port());
  ASSERT_EQ(CControlClient::Instance().Connect(kPadCode), 0);
  ASSERT_TRUE(m_window.WaitForMessage(UWM_CTRL_CONNECTION_LOST));
  EXPECT_TRUE(CControlClient::Instance().WaitForLoops(10s));
  EXPECT_EQ(m_window.Messages(), std::vector<uint32_t>{UWM_CTRL_CONNECTION_LOST});
  close(filler);
}

TEST_F(ControlSessionTest, ConnectFailuresByCode) {
  CControlClient& client = CControlClient::Instance();
  EXPECT_EQ(client.Connect("PAD-UNKNOWN"), kControlNoPad);
  EXPECT_EQ(client.Connect(std::string(kPadCode) + "X"), kControlNoPad);  // byte-for-byte match only

  PadInfo noNode;
  noNode.padCode = "PAD-NO-CODE";
  CAppContext::Instance().padList.push_back(noNode);
  EXPECT_EQ(client.Connect("PAD-NO-CODE"), kControlNoPad);

  CAppContext::Instance().controlList.clear();
  EXPECT_EQ(client.Connect(kPadCode), kControlNoNode);

  int calls = 0;
  client.SetResolver([&](const std::string& host, in_addr*) {
    EXPECT_EQ(host, "node.invalid");
    return ++calls, false;
  });
  UseNode("node.invalid", m_listener->Port());
  EXPECT_EQ(client.Connect(kPadCode), kControlResolveFailed);
  EXPECT_EQ(calls, 2);

  UseNode("127.0.0.1", m_listener->Port());
  client.SetOptions(OptionsWithSocketGate());
  g_noSockets = true;
  EXPECT_EQ(client.Connect(kPadCode), kControlConnectFailed);
  g_noSockets = false;
  EXPECT_TRUE(m_window.Events().empty());
}

TEST_F(ControlSessionTest, NumericAddressSkipsTheResolverAndANameMayResolveOnTheSecondTry) {
  CControlClient& client = CControlClient::Instance();
  int calls = 0;
  client.SetResolver([&](const std::string&, in_addr* address) {
    if (++calls == 1) return false;
    address->s_addr = htonl(INADDR_LOOPBACK);
    return true;
  });
  {
    TcpConnection direct = ConnectAndHandshake();
    EXPECT_EQ(calls, 0);
    client.Stop();
    EXPECT_TRUE(direct.WaitForClose());
  }
  UseNode("control-node.test", m_listener->Port());
  TcpConnection named = ConnectAndHandshake();
  EXPECT_EQ(calls, 2);
}

TEST_F(ControlSessionTest, ErrorTexts) {
  const std::pair<int32_t, std::wstring> table[] = {
      {kControlNoPad, L"找不到PAD信息"},
      {kControlNoNode, L"找不到控制节点"},
      {kControlConnectFailed, L"连接服务器失败"},
      {kControlResolveFailed, L"域名解析错误"},
      {0, L"未知错误"},
      {-1, L"未知错误"},
  };
  for (const auto& [code, text] : table) EXPECT_EQ(CControlClient::GetErrorText(code), text) << code;
}

TEST_F(ControlSessionTest, SplitReadsReachDispatchAsWholeMessagesInOrder) {
  TcpConnection peer = ConnectAndHandshake();
  std::vector<uint8_t> stream;
  for (int i = 1; i <= 6; ++i) {
    auto m = NodeMessage(CTRL_PAD, PAD_QUEUE_STATUS, i, -i);
    stream.insert(stream.end(), m.begin(), m.end());
  }
  const size_t parts[] = {1, 39, 39, 1, 100, 20, 40};  // 1+39, 39+1, two and a half, the rest
  size_t offset = 0;
  for (size_t part : parts) {
    peer.Write(stream.data() + offset, part);
    offset += part;
    std::this_thread::sleep_for(30ms);  // each part its own read
  }
  ASSERT_EQ(offset, stream.size());
  ASSERT_TRUE(m_window.WaitFor([](const auto& events) { return events.size() == 6; }));
  std::vector<RecordedEvent> events = m_window.Events();
  for (int i = 1; i <= 6; ++i) {
    EXPECT_EQ(events[i - 1].message, UWM_QUEUE_STATUS);
    EXPECT_EQ(static_cast<int32_t>(events[i - 1].wParam), i);
    EXPECT_EQ(events[i - 1].lParam, -i);
  }
}

TEST_F(ControlSessionTest, MessagesFromManyThreadsNeverInterleave) {
  TcpConnection peer = ConnectAndHandshake();
  constexpr int kThreads = 4;
  constexpr int kEach = 200;
  std::vector<std::thread> senders;
  for (int t = 0; t < kThreads; ++t) {
    senders.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) {
        int32_t x = t * 1000 + i;
        if (i % 2) {
          CControlClient::Instance().SendPointer(8, x, x * 2);
        } else {
          CControlClient::Instance().SendKey(KEY_FLAG_DOWN | KEY_FLAG_UP, static_cast<uint32_t>(x), x * 2);
        }
      }
    });
  }
  int expected = kThreads * (kEach / 2) * 3;
  std::set<int32_t> seen;
  for (int n = 0; n < expected; ++n) {
    ControlFields m = ReadMessage(peer);
    ASSERT_TRUE(m.type == CTRL_POINTER_MOVE || m.type == CTRL_KEY_DOWN || m.type == CTRL_KEY_UP) << n;
    ASSERT_EQ(m.first, static_cast<int32_t>(m.subCode) * 2);
    seen.insert(static_cast<int32_t>(m.subCode));
  }
  for (auto& s : senders) s.join();
  EXPECT_EQ(seen.size(), static_cast<size_t>(kThreads * kEach));
}

TEST_F(ControlSessionTest, StopWhileOtherThreadsSendLeavesOnlyWholeMessages) {
  TcpConnection peer = ConnectAndHandshake();
  std::atomic<bool> stopped{false};
  std::vector<std::thread> senders;
  for (int t = 0; t < 3; ++t) {
    senders.emplace_back([&stopped, t] {
      for (int i = 0; !stopped.load() || i < 50; ++i) {
        CControlClient::Instance().SendPointer(8, t, i);
        if (i > 5000) break;
      }
    });
  }
  std::this_thread::sleep_for(20ms);
  CControlClient::Instance().Stop();
  stopped = true;
  for (auto& s : senders) s.join();
  std::vector<uint8_t> rest = peer.ReadUntilClose();
  ASSERT_EQ(rest.size() % kControlMessageSize, 0u) << "a message was cut";
  for (size_t offset = 0; offset < rest.size(); offset += kControlMessageSize)
    ASSERT_EQ(ReadControlMessage(rest.data() + offset).type, CTRL_POINTER_MOVE) << offset;
  EXPECT_TRUE(CControlClient::Instance().WaitForLoops(10s));
}

TEST_F(ControlSessionTest, ConnectStopsAConnectionStillRunning) {
  TcpConnection first = ConnectAndHandshake();
  TcpConnection second = ConnectAndHandshake();
  EXPECT_TRUE(first.WaitForClose());
  CControlClient::Instance().SendPointer(4, 1, 2);
  EXPECT_EQ(ReadMessage(second).type, CTRL_POINTER_DOWN);
  EXPECT_TRUE(m_window.Events().empty());  // the superseded connection tells nobody
}

// The loop thread blocks on the window thread (the failed reconnection's sent event) while
// the window thread leaves the session and opens a new one: neither may wait for the other.
TEST_F(ControlSessionTest, NewConnectWhileTheOldLoopWaitsOnTheWindow) {
  CControlClient::Instance().SetOptions(OptionsWithSocketGate());
  std::atomic<bool> reconnected{false};
  m_window.SetHandler([&](const RecordedEvent& e) -> intptr_t {
    if (e.message == UWM_CTRL_RECONNECTING && e.wParam == 1 && !reconnected.exchange(true)) {
      // The loop thread fails to get a socket and then waits in its sent event.
      for (int i = 0; i < 1000 && g_refusedSockets.load() == 0; ++i) std::this_thread::sleep_for(10ms);
      std::this_thread::sleep_for(200ms);
      g_noSockets = false;
      CControlClient::Instance().Stop();
      EXPECT_EQ(CControlClient::Instance().Connect(kPadCode), 0);
    }
    return 0;
  });
  TcpConnection peer = ConnectAndHandshake();
  g_noSockets = true;  // the reconnection cannot get a socket
  peer.Close();
  TcpConnection fresh = m_listener->Accept(10s);
  ASSERT_TRUE(fresh.Valid());
  ReadHandshake(fresh);
  ASSERT_TRUE(m_window.WaitFor([](const auto& events) { return events.size() == 2; }));
  std::vector<RecordedEvent> events = m_window.Events();
  EXPECT_EQ(events[0].message, UWM_CTRL_RECONNECTING);
  EXPECT_EQ(events[0].wParam, 1u);
  EXPECT_EQ(events[1].message, UWM_CTRL_RECONNECTING);
  EXPECT_EQ(events[1].wParam, 0u);
  EXPECT_TRUE(events[1].sent);
  // The old connection's end is not reported into the new session.
  EXPECT_TRUE(fresh.Quiet(300ms));
  EXPECT_EQ(m_window.Events().size(), 2u);
  m_window.SetHandler({});
}

}  // namespace
}  // namespace zv::test
