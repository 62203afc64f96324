// The stream player against zelvane-sim's stream server and its simulated phone, driven
// through the server's admin routes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "api/app_context.h"
#include "app/events.h"
#include "player/stream_player.h"
#include "player/video_frame.h"
#include "sim/stream/stream_module.h"
#include "tests/player/quality_fixture.h"
#include "tests/sim_stream/test_sim_context.h"

namespace zv {
namespace {

using namespace std::chrono_literals;

constexpr const char* kSession = "Splayer0123456789";
constexpr const char* kPad = "PAD-PLAY";

Json::Value Scenario() {
  Json::Value s;
  s["ports"]["rtmp"] = 0;
  Json::Value d;
  d["padCode"] = kPad;
  d["videoUrl"] = "rtmp://127.0.0.1:{rtmp}/live/";
  s["devices"].append(d);
  return s;
}

class StreamSimTest : public test::QualityFixture {
 protected:
  static void SetUpTestSuite() {
    s_context = new sim::test::CTestSimContext(Scenario());
    s_module = ::CreateStreamModule().release();
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
  void SetUp() override {
    ASSERT_NE(s_context, nullptr);
    QualityFixture::SetUp();
    m_saved = CAppContext::Instance().padList;
    PadInfo pad;
    pad.padCode = kPad;
    pad.videoUrl = "rtmp://127.0.0.1:" + std::to_string(s_context->Port("rtmp")) + "/live/";
    CAppContext::Instance().padList = {pad};
    s_context->Admin("stream/log/clear");
    m_number = ++s_streamNumber;
    s_context->RunOnLoop([this] { s_context->bus.onStreamReady(kPad, kSession, m_number); });
    player.SetQualitySender(Sender());
  }
  void TearDown() override {
    player.Stop();
    EXPECT_TRUE(player.WaitForReaders(10000));
    CAppContext::Instance().padList = m_saved;
    QualityFixture::TearDown();
  }
  // Opens and starts the stream and waits for its first picture.
  void Play() {
    ASSERT_EQ(player.Open(kSession, kPad, m_number, true), 0);
    ASSERT_EQ(player.Start(), 0);
    ASSERT_TRUE(window.WaitForMessage(UWM_VIDEO_FRAME, 15s));
  }
  size_t Frames() { return window.Count(UWM_VIDEO_FRAME); }
  Json::Value Flags() { return s_context->Admin("stream/log")["autoQualityFlags"]; }

  static sim::test::CTestSimContext* s_context;
  static sim::ISimModule* s_module;
  static int s_streamNumber;
  CStreamPlayer player{&timers};

 private:
  std::vector<PadInfo> m_saved;
  int m_number = 0;
};

sim::test::CTestSimContext* StreamSimTest::s_context = nullptr;
sim::ISimModule* StreamSimTest::s_module = nullptr;
int StreamSimTest::s_streamNumber = 0;

TEST_F(StreamSimTest, PlatformFormPicturesAndTheAutoQualityBodies) {
  SetModel(1, true, NETWORK_GREEN);
  Play();
  std::vector<test::RecordedEvent> events = window.Events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events[0].message, UWM_VIDEO_SIZE);
  EXPECT_EQ(events[0].wParam, 368u);  // 360 columns are coded as 23 macroblocks
  EXPECT_EQ(events[0].lParam, 640);

  CAppContext::Instance().autoQuality.store(0);
  player.SetQuality(2, false);  // the reader sends the flag after its current packet
  Json::Value flags;
  for (int i = 0; i < 50; ++i) {
    flags = Flags();
    if (flags.size() >= 2) break;
    std::this_thread::sleep_for(100ms);
  }
  ASSERT_EQ(flags.size(), 2u);
  uint32_t streamId = flags[0]["streamId"].asUInt();
  char expected[32];
  std::snprintf(expected, sizeof expected, "001f%08x00000001", streamId);
  EXPECT_EQ(flags[0]["hex"].asString(), expected);
  EXPECT_EQ(flags[0]["size"].asUInt(), 10u);
  EXPECT_EQ(flags[1]["flag"].asUInt(), 0u);
  EXPECT_EQ(flags[1]["streamId"].asUInt(), streamId);
  EXPECT_EQ(Sent(), (std::vector<int32_t>{2}));
}

TEST_F(StreamSimTest, EndedStreamPostsStreamEnded) {
  SetModel(1, false, NETWORK_GREEN);
  Play();
  s_context->Admin("stream/end");
  EXPECT_TRUE(window.WaitForMessage(UWM_STREAM_ENDED, 10s));
  EXPECT_TRUE(player.WaitForReaders(10000));
  EXPECT_FALSE(player.IsRunning());
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 1);
  EXPECT_EQ(window.Count(UWM_STREAM_ENDED), 1u);
}

TEST_F(StreamSimTest, StallInsideAMessageEndsTheReaderWithOneStepDown) {
  SetModel(1, true, NETWORK_GREEN);
  Play();
  s_context->Admin("stream/stall");
  EXPECT_TRUE(window.WaitForMessage(UWM_STREAM_ENDED, 15s));
  EXPECT_TRUE(player.WaitForReaders(10000));
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 2);
  EXPECT_EQ(Sent(), (std::vector<int32_t>{2}));
  EXPECT_EQ(window.Count(UWM_QUALITY_CHANGED), 1u);
}

TEST_F(StreamSimTest, PauseBetweenMessagesLongerThanTheTimeoutKeepsTheReader) {
  SetModel(1, true, NETWORK_GREEN);
  Play();
  Json::Value body;
  body["ms"] = 4500;
  s_context->Admin("stream/pause", body);
  std::this_thread::sleep_for(500ms);
  size_t before = Frames();
  std::this_thread::sleep_for(5500ms);
  EXPECT_TRUE(player.IsRunning());
  EXPECT_EQ(window.Count(UWM_STREAM_ENDED), 0u);
  EXPECT_TRUE(window.WaitFor(
      [&](const std::vector<test::RecordedEvent>& events) {
        size_t frames = 0;
        for (const test::RecordedEvent& e : events) frames += e.message == UWM_VIDEO_FRAME;
        return frames > before + 5;
      },
      10s));
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 1);
}

TEST_F(StreamSimTest, DataDroppedNoticeStepsDownOnlyInAutomaticMode) {
  SetModel(1, false, NETWORK_GREEN);
  Play();
  Json::Value body;
  body["code"] = "NetStream.DataDroped.Notify";
  s_context->Admin("stream/status", body);
  std::this_thread::sleep_for(1s);
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 1);
  EXPECT_TRUE(player.IsRunning());

  CAppContext::Instance().autoQuality.store(1);
  s_context->Admin("stream/status", body);
  EXPECT_TRUE(window.WaitForMessage(UWM_QUALITY_CHANGED, 10s));
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 2);
  EXPECT_TRUE(player.IsRunning());
}

}  // namespace
}  // namespace zv
