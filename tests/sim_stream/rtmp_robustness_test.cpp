// Players that break the protocol: the server closes their connection and goes on
// serving everyone else.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>

#include "sim/stream/stream_module.h"
#include "tests/sim_stream/rtmp_test_player.h"
#include "tests/sim_stream/test_sim_context.h"

namespace zv::sim::test {
namespace {

using Bytes = std::vector<uint8_t>;

class CRawPeer {
 public:
  explicit CRawPeer(int port) {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    m_connected = connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) == 0;
  }
  ~CRawPeer() { close(m_fd); }
  bool Connected() const { return m_connected; }
  void Send(const Bytes& b) { [[maybe_unused]] ssize_t n = send(m_fd, b.data(), b.size(), MSG_NOSIGNAL); }
  // Exactly n bytes within 5 s.
  bool Receive(size_t n, Bytes& out) {
    out.clear();
    while (out.size() < n) {
      pollfd p{m_fd, POLLIN, 0};
      if (poll(&p, 1, 5000) <= 0) return false;
      uint8_t buffer[4096];
      const ssize_t got = read(m_fd, buffer, std::min(sizeof(buffer), n - out.size()));
      if (got <= 0) return false;
      out.insert(out.end(), buffer, buffer + got);
    }
    return true;
  }
  // True when the server closes the connection within 5 s (whatever it sent before).
  bool ClosedByServer() {
    for (;;) {
      pollfd p{m_fd, POLLIN, 0};
      if (poll(&p, 1, 5000) <= 0) return false;
      uint8_t buffer[4096];
      const ssize_t got = read(m_fd, buffer, sizeof(buffer));
      if (got <= 0) return true;
    }
  }
  // C0, C1 in one piece or byte by byte, then S0 S1 S2 and C2.
  bool Handshake(bool byteByByte) {
    Bytes c0c1 = {3};
    for (int i = 0; i < 1536; ++i) c0c1.push_back(static_cast<uint8_t>(i * 31));
    if (byteByByte) {
      for (uint8_t b : c0c1) Send({b});
    } else {
      Send(c0c1);
    }
    Bytes reply;
    if (!Receive(1 + 2 * 1536, reply)) return false;
    if (reply[0] != 3 || !std::equal(c0c1.begin() + 1, c0c1.end(), reply.begin() + 1 + 1536)) return false;
    Send(Bytes(reply.begin() + 1, reply.begin() + 1 + 1536));
    return true;
  }

 private:
  int m_fd = -1;
  bool m_connected = false;
};

class RtmpRobustnessTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Json::Value scenario;
    scenario["devices"][0]["padCode"] = "PAD-R";
    s_context = new CTestSimContext(scenario);
    s_module = CreateStreamModule().release();
    std::string error;
    ASSERT_TRUE(s_context->StartModule(*s_module, error)) << error;
    s_context->SetSessionLive("S1", true);
    s_context->RunOnLoop([] { s_context->bus.onStreamReady("PAD-R", "S1", 1); });
  }
  static void TearDownTestSuite() {
    s_context->RunOnLoop([] { delete s_module; });
    delete s_context;
  }
  static int Port() { return s_context->Port("rtmp"); }
  static void ExpectStillServing() {
    CRtmpTestPlayer player;
    ASSERT_TRUE(player.Open("rtmp://127.0.0.1:" + std::to_string(Port()) + "/live/S1-PAD-R-1"));
    PlayerMessage m;
    EXPECT_TRUE(player.ReadVideo(m));
  }

  static CTestSimContext* s_context;
  static ISimModule* s_module;
};

CTestSimContext* RtmpRobustnessTest::s_context = nullptr;
ISimModule* RtmpRobustnessTest::s_module = nullptr;

TEST_F(RtmpRobustnessTest, HandshakeArrivesInAnySplit) {
  for (bool byteByByte : {false, true}) {
    CRawPeer peer(Port());
    ASSERT_TRUE(peer.Connected());
    EXPECT_TRUE(peer.Handshake(byteByByte));
  }
}

TEST_F(RtmpRobustnessTest, ClosesConnectionsThatBreakTheProtocol) {
  struct Case {
    const char* what;
    bool handshake;
    Bytes bytes;
  } cases[] = {
      {"another RTMP version", false, Bytes(1537, 6)},
      {"a chunk continuing an unknown message", true, {0x83, 0, 0, 0, 1, 2, 3, 4}},
      {"a 16 MB command", true, {0x03, 0, 0, 0, 0xFF, 0xFF, 0xFF, 20, 0, 0, 0, 0}},
      {"a chunk size of zero", true, {0x02, 0, 0, 0, 0, 0, 4, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    CRawPeer peer(Port());
    ASSERT_TRUE(peer.Connected());
    if (c.handshake) {
      ASSERT_TRUE(peer.Handshake(false)) << c.what;
    }
    peer.Send(c.bytes);
    EXPECT_TRUE(peer.ClosedByServer()) << c.what;
  }
  ExpectStillServing();
}

TEST_F(RtmpRobustnessTest, SurvivesRandomBytesAfterTheHandshake) {
  std::mt19937 random(20261210);
  for (int round = 0; round < 40; ++round) {
    CRawPeer peer(Port());
    ASSERT_TRUE(peer.Handshake(false));
    Bytes junk(1 + random() % 3000);
    for (auto& b : junk) b = static_cast<uint8_t>(random());
    peer.Send(junk);
  }
  ExpectStillServing();
  const Json::Value log = s_context->Admin("stream/log");
  EXPECT_GE(log["connections"].size(), 40u);
}

}  // namespace
}  // namespace zv::sim::test
