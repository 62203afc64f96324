// The simulated phone: its drawing, its screen, the quality table, the encoder and the
// phone's own thread.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "sim/phone/h264_encoder.h"
#include "sim/phone/phone_screen.h"
#include "sim/phone/quality_profile.h"
#include "sim/phone/sim_phone.h"
#include "sim/stream/flv_avc.h"
#include "tests/sim_stream/h264_test_decoder.h"

namespace zv::sim::phone {
namespace {

bool Near(YuvColor a, YuvColor b, int tolerance) {
  return std::abs(a.y - b.y) <= tolerance && std::abs(a.u - b.u) <= tolerance &&
         std::abs(a.v - b.v) <= tolerance;
}

int MarkerPixels(const CYuvCanvas& canvas) {
  int count = 0;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) count += Near(canvas.At(x, y), PointerColor(), 40) ? 1 : 0;
  }
  return count;
}

TEST(YuvCanvasTest, DiscIsTwelvePixelsAcrossAroundThePoint) {
  CYuvCanvas canvas(360, 640);
  canvas.FillDisc(100, 300, kPointerDiameter, PointerColor());
  for (int row : {299, 300}) {
    for (int x = 90; x < 110; ++x) {
      EXPECT_EQ(Near(canvas.At(x, row), PointerColor(), 0), x >= 94 && x <= 105) << x << "," << row;
    }
  }
  const int pixels = MarkerPixels(canvas);
  EXPECT_GE(pixels, 100);  // pi * 6 * 6 = 113
  EXPECT_LE(pixels, 130);
}

TEST(YuvCanvasTest, DrawingIsClippedToThePicture) {
  CYuvCanvas canvas(33, 17);  // rounded up to even sizes
  EXPECT_EQ(canvas.Width(), 34);
  EXPECT_EQ(canvas.Height(), 18);
  const YuvColor white = YuvColor::FromRgb(255, 255, 255);
  canvas.FillRect(-10, -10, 100, 100, white);
  canvas.FillDisc(-3, 40, 12, PointerColor());
  canvas.DrawText(30, 10, "CLIPPED 123", 3, PointerColor());
  EXPECT_TRUE(Near(canvas.At(0, 0), white, 0));
  EXPECT_EQ(white.y, 235);
  EXPECT_EQ(white.u, 128);
}

TEST(PhoneScreenTest, MarkerColourAppearsOnlyWhereThePointerIs) {
  for (auto [w, h] : {std::pair{360, 640}, std::pair{720, 1280}, std::pair{1920, 1080}}) {
    CYuvCanvas canvas(w, h);
    PhoneScreenState state;
    state.clock = "23:59:59";
    state.hasKey = true;
    state.keyCode = kKeyCodeBack;
    RenderPhoneScreen(state, canvas);
    EXPECT_EQ(MarkerPixels(canvas), 0) << w << "x" << h;
    state.hasPointer = true;
    state.pointerX = w / 3;
    state.pointerY = h / 2;
    RenderPhoneScreen(state, canvas);
    EXPECT_GE(MarkerPixels(canvas), 100) << w << "x" << h;
    EXPECT_TRUE(Near(canvas.At(w / 3, h / 2), PointerColor(), 0));
  }
}

TEST(PhoneScreenTest, InfoLinesShowPointerKeyAndQuality) {
  PhoneScreenState s;
  EXPECT_EQ(PointerLine(s), "PTR NONE");
  EXPECT_EQ(KeyLine(s), "KEY NONE");
  EXPECT_EQ(QualityLine(s), "Q1 HD 2500K 30FPS");
  s.hasPointer = true;
  s.pointerAction = 3;
  s.pointerX = -3;
  s.pointerY = 5;
  s.hasKey = true;
  s.keyCode = 158;
  s.keyDown = false;
  s.quality = 3;
  EXPECT_EQ(PointerLine(s), "PTR MOVE -3,5");
  EXPECT_EQ(KeyLine(s), "KEY 158 BACK UP");
  EXPECT_EQ(QualityLine(s), "Q3 FAST 600K 20FPS");
  s.keyCode = 24;
  s.keyDown = true;
  EXPECT_EQ(KeyLine(s), "KEY 24 DOWN");
}

