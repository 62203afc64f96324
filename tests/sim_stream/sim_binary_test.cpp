// The stream server inside the real zelvane-sim, reached as the client reaches it: log in
// at the account service, ask the control node for the device, play the announced stream,
// move the pointer over the control channel and see it in the picture.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "sim/phone/phone_screen.h"
#include "tests/sim_core/sim_client.h"
#include "tests/sim_core/sim_process.h"
#include "tests/sim_stream/h264_test_decoder.h"
#include "tests/sim_stream/rtmp_test_player.h"

namespace zv::sim::test {
namespace {

constexpr uint32_t kCtrlPad = 0x00010001;
constexpr uint32_t kCtrlQuality = 0x80000002;
constexpr uint32_t kCtrlPointerDown = 0x80200001;
constexpr uint32_t kCtrlStreamReady = 0xFF000001;

void PutLe(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
uint32_t GetLe(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
}

void PutText(std::vector<uint8_t>& out, const std::string& text) {
  for (size_t i = 0; i < 32; ++i) out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

std::vector<uint8_t> Message(uint32_t type, int32_t a, int32_t b) {
  std::vector<uint8_t> m;
  PutLe(m, type);
  PutLe(m, 0);
  PutLe(m, static_cast<uint32_t>(a));
  PutLe(m, static_cast<uint32_t>(b));
  m.resize(40, 0);
  return m;
}

// A minimal control-channel client: hello, quality, pad; then 40-byte messages.
class CControlChannel {
 public:
  ~CControlChannel() { Close(); }
  bool Open(int port, const std::string& session, const std::string& pad) {
    m_fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0) return false;
    std::vector<uint8_t> out = {'Z', 'V', 'P', 'C'};
    PutLe(out, 0x00010000);
    PutLe(out, 0);
    PutLe(out, 0);
    PutText(out, session);
    const auto quality = Message(kCtrlQuality, 1, 0);
    out.insert(out.end(), quality.begin(), quality.end());
    PutLe(out, kCtrlPad);
    PutLe(out, 0);
    PutText(out, pad);
    return Send(out);
  }
  bool Send(const std::vector<uint8_t>& bytes) {
    return write(m_fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // The stream number of the node's CTRL_STREAM_READY, or false after 10 s.
  bool WaitStreamReady(int& number) {
    uint8_t m[40];
    size_t have = 0;
    while (true) {
      pollfd p{m_fd, POLLIN, 0};
      if (poll(&p, 1, 10000) <= 0) return false;
      const ssize_t n = read(m_fd, m + have, sizeof(m) - have);
      if (n <= 0) return false;
      have += static_cast<size_t>(n);
      if (have < sizeof(m)) continue;
      have = 0;
      if (GetLe(m) == kCtrlStreamReady) {
        number = static_cast<int32_t>(GetLe(m + 8));
        return true;
      }
    }
  }
  void Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd = -1;
};

bool IsMarker(const Yuv& p) {
  const phone::YuvColor m = phone::PointerColor();
  return std::abs(p.y - m.y) <= 24 && std::abs(p.u - m.u) <= 24 && std::abs(p.v - m.v) <= 24;
}

TEST(StreamInZelvaneSimTest, PlaysTheDeviceTheControlNodeAnnouncedAndShowsItsPointer) {
  CSimProcess sim;
  std::string error;
  ASSERT_TRUE(sim.Start(DefaultScenario(), error)) << error;
  ASSERT_GT(sim.Port("rtmp"), 0);
  CSimClient client(sim);
  int userId = 0;
  const std::string session = client.Login("demo", "123456", userId);
  ASSERT_FALSE(session.empty()) << client.last.body;

  CControlChannel control;
  ASSERT_TRUE(control.Open(sim.Port("control"), session, "PAD-FREE-1"));
  int number = 0;
  ASSERT_TRUE(control.WaitStreamReady(number));

  CRtmpTestPlayer player;
  const std::string url = "rtmp://127.0.0.1:" + std::to_string(sim.Port("rtmp")) + "/live/" + session +
                          "-PAD-FREE-1-" + std::to_string(number);
  ASSERT_TRUE(player.Open(url)) << url;
  ASSERT_TRUE(control.Send(Message(kCtrlPointerDown, 180, 320)));
  CH264TestDecoder decoder;
  bool shown = false;
  PlayerMessage m;
  for (int i = 0; i < 60 && !shown; ++i) {
    ASSERT_TRUE(player.ReadVideo(m));
    if (m.body.size() > 9 && m.body[1] == 1 && decoder.Decode(m.body.data() + 9, m.body.size() - 9)) {
      shown = IsMarker(decoder.At(180, 320));
    }
  }
  EXPECT_TRUE(shown);

  const Json::Value log = client.Admin("stream/log");
  ASSERT_TRUE(log["ok"].asBool()) << log.toStyledString();
  ASSERT_EQ(log["plays"].size(), 1u);
  EXPECT_TRUE(log["plays"][0]["accepted"].asBool());
  EXPECT_EQ(log["plays"][0]["padCode"].asString(), "PAD-FREE-1");

  // The end of the control session ends the stream.
  control.Close();
  ReadResult r = ReadResult::kMessage;
  for (int i = 0; i < 1000 && r != ReadResult::kClosed; ++i) r = player.Read(m);
  EXPECT_EQ(r, ReadResult::kClosed);
  EXPECT_EQ(sim.Stop(), 0);
}

}  // namespace
}  // namespace zv::sim::test
