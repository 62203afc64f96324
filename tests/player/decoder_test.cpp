#include <gtest/gtest.h>

extern "C" {
#include <libavutil/frame.h>
}

#include <cstring>

#include "player/flv_reader.h"
#include "player/frame_converter.h"
#include "player/video_decoder.h"
#include "player/video_tag_parser.h"
#include "tests/player/media_tools.h"

namespace zv {
namespace {

using test::CapturedFrame;

constexpr int kWidth = 720;
constexpr int kHeight = 1280;
constexpr int kFrames = 8;
constexpr size_t kFrameBytes = size_t{kWidth} * kHeight * 4;

class NullTagEvents : public ITagEvents {
 public:
  void OnSequenceHeader() override {}
  void OnVideoSize(int32_t width, int32_t height) override {
    if (converter) converter->SetOutputSize(width, height);
  }
  void OnVideoPacket() override {}
  CFrameConverter* converter = nullptr;
};

class RecordingDecodeEvents : public IDecodeEvents {
 public:
  bool RequestLowerQuality() override {
    ++stepRequests;
    return stepChanges;
  }
  void OnLowBandwidth() override { ++warnings; }
  bool stepChanges = false;
  int stepRequests = 0;
  int warnings = 0;
};

// One reader's pipeline with a capturing frame sink.
struct Pipeline {
  Pipeline() { tagEvents.converter = &converter; }
  void Play(const std::vector<FlvTag>& tags) {
    for (const FlvTag& tag : tags) {
      if (tag.type == 9) parser.ParseVideoTag(tag.body.data(), static_cast<uint32_t>(tag.body.size()), tag.timestamp);
    }
  }
  test::CapturingFrameSink frames;
  CFrameConverter converter{frames};
  RecordingDecodeEvents decodeEvents;
  CVideoDecoder decoder{converter, decodeEvents};
  NullTagEvents tagEvents;
  CVideoTagParser parser{tagEvents, decoder};
};

// The platform's server form of a tag: the units in Annex-B behind one length.
FlvTag ToPlatformForm(const FlvTag& tag) {
  if (tag.type != 9 || tag.body.size() < 5 || tag.body[1] != 1) return tag;
  FlvTag out = tag;
  out.body.assign(tag.body.begin(), tag.body.begin() + 5);
  std::vector<uint8_t> annexB;
  size_t offset = 5;
  while (offset + 4 <= tag.body.size()) {
    uint32_t length = (uint32_t{tag.body[offset]} << 24) | (uint32_t{tag.body[offset + 1]} << 16) |
                      (uint32_t{tag.body[offset + 2]} << 8) | tag.body[offset + 3];
    offset += 4;
    annexB.insert(annexB.end(), {0, 0, 0, 1});
    annexB.insert(annexB.end(), tag.body.begin() + offset, tag.body.begin() + offset + length);
    offset += length;
  }
  for (int shift = 24; shift >= 0; shift -= 8) out.body.push_back(static_cast<uint8_t>(annexB.size() >> shift));
  out.body.insert(out.body.end(), annexB.begin(), annexB.end());
  return out;
}

class DecoderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new test::TempDir();
    s_tags = new std::vector<FlvTag>();
    s_reference = new std::vector<uint8_t>();
    // Several slices per picture, as the platform's low-latency encoder writes them.
    std::string clip = s_dir->File("clip.flv");
    ASSERT_TRUE(test::MakeFlvClip(clip, kWidth, kHeight, kFrames, "-tune zerolatency -x264-params slices=4"));
    ASSERT_TRUE(ReadFlvFile(clip, *s_tags));
    ASSERT_TRUE(test::DecodeToBgra(clip, *s_reference));
    ASSERT_EQ(s_reference->size(), kFrameBytes * kFrames);
  }
  static void TearDownTestSuite() {
    delete s_dir;
    delete s_tags;
    delete s_reference;
  }
  static void ExpectReferencePictures(const std::vector<CapturedFrame>& frames) {
    ASSERT_EQ(frames.size(), static_cast<size_t>(kFrames));
    for (size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i].size, 3686400);
      EXPECT_EQ(frames[i].width, kWidth);
      EXPECT_EQ(frames[i].height, kHeight);
      EXPECT_TRUE(test::SameAsFlipped(s_reference->data() + i * kFrameBytes, frames[i])) << "picture " << i;
    }
    // The first row handed on is the picture's bottom row.
    const uint8_t* bottomRow = s_reference->data() + (kHeight - 1) * size_t{kWidth} * 4;
    EXPECT_EQ(std::memcmp(frames[0].pixels.data(), bottomRow, kWidth * 4), 0);
  }
  static test::TempDir* s_dir;
  static std::vector<FlvTag>* s_tags;
  static std::vector<uint8_t>* s_reference;
};

test::TempDir* DecoderTest::s_dir = nullptr;
std::vector<FlvTag>* DecoderTest::s_tags = nullptr;
std::vector<uint8_t>* DecoderTest::s_reference = nullptr;

