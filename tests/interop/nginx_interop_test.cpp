#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "api/app_context.h"
#include "app/events.h"
#include "player/stream_player.h"
#include "player/video_frame.h"
#include "tests/interop/nginx_rtmp.h"
#include "tests/player/quality_fixture.h"

namespace zv {
namespace {

using namespace std::chrono_literals;

constexpr int kPublishedFrames = 300;
constexpr size_t kFrameBytes = size_t{720} * 1280 * 4;

// Hashes of the recorded stream's pictures, decoded by the ffmpeg tool, rows taken from
// the bottom up as the player hands them on.
std::vector<uint64_t> ReferenceHashes(const std::string& flv) {
  std::vector<uint64_t> hashes;
  std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -i '" + flv + "' -f rawvideo -pix_fmt bgra -";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return hashes;
  std::vector<uint8_t> picture(kFrameBytes);
  std::vector<uint8_t> flipped(kFrameBytes);
  const size_t stride = 720 * 4;
  while (fread(picture.data(), 1, kFrameBytes, pipe) == kFrameBytes) {
    for (size_t row = 0; row < 1280; ++row) {
      std::copy_n(picture.data() + row * stride, stride, flipped.data() + (1279 - row) * stride);
    }
    hashes.push_back(test::HashBytes(flipped.data(), flipped.size()));
  }
  pclose(pipe);
  return hashes;
}

class NginxInteropTest : public test::QualityFixture {
 protected:
  static void SetUpTestSuite() {
    s_server = new test::NginxRtmp();
    ASSERT_TRUE(s_server->Start()) << s_server->Log();
  }
  static void TearDownTestSuite() {
    delete s_server;
    s_server = nullptr;
  }
  void SetUp() override {
    ASSERT_NE(s_server, nullptr);
    QualityFixture::SetUp();
    m_saved = CAppContext::Instance().padList;
    PadInfo pad;
    pad.padCode = "PADI";
    pad.videoUrl = s_server->LiveUrl();
    CAppContext::Instance().padList = {pad};
  }
  void TearDown() override {
    CAppContext::Instance().padList = m_saved;
    QualityFixture::TearDown();
  }
  static test::NginxRtmp* s_server;

 private:
  std::vector<PadInfo> m_saved;
};

test::NginxRtmp* NginxInteropTest::s_server = nullptr;

TEST_F(NginxInteropTest, PublishedPicturesReachTheFrameSinkPixelEqual) {
  std::mutex mutex;
  std::vector<uint64_t> received;
  std::vector<std::pair<uintptr_t, intptr_t>> sizes;
  window.SetHandler([&](const test::RecordedEvent& e) -> intptr_t {
    std::lock_guard<std::mutex> lock(mutex);
    if (e.message == UWM_VIDEO_FRAME && e.sent) {
      const auto* frame = reinterpret_cast<const VideoFrame*>(e.wParam);
      received.push_back(test::HashBytes(frame->pixels, static_cast<size_t>(frame->size)));
    } else if (e.message == UWM_VIDEO_SIZE) {
      sizes.push_back({e.wParam, e.lParam});
    }
    return 0;
  });
  // Red before the stream, so the first network sample of a healthy stream reports green.
  SetModel(1, false, NETWORK_RED);
  CStreamPlayer& player = CStreamPlayer::Instance();
  player.SetQualitySender(Sender());
  ASSERT_EQ(player.Open("sess", "PADI", 7, true), 0);
  EXPECT_EQ(player.StreamUrl(), s_server->LiveUrl() + "sess-PADI-7");
  ASSERT_EQ(player.Start(), 0);

  test::Publisher publisher;
  ASSERT_TRUE(publisher.Start(player.StreamUrl(), kPublishedFrames));
  EXPECT_TRUE(publisher.Wait());
  // Until the last pictures have come through: nothing new for two seconds. A slow
  // (sanitizer) build drains the server's queue well after the publisher has finished.
  size_t count = 0;
  auto lastChange = std::chrono::steady_clock::now();
  for (int i = 0; i < 900 && std::chrono::steady_clock::now() - lastChange < 2s; ++i) {
    std::this_thread::sleep_for(100ms);
    std::lock_guard<std::mutex> lock(mutex);
    if (received.size() != count) {
      count = received.size();
      lastChange = std::chrono::steady_clock::now();
    }
  }
  EXPECT_EQ(player.Stop(), 1);
  EXPECT_EQ(player.Stop(), 1);
  EXPECT_TRUE(player.WaitForReaders(10000));
  player.SetQualitySender(nullptr);

  std::vector<uint64_t> reference = ReferenceHashes(s_server->RecordedFile("sess-PADI-7"));
  ASSERT_EQ(reference.size(), static_cast<size_t>(kPublishedFrames));
  std::set<uint64_t> expected(reference.begin(), reference.end());
  std::set<uint64_t> matched;
  size_t unmatched = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    for (uint64_t hash : received) {
      if (expected.count(hash)) {
        matched.insert(hash);
      } else {
        ++unmatched;
      }
    }
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes[0], std::make_pair(uintptr_t{720}, intptr_t{1280}));
  }
  std::printf("pictures: %zu published, %zu received, %zu pixel-equal, %zu differing\n", reference.size(), received.size(),
              matched.size(), unmatched);
  EXPECT_GE(matched.size() * 100, reference.size() * 95);
  EXPECT_EQ(window.Count(UWM_STREAM_ENDED), 0u);
  EXPECT_GE(window.Count(UWM_NETWORK_LEVEL), 1u);  // the sample timer ran on the live stream
  EXPECT_EQ(CAppContext::Instance().networkLevel.load(), NETWORK_GREEN);
}

