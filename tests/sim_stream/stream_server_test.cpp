// The stream server end to end on loopback: librtmp and the ffmpeg CLI as players, the
// control node's announcements and input through the device bus, faults through the
// admin routes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "sim/phone/phone_screen.h"
#include "sim/stream/stream_module.h"
#include "tests/sim_stream/h264_test_decoder.h"
#include "tests/sim_stream/rtmp_test_player.h"
#include "tests/sim_stream/test_sim_context.h"

namespace zv::sim::test {
namespace {

constexpr const char* kSession = "S0123456789abcdef";

Json::Value Scenario() {
  Json::Value s;
  s["ports"]["rtmp"] = 0;
  s["stream"]["pingIntervalMs"] = 200;
  for (const char* pad :
       {"PAD-A", "PAD-B", "PAD-C", "PAD-D", "PAD-E", "PAD-F", "PAD-G", "PAD-H", "PAD-I", "PAD-J", "PAD-K"}) {
    Json::Value d;
    d["padCode"] = pad;
    d["videoUrl"] = "rtmp://127.0.0.1:{rtmp}/live/";
    s["devices"].append(d);
  }
  Json::Value big;
  big["padCode"] = "PAD-BIG";
  big["screen"]["width"] = 720;
  big["screen"]["height"] = 1280;
  s["devices"].append(big);
  return s;
}

bool IsMarker(const Yuv& p) {
  const phone::YuvColor m = phone::PointerColor();
  return std::abs(p.y - m.y) <= 24 && std::abs(p.u - m.u) <= 24 && std::abs(p.v - m.v) <= 24;
}

class StreamServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_context = new CTestSimContext(Scenario());
    s_module = CreateStreamModule().release();
    std::string error;
    ASSERT_TRUE(s_context->StartModule(*s_module, error)) << error;
    s_context->SetSessionLive(kSession, true);
  }
  static void TearDownTestSuite() {
    s_context->RunOnLoop([] { delete s_module; });
    s_module = nullptr;
    delete s_context;
    s_context = nullptr;
  }

  static void Announce(const std::string& pad, int number, const std::string& session = kSession) {
    s_context->RunOnLoop([&] { s_context->bus.onStreamReady(pad, session, number); });
  }
  static std::string Url(const std::string& pad, int number, const std::string& session = kSession) {
    return "rtmp://127.0.0.1:" + std::to_string(s_context->Port("rtmp")) + "/live/" + session + "-" + pad +
           "-" + std::to_string(number);
  }
  // Reads video until a picture decodes; false when the stream ends first.
  static bool NextPicture(CRtmpTestPlayer& player, CH264TestDecoder& decoder, PlayerMessage* tag = nullptr) {
    PlayerMessage m;
    for (int i = 0; i < 300; ++i) {
      if (!player.ReadVideo(m)) return false;
      if (m.body.size() > 9 && m.body[1] == 1 && decoder.Decode(m.body.data() + 9, m.body.size() - 9)) {
        if (tag) *tag = m;
        return true;
      }
    }
    return false;
  }

  static CTestSimContext* s_context;
  static ISimModule* s_module;
};

CTestSimContext* StreamServerTest::s_context = nullptr;
ISimModule* StreamServerTest::s_module = nullptr;