TEST_F(DecoderTest, LengthPrefixedFlvStreamGivesEveryPictureBottomUp) {
  Pipeline pipeline;
  pipeline.Play(*s_tags);
  ExpectReferencePictures(pipeline.frames.frames);
  EXPECT_EQ(pipeline.decodeEvents.stepRequests, 0);
  EXPECT_EQ(pipeline.frames.frames[1].timestamp, s_tags->at(3).timestamp);
}

TEST_F(DecoderTest, PlatformAnnexBFormGivesTheSamePictures) {
  std::vector<FlvTag> platform;
  for (const FlvTag& tag : *s_tags) platform.push_back(ToPlatformForm(tag));
  Pipeline pipeline;
  pipeline.Play(platform);
  ExpectReferencePictures(pipeline.frames.frames);
}

TEST(LowBandwidthRuleTest, OneWarningPerRunOfPicturelessDecodes) {
  struct Step {
    int result;
    bool picture;
    bool stepChanges;
    int stepRequests;
    int warnings;
    bool lastHadPicture;
  } steps[] = {
      {100, false, false, 1, 1, false},  // the first picture-less decode after a picture warns
      {100, false, false, 2, 1, false},  // the run goes on: no second warning
      {-22, false, false, 2, 1, false},  // errors change nothing
      {0, false, false, 2, 1, false},
      {100, true, false, 2, 1, true},
      {-1, false, false, 2, 1, true},
      {100, false, true, 3, 1, false},   // quality could still step down: no warning
      {100, true, false, 3, 1, true},
      {100, false, false, 4, 2, false},
  };
  RecordingDecodeEvents events;
  CLowBandwidthRule rule(events);
  EXPECT_TRUE(rule.LastDecodeProducedPicture());
  for (size_t i = 0; i < std::size(steps); ++i) {
    events.stepChanges = steps[i].stepChanges;
    rule.OnDecoded(steps[i].result, steps[i].picture);
    EXPECT_EQ(events.stepRequests, steps[i].stepRequests) << i;
    EXPECT_EQ(events.warnings, steps[i].warnings) << i;
    EXPECT_EQ(rule.LastDecodeProducedPicture(), steps[i].lastHadPicture) << i;
  }
}

TEST(DecoderReorderTest, DelayedPicturesOfABFrameStreamAskForAStepDown) {
  // B-frames make the decoder hold the first pictures back whatever the low-delay flag.
  test::TempDir dir;
  std::string clip = dir.File("bframes.flv");
  ASSERT_TRUE(test::MakeFlvClip(clip, 320, 240, 12, "-bf 2"));
  std::vector<FlvTag> tags;
  ASSERT_TRUE(ReadFlvFile(clip, tags));
  Pipeline pipeline;
  pipeline.Play(tags);
  EXPECT_EQ(pipeline.decodeEvents.stepRequests, 2);
  EXPECT_EQ(pipeline.decodeEvents.warnings, 1);
  EXPECT_EQ(pipeline.frames.frames.size(), 10u);
  EXPECT_TRUE(pipeline.decoder.LastDecodeProducedPicture());
}

TEST(FrameConverterTest, OddHeightPictureFillsTheAnnouncedSizeBottomUp) {
  constexpr int width = 32;
  constexpr int height = 1079;
  AVFrame* picture = av_frame_alloc();
  ASSERT_NE(picture, nullptr);
  picture->format = 0;  // AV_PIX_FMT_YUV420P
  picture->width = width;
  picture->height = height;
  ASSERT_EQ(av_frame_get_buffer(picture, 0), 0);
  for (int row = 0; row < height; ++row) std::memset(picture->data[0] + row * picture->linesize[0], row == 0 ? 235 : 16, width);
  for (int plane = 1; plane < 3; ++plane) {
    for (int row = 0; row < (height + 1) / 2; ++row) std::memset(picture->data[plane] + row * picture->linesize[plane], 128, width / 2);
  }
  test::CapturingFrameSink sink;
  CFrameConverter converter(sink);
  converter.OnPicture(picture, 5);
  EXPECT_TRUE(sink.frames.empty());  // no size announced yet
  converter.SetOutputSize(width, 1088);
  converter.OnPicture(picture, 5);
  converter.OnPicture(picture, 6);
  av_frame_free(&picture);
  ASSERT_EQ(sink.frames.size(), 2u);
  const CapturedFrame& frame = sink.frames[1];
  EXPECT_EQ(frame.size, width * 1088 * 4);
  EXPECT_EQ(frame.timestamp, 6u);
  auto pixel = [&](int bufferRow) { return frame.pixels.data() + static_cast<size_t>(bufferRow) * width * 4; };
  for (int row = 0; row < 1088 - height; ++row) {
    EXPECT_EQ(pixel(row)[0], 0) << row;
    EXPECT_EQ(pixel(row)[3], 255) << row;
  }
  EXPECT_LT(pixel(1088 - height)[1], 8);  // the picture's bottom row, black
  EXPECT_GT(pixel(1087)[1], 245);         // its top row, white, is the buffer's last
  EXPECT_EQ(sink.frames[0].pixels, sink.frames[1].pixels);
}

}  // namespace
}  // namespace zv