TEST_F(NginxInteropTest, SecondOpenWhileRunningIsRefusedAndStopKillsTimersOnce) {
  CStreamPlayer player(&timers);
  ASSERT_EQ(player.Open("idle", "PADI", 1, true), 0);
  ASSERT_EQ(player.Start(), 0);
  EXPECT_TRUE(player.IsRunning());
  EXPECT_EQ(timers.Take(), (std::vector<std::string>{"arm sample 5000"}));
  EXPECT_EQ(player.Open("other", "PADI", 2, true), STREAM_ERR_OPEN);
  EXPECT_EQ(player.StreamUrl(), s_server->LiveUrl() + "other-PADI-2");
  EXPECT_TRUE(player.IsRunning());
  player.SetQuality(0, false);  // reaches the reader's session from the window thread's side
  CAppContext::Instance().autoQuality.store(1);
  EXPECT_EQ(player.Stop(), 1);
  EXPECT_EQ(player.Stop(), 1);
  EXPECT_EQ(timers.Take(), (std::vector<std::string>{"kill auto", "kill sample"}));
  EXPECT_FALSE(player.IsRunning());
  EXPECT_TRUE(player.WaitForReaders(10000));
  EXPECT_EQ(window.Count(UWM_STREAM_ENDED), 0u);
  // Open after the reader has gone, with the stored URL.
  ASSERT_EQ(player.Open("", "", 0, false), 0);
  EXPECT_EQ(player.Start(), 0);
  EXPECT_EQ(player.Stop(), 1);
  EXPECT_TRUE(player.WaitForReaders(10000));
}

TEST(NginxAbnormalEndTest, ServerGoneEndsTheReaderWithStreamEnded) {
  test::NginxRtmp server;
  ASSERT_TRUE(server.Start()) << server.Log();
  test::RecordingWindow window;
  window.Attach();
  test::RecordingTimers timers;
  CAppContext::Instance().autoQuality.store(0);
  std::vector<PadInfo> saved = CAppContext::Instance().padList;
  PadInfo pad;
  pad.padCode = "PADE";
  pad.videoUrl = server.LiveUrl();
  CAppContext::Instance().padList = {pad};
  {
    CStreamPlayer player(&timers);
    ASSERT_EQ(player.Open("end", "PADE", 1, true), 0);
    ASSERT_EQ(player.Start(), 0);
    test::Publisher publisher;
    ASSERT_TRUE(publisher.Start(player.StreamUrl(), 300));
    EXPECT_TRUE(window.WaitForMessage(UWM_VIDEO_FRAME, 20s));
    server.Kill();
    EXPECT_TRUE(window.WaitForMessage(UWM_STREAM_ENDED, 10s));
    EXPECT_TRUE(player.WaitForReaders(10000));
    EXPECT_FALSE(player.IsRunning());
    std::vector<std::string> log = timers.Take();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), "kill sample");
    EXPECT_EQ(player.Stop(), 1);
    EXPECT_TRUE(timers.Take().empty());
  }
  CAppContext::Instance().padList = saved;
  EXPECT_EQ(window.Count(UWM_STREAM_ENDED), 1u);
}

}  // namespace
}  // namespace zv