TEST_F(StreamServerTest, PlaysTheAnnouncedStreamInThePlatformsTagForm) {
  Announce("PAD-A", 7);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-A", 7)));

  // First the sequence header: version 1, 4-byte lengths, one SPS, one PPS.
  PlayerMessage header;
  ASSERT_TRUE(player.ReadVideo(header));
  const auto& h = header.body;
  ASSERT_GE(h.size(), 16u);
  EXPECT_EQ(h[0], 0x17);
  EXPECT_EQ(h[1], 0);
  EXPECT_EQ(h[5], 1);
  EXPECT_EQ(h[9], 0xFF);
  EXPECT_EQ(h[10], 0xE1);
  const size_t spsLength = (h[11] << 8) | h[12];
  ASSERT_GE(h.size(), 16 + spsLength);
  EXPECT_EQ(h[13] & 0x1F, 7);
  EXPECT_EQ(h[13 + spsLength], 1);
  const size_t ppsLength = (h[14 + spsLength] << 8) | h[15 + spsLength];
  EXPECT_EQ(h.size(), 16 + spsLength + ppsLength);
  EXPECT_EQ(h[16 + spsLength] & 0x1F, 8);
  EXPECT_LE(spsLength + ppsLength, 92u) << "the client's parameter-set prefix holds 100 bytes";

  // Then pictures: one length covering the whole Annex-B access unit; a keyframe first.
  CH264TestDecoder decoder;
  bool sawInter = false;
  int decoded = 0;
  for (int i = 0; i < 12; ++i) {
    PlayerMessage tag;
    ASSERT_TRUE(player.ReadVideo(tag));
    const auto& b = tag.body;
    ASSERT_GT(b.size(), 13u);
    EXPECT_EQ(b[0], i == 0 ? 0x17 : (b[0] == 0x17 ? 0x17 : 0x27));
    EXPECT_EQ(b[1], 1);
    const size_t n = (size_t{b[5]} << 24) | (b[6] << 16) | (b[7] << 8) | b[8];
    EXPECT_EQ(n, b.size() - 9);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 9, b.begin() + 13), (std::vector<uint8_t>{0, 0, 0, 1}));
    sawInter = sawInter || b[0] == 0x27;
    if (decoder.Decode(b.data() + 9, b.size() - 9)) ++decoded;
  }
  EXPECT_TRUE(sawInter);
  EXPECT_EQ(decoded, 12);
  EXPECT_EQ(decoder.Width(), 360);
  EXPECT_EQ(decoder.Height(), 640);
}

Json::Value PhoneOf(const Json::Value& log, const std::string& pad) {
  for (const Json::Value& p : log["phones"]) {
    if (p["padCode"].asString() == pad) return p;
  }
  return Json::Value();
}

