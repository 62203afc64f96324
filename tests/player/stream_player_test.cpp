#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "player/stream_player.h"
#include "player/stream_url.h"
#include "tests/player/quality_fixture.h"

namespace zv {
namespace {

// A loopback port that nothing listens on.
int ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t length = sizeof addr;
  getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
  close(fd);
  return ntohs(addr.sin_port);
}

TEST(StreamUrlTest, Composition) {
  struct Case {
    const char* videoUrl;
    const char* session;
    const char* pad;
    int32_t number;
    const char* url;
  } cases[] = {
      {"rtmp://127.0.0.1:1935/live/", "S1", "PAD7", 3, "rtmp://127.0.0.1:1935/live/S1-PAD7-3"},
      {"rtmp://h/app/x", "abc", "P", -1, "rtmp://h/app/xabc-P--1"},
      {"rtmp://h/a/", "", "P", 0, "rtmp://h/a/-P-0"},
  };
  for (const Case& c : cases) {
    std::string url;
    ASSERT_TRUE(ComposeStreamUrl(c.videoUrl, c.session, c.pad, c.number, url));
    EXPECT_EQ(url, c.url);
  }
}

TEST(StreamUrlTest, LongerThanTheBufferIsRefusedNotCut) {
  std::string base = "rtmp://127.0.0.1/live/";
  std::string pad = "P";
  // base + session + "-P-1" is exactly 1023 characters, then one more.
  std::string session(1023 - base.size() - 4, 's');
  std::string url = "unchanged";
  EXPECT_TRUE(ComposeStreamUrl(base, session, pad, 1, url));
  EXPECT_EQ(url.size(), 1023u);
  url = "unchanged";
  EXPECT_FALSE(ComposeStreamUrl(base, session + "s", pad, 1, url));
  EXPECT_EQ(url, "unchanged");
}

TEST(AutoQualityBodyTest, EventTypeStreamIdAndFlagBigEndian) {
  struct Case {
    int32_t streamId;
    bool automatic;
    uint8_t body[kAutoQualityBodySize];
  } cases[] = {
      {1, true, {0x00, 0x1F, 0, 0, 0, 1, 0, 0, 0, 1}},
      {1, false, {0x00, 0x1F, 0, 0, 0, 1, 0, 0, 0, 0}},
      {0x01020304, true, {0x00, 0x1F, 1, 2, 3, 4, 0, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    uint8_t body[kAutoQualityBodySize] = {};
    BuildAutoQualityBody(c.streamId, c.automatic, body);
    EXPECT_EQ(std::vector<uint8_t>(body, body + kAutoQualityBodySize), std::vector<uint8_t>(c.body, c.body + kAutoQualityBodySize));
  }
}

class StreamPlayerTest : public test::QualityFixture {
 protected:
  void SetUp() override {
    QualityFixture::SetUp();
    saved = CAppContext::Instance().padList;
    PadInfo pad;
    pad.padCode = "PAD1";
    pad.videoUrl = "rtmp://127.0.0.1:" + std::to_string(ClosedPort()) + "/live/";
    PadInfo empty;
    empty.padCode = "PAD2";
    CAppContext::Instance().padList = {pad, empty};
    player.SetQualitySender(Sender());
  }
  void TearDown() override {
    CAppContext::Instance().padList = saved;
    QualityFixture::TearDown();
  }
  std::vector<PadInfo> saved;
  CStreamPlayer player{&timers};
};

TEST_F(StreamPlayerTest, OpenFailuresAndTheStoredUrl) {
  const std::string base = CAppContext::Instance().padList[0].videoUrl;
  EXPECT_EQ(player.Open("S", "NOPE", 1, true), STREAM_ERR_OPEN);
  EXPECT_EQ(player.Open("S", "PAD2", 1, true), STREAM_ERR_OPEN);  // no videoUrl
  EXPECT_EQ(player.Open("sess", "PAD1", -1, true), STREAM_ERR_CONNECT);
  EXPECT_EQ(player.StreamUrl(), base + "sess-PAD1--1");
  EXPECT_EQ(player.Open("other", "PAD1", 9, false), STREAM_ERR_CONNECT);
  EXPECT_EQ(player.StreamUrl(), base + "sess-PAD1--1");
  EXPECT_EQ(player.Open(std::string(1100, 'x'), "PAD1", 1, true), STREAM_ERR_OPEN);
  EXPECT_EQ(player.StreamUrl(), base + "sess-PAD1--1");

  CAppContext::Instance().padList[0].videoUrl = "not a stream address/";
  EXPECT_EQ(player.Open("s", "PAD1", 1, true), STREAM_ERR_OPEN);
  EXPECT_FALSE(player.IsRunning());
  EXPECT_EQ(player.ActiveReaders(), 0);
}

TEST_F(StreamPlayerTest, StopAndStartWithoutASessionDoNothing) {
  EXPECT_EQ(player.Start(), 0);
  EXPECT_FALSE(player.IsRunning());
  EXPECT_EQ(player.ActiveReaders(), 0);
  EXPECT_EQ(player.Stop(), 1);
  EXPECT_EQ(player.Stop(), 1);
  EXPECT_TRUE(timers.Take().empty());
}

TEST_F(StreamPlayerTest, SetQualityWithoutAStreamDoesNothing) {
  SetModel(1, false, NETWORK_GREEN);
  player.SetQuality(3, false);
  player.SetQuality(3, true);
  EXPECT_TRUE(Sent().empty());
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 1);
  EXPECT_EQ(CAppContext::Instance().autoQuality.load(), 0);
  EXPECT_TRUE(timers.Take().empty());
  EXPECT_TRUE(Posted().empty());
}

}  // namespace
}  // namespace zv