TEST(QualityProfileTest, BitrateAndFrameRateFollowTheLevel) {
  struct Case {
    int value, bitrate, fps;
  } cases[] = {{1, 2'500'000, 30}, {2, 1'200'000, 25}, {3, 600'000, 20},
               {4, 300'000, 15},   {0, 2'500'000, 30}, {5, 2'500'000, 30}};
  for (const Case& c : cases) {
    EXPECT_EQ(ProfileFor(c.value).bitrate, c.bitrate) << c.value;
    EXPECT_EQ(ProfileFor(c.value).fps, c.fps) << c.value;
    EXPECT_EQ(IsQualityValue(c.value), c.value >= 1 && c.value <= 4);
  }
}

TEST(H264EncoderTest, EncodesTheDeviceSizesUnscaled) {
  // 1080 lines are coded as 68 macroblock rows (1088) and cropped back.
  for (auto [w, h] : {std::pair{360, 640}, std::pair{1920, 1080}}) {
    CYuvCanvas canvas(w, h);
    RenderPhoneScreen(PhoneScreenState{}, canvas);
    CH264Encoder encoder;
    std::string error;
    ASSERT_TRUE(encoder.Open(w, h, ProfileFor(4), error)) << error;
    std::vector<EncodedUnit> units;
    ASSERT_TRUE(encoder.Encode(canvas, false, units, error)) << error;
    ASSERT_EQ(units.size(), 1u);
    test::CH264TestDecoder decoder;
    ASSERT_TRUE(decoder.Decode(units[0].data.data(), units[0].data.size()));
    EXPECT_EQ(decoder.Width(), w);
    EXPECT_EQ(decoder.Height(), h);
  }
}

TEST(H264EncoderTest, KeyframeCarriesParameterSetsAndDecodesWithTheDot) {
  CYuvCanvas canvas(720, 1280);
  PhoneScreenState state;
  state.clock = "08:00:00";
  state.hasPointer = true;
  state.pointerX = 200;
  state.pointerY = 100;
  RenderPhoneScreen(state, canvas);
  CH264Encoder encoder;
  std::string error;
  ASSERT_TRUE(encoder.Open(canvas.Width(), canvas.Height(), ProfileFor(1), error)) << error;
  std::vector<EncodedUnit> units;
  ASSERT_TRUE(encoder.Encode(canvas, false, units, error)) << error;
  ASSERT_TRUE(encoder.Encode(canvas, false, units, error)) << error;
  ASSERT_TRUE(encoder.Encode(canvas, true, units, error)) << error;
  ASSERT_EQ(units.size(), 3u) << "zero latency: one access unit per picture";
  EXPECT_TRUE(units[0].keyframe);
  EXPECT_FALSE(units[1].keyframe);
  EXPECT_TRUE(units[2].keyframe) << "a forced keyframe";
  EXPECT_EQ(std::vector<uint8_t>(units[0].data.begin(), units[0].data.begin() + 4),
            (std::vector<uint8_t>{0, 0, 0, 1}));
  rtmp::ParameterSets sets;
  EXPECT_TRUE(rtmp::FindParameterSets(units[0].data.data(), units[0].data.size(), sets));
  EXPECT_TRUE(rtmp::FindParameterSets(units[2].data.data(), units[2].data.size(), sets)) << "headers repeat";

  test::CH264TestDecoder decoder;
  ASSERT_TRUE(decoder.Decode(units[0].data.data(), units[0].data.size()));
  EXPECT_EQ(decoder.Width(), 720);
  EXPECT_EQ(decoder.Height(), 1280);
  const test::Yuv p = decoder.At(200, 100);
  EXPECT_TRUE(Near({uint8_t(p.y), uint8_t(p.u), uint8_t(p.v)}, PointerColor(), 24));
}

class PictureRecorder {
 public:
  PictureSink Sink() {
    return [this](PhonePicture&& p) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_pictures.push_back(std::move(p));
    };
  }
  std::vector<PhonePicture> Pictures() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pictures;
  }
  // Waits (generously) until pred holds for the pictures so far.
  bool WaitFor(const std::function<bool(const std::vector<PhonePicture>&)>& pred) {
    for (int i = 0; i < 1000; ++i) {
      if (pred(Pictures())) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

 private:
  std::mutex m_mutex;
  std::vector<PhonePicture> m_pictures;
};

TEST(SimPhoneTest, StreamsWhileStartedAndRestartsTheEncoderOnAQualityChange) {
  PictureRecorder recorder;
  CSimPhone phone(360, 640, recorder.Sink());
  phone.Start();
  ASSERT_TRUE(recorder.WaitFor([](const auto& p) { return p.size() >= 3; }));
  std::vector<PhonePicture> first = recorder.Pictures();
  EXPECT_TRUE(first[0].keyframe);
  EXPECT_EQ(first[0].width, 360);
  EXPECT_EQ(first[0].height, 640);
  const uint32_t generation = first[0].generation;

  phone.SetQuality(9);  // not a level: ignored
  phone.SetQuality(2);
  EXPECT_EQ(phone.Quality(), 2);
  ASSERT_TRUE(recorder.WaitFor([&](const auto& p) { return p.back().generation != generation; }));
  for (const PhonePicture& p : recorder.Pictures()) {
    if (p.generation != generation) {
      EXPECT_TRUE(p.keyframe) << "the new encoder starts with a keyframe";
      EXPECT_EQ(p.quality, 2);
      break;
    }
  }

  phone.Stop();
  EXPECT_FALSE(phone.Running());
  const size_t stopped = recorder.Pictures().size();
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_EQ(recorder.Pictures().size(), stopped) << "no rendering while nobody plays";

  // A restart begins with a keyframe again.
  phone.Start();
  ASSERT_TRUE(recorder.WaitFor([&](const auto& p) { return p.size() > stopped; }));
  EXPECT_TRUE(recorder.Pictures()[stopped].keyframe);
  phone.Stop();
}

}  // namespace
}  // namespace zv::sim::phone