TEST_F(StreamServerTest, EveryPlayerStartsAtAKeyframeAndThePhoneRunsOnlyWhileSomeonePlays) {
  Announce("PAD-J", 1);
  auto first = std::make_unique<CRtmpTestPlayer>();
  ASSERT_TRUE(first->Open(Url("PAD-J", 1)));
  CH264TestDecoder decoder;
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(NextPicture(*first, decoder));

  CRtmpTestPlayer second;
  ASSERT_TRUE(second.Open(Url("PAD-J", 1)));
  PlayerMessage m;
  ASSERT_TRUE(second.ReadVideo(m));
  EXPECT_EQ(m.body[1], 0) << "a sequence header first";
  ASSERT_TRUE(second.ReadVideo(m));
  EXPECT_EQ(m.body[0], 0x17) << "then a keyframe";
  CH264TestDecoder secondDecoder;
  EXPECT_TRUE(secondDecoder.Decode(m.body.data() + 9, m.body.size() - 9));
  EXPECT_EQ(PhoneOf(s_context->Admin("stream/log"), "PAD-J")["players"].asInt(), 2);

  first.reset();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(NextPicture(second, secondDecoder));
  Json::Value phone;
  for (int i = 0; i < 200; ++i) {
    phone = PhoneOf(s_context->Admin("stream/log"), "PAD-J");
    if (phone["players"].asInt() == 1) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(phone["players"].asInt(), 1);
  EXPECT_TRUE(phone["running"].asBool());
}

TEST_F(StreamServerTest, ThePhoneStopsWhenTheLastPlayerLeaves) {
  Announce("PAD-K", 1);
  {
    CRtmpTestPlayer player;
    ASSERT_TRUE(player.Open(Url("PAD-K", 1)));
    PlayerMessage m;
    ASSERT_TRUE(player.ReadVideo(m));
    EXPECT_TRUE(PhoneOf(s_context->Admin("stream/log"), "PAD-K")["running"].asBool());
  }
  Json::Value phone;
  for (int i = 0; i < 200; ++i) {
    phone = PhoneOf(s_context->Admin("stream/log"), "PAD-K");
    if (!phone["running"].asBool()) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(phone["running"].asBool());
  EXPECT_EQ(phone["players"].asInt(), 0);
}

TEST_F(StreamServerTest, RefusesNamesThatAreNotALiveAnnouncedStream) {
  Announce("PAD-B", 3);
  Announce("PAD-GONE", 3);
  Announce("PAD-C", 4, "expired-session");
  struct Case {
    const char* what;
    std::string url;
  } cases[] = {
      {"another stream number", Url("PAD-B", 4)},
      {"another session", Url("PAD-B", 3, "S-other")},
      {"a device that was never announced", Url("PAD-D", 3)},
      {"a device that is not in the scenario", Url("PAD-GONE", 3)},
      {"a session that is not live", Url("PAD-C", 4, "expired-session")},
  };
  for (const Case& c : cases) {
    CRtmpTestPlayer player;
    EXPECT_FALSE(player.Open(c.url)) << c.what;
  }
  const Json::Value log = s_context->Admin("stream/log");
  int refused = 0;
  for (const Json::Value& play : log["plays"]) {
    for (const Case& c : cases) {
      if (!play["accepted"].asBool() && c.url.ends_with("/" + play["name"].asString())) ++refused;
    }
  }
  EXPECT_EQ(refused, 5);
  CRtmpTestPlayer good;
  EXPECT_TRUE(good.Open(Url("PAD-B", 3)));
}

TEST_F(StreamServerTest, LogsTheAutoQualityFlagBodies) {
  Announce("PAD-C", 1);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-C", 1)));
  ASSERT_TRUE(player.SendAutoQualityFlag(true));
  ASSERT_TRUE(player.SendAutoQualityFlag(false));
  Json::Value flags;
  for (int i = 0; i < 100 && flags.size() < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    flags = s_context->Admin("stream/log")["autoQualityFlags"];
  }
  ASSERT_EQ(flags.size(), 2u);
  const std::string id = "0000000" + std::to_string(player.StreamId());
  EXPECT_EQ(flags[0]["hex"].asString(), "001f" + id + "00000001");
  EXPECT_EQ(flags[0]["streamId"].asInt(), player.StreamId());
  EXPECT_EQ(flags[0]["flag"].asInt(), 1);
  EXPECT_EQ(flags[1]["flag"].asInt(), 0);
  EXPECT_TRUE(s_context->Admin("stream/log/clear")["ok"].asBool());
  EXPECT_EQ(s_context->Admin("stream/log")["autoQualityFlags"].size(), 0u);
}

TEST_F(StreamServerTest, PointerShowsAsTheMarkerDiscInTheNextPictures) {
  Announce("PAD-D", 1);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-D", 1)));
  CH264TestDecoder decoder;
  ASSERT_TRUE(NextPicture(player, decoder));
  EXPECT_FALSE(IsMarker(decoder.At(100, 300)));

  for (auto [x, y] : {std::pair{100, 300}, std::pair{250, 500}}) {
    s_context->RunOnLoop([&] { s_context->bus.onPointer("PAD-D", 1, x, y); });
    bool shown = false;
    for (int i = 0; i < 20 && !shown; ++i) {
      ASSERT_TRUE(NextPicture(player, decoder));
      shown = IsMarker(decoder.At(x, y)) && IsMarker(decoder.At(x - 1, y - 1)) &&
              IsMarker(decoder.At(x - 5, y)) && IsMarker(decoder.At(x + 4, y));
    }
    EXPECT_TRUE(shown) << x << "," << y;
    EXPECT_FALSE(IsMarker(decoder.At(x - 9, y)));
    EXPECT_FALSE(IsMarker(decoder.At(x, y + 9)));
  }
  EXPECT_FALSE(IsMarker(decoder.At(100, 300)));
}

TEST_F(StreamServerTest, QualityChangeRestartsTheEncoderWithANewSequenceHeader) {
  Announce("PAD-E", 1);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-E", 1)));
  CH264TestDecoder decoder;
  ASSERT_TRUE(NextPicture(player, decoder));
  s_context->RunOnLoop([] { s_context->bus.onQuality("PAD-E", 4); });

  PlayerMessage m;
  bool header = false;
  for (int i = 0; i < 200 && !header; ++i) {
    ASSERT_TRUE(player.ReadVideo(m));
    header = m.body.size() > 2 && m.body[0] == 0x17 && m.body[1] == 0;
  }
  ASSERT_TRUE(header);
  ASSERT_TRUE(player.ReadVideo(m));
  EXPECT_EQ(m.body[0], 0x17) << "the new encoder starts with a keyframe";
  EXPECT_TRUE(decoder.Decode(m.body.data() + 9, m.body.size() - 9));

  // Ultra-fast runs at 15 pictures a second: 66 ms apart, never closer than HD's 33.
  uint32_t first = m.timestamp, last = m.timestamp;
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(player.ReadVideo(m));
    last = m.timestamp;
  }
  EXPECT_GE((last - first) / 10, 55u);
}

TEST_F(StreamServerTest, PingsThePlayersAndCountsTheirAnswers) {
  Announce("PAD-F", 2);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-F", 2)));
  bool pinged = false;
  PlayerMessage m;
  for (int i = 0; i < 1000 && !pinged; ++i) {
    ASSERT_EQ(player.Read(m), ReadResult::kMessage);
    pinged = m.type == 4 && m.body.size() == 6 && m.body[0] == 0 && m.body[1] == 6;
  }
  ASSERT_TRUE(pinged);
  int answers = 0;
  for (int i = 0; i < 100 && answers == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const Json::Value log = s_context->Admin("stream/log");
    for (const Json::Value& c : log["connections"]) {
      if (c["open"].asBool()) answers = std::max(answers, c["pingResponses"].asInt());
    }
  }
  EXPECT_GE(answers, 1) << "librtmp answers the ping request";
}

TEST_F(StreamServerTest, StatusRouteReachesThePlayer) {
  Announce("PAD-F", 1);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-F", 1)));
  Json::Value body;
  body["code"] = "NetStream.DataDroped.Notify";
  const Json::Value answer = s_context->Admin("stream/status", body);
  EXPECT_TRUE(answer["ok"].asBool());
  EXPECT_GE(answer["players"].asInt(), 1);
  EXPECT_FALSE(s_context->Admin("stream/status")["ok"].asBool()) << "a code is required";

  bool seen = false;
  PlayerMessage m;
  for (int i = 0; i < 500 && !seen; ++i) {
    ASSERT_EQ(player.Read(m), ReadResult::kMessage);
    seen = CRtmpTestPlayer::StatusCode(m) == "NetStream.DataDroped.Notify";
  }
  EXPECT_TRUE(seen);
}

TEST_F(StreamServerTest, StallStopsInTheMiddleOfAMessage) {
  Announce("PAD-G", 1);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-G", 1)));
  PlayerMessage m;
  ASSERT_TRUE(player.ReadVideo(m));
  Json::Value body;
  body["padCode"] = "PAD-G";
  EXPECT_EQ(s_context->Admin("stream/stall", body)["players"].asInt(), 1);
  ReadResult r = ReadResult::kMessage;
  for (int i = 0; i < 500 && r == ReadResult::kMessage; ++i) r = player.Read(m);
  EXPECT_EQ(r, ReadResult::kIncomplete);
}

TEST_F(StreamServerTest, PauseHoldsMessagesAndResumesAtAKeyframe) {
  Announce("PAD-H", 1);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-H", 1)));
  PlayerMessage m;
  ASSERT_TRUE(player.ReadVideo(m));
  Json::Value body;
  body["ms"] = 3500;
  EXPECT_EQ(s_context->Admin("stream/pause", body)["players"].asInt(), 1);
  EXPECT_FALSE(s_context->Admin("stream/pause")["ok"].asBool());

  // Whatever was on its way arrives; then the player's 3-second read times out between
  // messages, and the stream resumes with a keyframe on the same connection.
  bool timedOut = false;
  ReadResult r = ReadResult::kMessage;
  for (int i = 0; i < 500 && !timedOut; ++i) {
    r = player.Read(m);
    ASSERT_NE(r, ReadResult::kClosed);
    ASSERT_NE(r, ReadResult::kIncomplete);
    timedOut = r == ReadResult::kNothing;
  }
  EXPECT_TRUE(timedOut);
  ASSERT_TRUE(player.ReadVideo(m));
  EXPECT_EQ(m.body[0], 0x17);
  EXPECT_TRUE(player.Connected());
}

TEST_F(StreamServerTest, EndClosesTheConnectionAndTheNameStaysPlayable) {
  Announce("PAD-I", 2);
  {
    CRtmpTestPlayer player;
    ASSERT_TRUE(player.Open(Url("PAD-I", 2)));
    PlayerMessage m;
    ASSERT_TRUE(player.ReadVideo(m));
    Json::Value body;
    body["padCode"] = "PAD-I";
    EXPECT_EQ(s_context->Admin("stream/end", body)["players"].asInt(), 1);
    ReadResult r = ReadResult::kMessage;
    for (int i = 0; i < 1000 && r != ReadResult::kClosed; ++i) r = player.Read(m);
    EXPECT_EQ(r, ReadResult::kClosed);
  }
  // The client's restart opens the same URL again.
  CRtmpTestPlayer again;
  ASSERT_TRUE(again.Open(Url("PAD-I", 2)));
  PlayerMessage m;
  ASSERT_TRUE(again.ReadVideo(m));

  // The end of the device's control session ends the stream for good.
  s_context->RunOnLoop([] { s_context->bus.onControlClosed("PAD-I"); });
  ReadResult r = ReadResult::kMessage;
  for (int i = 0; i < 1000 && r != ReadResult::kClosed; ++i) r = again.Read(m);
  EXPECT_EQ(r, ReadResult::kClosed);
  CRtmpTestPlayer refused;
  EXPECT_FALSE(refused.Open(Url("PAD-I", 2)));
}

TEST_F(StreamServerTest, ResetClosesThePlayersAndForgetsTheAnnouncements) {
  Announce("PAD-A", 9);
  CRtmpTestPlayer player;
  ASSERT_TRUE(player.Open(Url("PAD-A", 9)));
  PlayerMessage m;
  ASSERT_TRUE(player.ReadVideo(m));
  s_context->Reset();
  ReadResult r = ReadResult::kMessage;
  for (int i = 0; i < 1000 && r != ReadResult::kClosed; ++i) r = player.Read(m);
  EXPECT_EQ(r, ReadResult::kClosed);
  EXPECT_EQ(s_context->Admin("stream/log")["phones"].size(), 0u);
  CRtmpTestPlayer refused;
  EXPECT_FALSE(refused.Open(Url("PAD-A", 9)));
  Announce("PAD-A", 9);
  CRtmpTestPlayer again;
  EXPECT_TRUE(again.Open(Url("PAD-A", 9)));
}

// The ffmpeg CLI as a player: 30 pictures of the device's size decode.
TEST_F(StreamServerTest, FfmpegDecodesThePictures) {
  struct Case {
    const char* pad;
    int width, height;
  } cases[] = {{"PAD-A", 360, 640}, {"PAD-BIG", 720, 1280}};
  for (const Case& c : cases) {
    Announce(c.pad, 5);
    const auto out = std::filesystem::temp_directory_path() /
                     ("zv-sim-stream-" + std::to_string(::getpid()) + "-" + c.pad + ".gray");
    const std::string command =
        "timeout 60 ffmpeg -nostdin -hide_banner -loglevel error -rw_timeout 10000000 -i '" + Url(c.pad, 5) +
        "' -frames:v 30 -f rawvideo -pix_fmt gray -y '" + out.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::error_code ec;
    EXPECT_EQ(std::filesystem::file_size(out, ec), static_cast<uintmax_t>(30 * c.width * c.height)) << c.pad;
    std::filesystem::remove(out, ec);
  }
}

}  // namespace
}  // namespace zv::sim::test
