#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "player/video_tag_parser.h"
#include "tests/player/bit_writer.h"

namespace zv {
namespace {

struct Packet {
  std::vector<uint8_t> bytes;
  bool keyframe;
  int32_t nalLength;
  uint32_t timestamp;
};

class RecordingSink : public IPacketSink, public ITagEvents {
 public:
  explicit RecordingSink(int32_t capacity = 0x80000) : m_buffer(static_cast<size_t>(capacity)) {}
  uint8_t* PacketBuffer() override { return m_buffer.data(); }
  int32_t PacketCapacity() const override { return static_cast<int32_t>(m_buffer.size()); }
  void DecodePacket(int32_t size, bool keyframe, int32_t nalLength, uint32_t timestamp) override {
    packets.push_back({std::vector<uint8_t>(m_buffer.begin(), m_buffer.begin() + size), keyframe, nalLength, timestamp});
  }
  void OnSequenceHeader() override { ++sequenceHeaders; }
  void OnVideoSize(int32_t width, int32_t height) override { sizes.push_back({width, height}); }
  void OnVideoPacket() override { ++videoPackets; }

  std::vector<Packet> packets;
  std::vector<std::pair<int32_t, int32_t>> sizes;
  int sequenceHeaders = 0;
  int videoPackets = 0;

 private:
  std::vector<uint8_t> m_buffer;
};

void Be32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

std::vector<uint8_t> Sps720x1280(size_t padTo) {
  test::BitWriter w;
  w.Bits(0x67, 8);
  w.Bits(66, 8);
  w.Bits(0, 8);
  w.Bits(31, 8);
  w.Ue(0);
  w.Ue(0);
  w.Ue(2);
  w.Ue(1);
  w.Bits(0, 1);
  w.Ue(44);
  w.Ue(79);
  std::vector<uint8_t> sps = w.Finish();
  sps.resize(padTo, 0);  // trailing bytes the parser does not read
  return sps;
}

std::vector<uint8_t> SequenceHeader(const std::vector<uint8_t>& sps, const std::vector<uint8_t>& pps,
                                    uint8_t lengthSize = 0xFF, uint8_t version = 1) {
  std::vector<uint8_t> tag = {0x17, 0x00, 0, 0, 0, version, 66, 0, 31, lengthSize, 0xE1};
  tag.push_back(static_cast<uint8_t>(sps.size() >> 8));
  tag.push_back(static_cast<uint8_t>(sps.size()));
  tag.insert(tag.end(), sps.begin(), sps.end());
  tag.push_back(1);
  tag.push_back(static_cast<uint8_t>(pps.size() >> 8));
  tag.push_back(static_cast<uint8_t>(pps.size()));
  tag.insert(tag.end(), pps.begin(), pps.end());
  return tag;
}

// The platform's form: one length covering Annex-B bytes that start with a start code.
std::vector<uint8_t> AnnexBTag(bool keyframe, const std::vector<uint8_t>& nal) {
  std::vector<uint8_t> tag = {static_cast<uint8_t>(keyframe ? 0x17 : 0x27), 0x01, 0, 0, 0};
  Be32(tag, static_cast<uint32_t>(nal.size()));
  tag.insert(tag.end(), nal.begin(), nal.end());
  return tag;
}

// The FLV form: every NAL unit with its own 4-byte length.
std::vector<uint8_t> LengthPrefixedTag(bool keyframe, const std::vector<std::vector<uint8_t>>& nals) {
  std::vector<uint8_t> tag = {static_cast<uint8_t>(keyframe ? 0x17 : 0x27), 0x01, 0, 0, 0};
  for (const auto& nal : nals) {
    Be32(tag, static_cast<uint32_t>(nal.size()));
    tag.insert(tag.end(), nal.begin(), nal.end());
  }
  return tag;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const std::vector<uint8_t> kStart = {0, 0, 0, 1};
const std::vector<uint8_t> kPps = {0x68, 0xCE, 0x3C, 0x80};

class TagParserTest : public ::testing::Test {
 protected:
  void Parse(const std::vector<uint8_t>& tag, uint32_t timestamp = 0) {
    // A heap copy of exactly the tag's bytes, so a read past it is caught.
    std::vector<uint8_t> copy(tag);
    parser.ParseVideoTag(copy.data(), static_cast<uint32_t>(copy.size()), timestamp);
  }
  RecordingSink sink;
  CVideoTagParser parser{sink, sink};
  std::vector<uint8_t> sps = Sps720x1280(25);
};

TEST_F(TagParserTest, PrefixGoesBeforeTheFirstKeyframeOnly) {
  Parse(SequenceHeader(sps, kPps));
  ASSERT_EQ(sink.sizes.size(), 1u);
  EXPECT_EQ(sink.sizes[0], std::make_pair(720, 1280));
  EXPECT_EQ(parser.PrefixLength(), 37);
  EXPECT_TRUE(sink.packets.empty());

  std::vector<uint8_t> nal = {0, 0, 0, 1, 0x65, 0x88, 0x84, 0x00, 0x33};
  Parse(AnnexBTag(true, nal), 40);
  ASSERT_EQ(sink.packets.size(), 1u);
  EXPECT_EQ(sink.packets[0].bytes, Concat({kStart, sps, kStart, kPps, nal}));
  EXPECT_EQ(sink.packets[0].bytes.size(), 37 + nal.size());
  EXPECT_TRUE(sink.packets[0].keyframe);
  EXPECT_EQ(sink.packets[0].nalLength, static_cast<int32_t>(nal.size()));
  EXPECT_EQ(sink.packets[0].timestamp, 40u);

  Parse(AnnexBTag(true, nal));
  ASSERT_EQ(sink.packets.size(), 2u);
  EXPECT_EQ(sink.packets[1].bytes, nal);
}

TEST_F(TagParserTest, InterFrameBeforeTheKeyframeGoesWithoutThePrefix) {
  Parse(SequenceHeader(sps, kPps));
  std::vector<uint8_t> inter = {0, 0, 1, 0x41, 0x9A, 0x02};
  std::vector<uint8_t> key = {0, 0, 0, 1, 0x65, 0x88};
  Parse(AnnexBTag(false, inter));
  Parse(AnnexBTag(true, key));
  ASSERT_EQ(sink.packets.size(), 2u);
  EXPECT_EQ(sink.packets[0].bytes, inter);
  EXPECT_FALSE(sink.packets[0].keyframe);
  EXPECT_EQ(sink.packets[1].bytes, Concat({kStart, sps, kStart, kPps, key}));
}

TEST_F(TagParserTest, AnnexBTagKeepsOnlyTheFirstLengthsBytes) {
  std::vector<uint8_t> nal = {0, 0, 0, 1, 0x41, 0x01, 0x02};
  std::vector<uint8_t> tag = AnnexBTag(false, nal);
  tag.insert(tag.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  Parse(tag);
  ASSERT_EQ(sink.packets.size(), 1u);
  EXPECT_EQ(sink.packets[0].bytes, nal);
}

TEST_F(TagParserTest, LengthPrefixedUnitsBecomeAnnexB) {
  Parse(SequenceHeader(sps, kPps));
  std::vector<uint8_t> sei = {0x06, 0x05, 0x01, 0x80};
  std::vector<uint8_t> slice1 = {0x65, 0x88, 0x80, 0x10};
  std::vector<uint8_t> slice2 = {0x65, 0x01, 0x02};
  Parse(LengthPrefixedTag(true, {sei, slice1, slice2}), 33);
  ASSERT_EQ(sink.packets.size(), 1u);
  EXPECT_EQ(sink.packets[0].bytes, Concat({kStart, sps, kStart, kPps, kStart, sei, kStart, slice1, kStart, slice2}));
  EXPECT_EQ(sink.packets[0].nalLength, static_cast<int32_t>(sei.size()));
  EXPECT_FALSE(parser.PrefixPending());

  std::vector<uint8_t> p1 = {0x41, 0x9A, 0x11};
  std::vector<uint8_t> p2 = {0x41, 0x02};
  Parse(LengthPrefixedTag(false, {p1, {}, p2}));
  ASSERT_EQ(sink.packets.size(), 2u);
  EXPECT_EQ(sink.packets[1].bytes, Concat({kStart, p1, kStart, p2}));
}

TEST_F(TagParserTest, IgnoredSequenceHeadersKeepThePreviousPrefixAndSize) {
  Parse(SequenceHeader(sps, kPps));
  std::vector<uint8_t> otherSps = sps;
  otherSps[6] ^= 0xFF;
  Parse(SequenceHeader(otherSps, kPps, 0xFC));           // 2-byte lengths
  Parse(SequenceHeader(otherSps, kPps, 0xFF, 2));        // unknown version
  Parse(SequenceHeader(Sps720x1280(90), kPps));          // 8 + 90 + 4 bytes exceed the prefix
  std::vector<uint8_t> cut = SequenceHeader(otherSps, kPps);
  cut.erase(cut.end() - 2, cut.end());                    // PPS runs past the tag
  Parse(cut);
  EXPECT_EQ(sink.sizes.size(), 1u);
  EXPECT_EQ(sink.sequenceHeaders, 5);  // each still re-opens quality stepping
  std::vector<uint8_t> key = {0, 0, 0, 1, 0x65};
  Parse(AnnexBTag(true, key));
  ASSERT_EQ(sink.packets.size(), 1u);
  EXPECT_EQ(sink.packets[0].bytes, Concat({kStart, sps, kStart, kPps, key}));
}

TEST_F(TagParserTest, UnreadableSpsReportsThePreviousSizeOrNone) {
  std::vector<uint8_t> notSps = {0x68, 0x00, 0x00};
  Parse(SequenceHeader(notSps, kPps));
  EXPECT_TRUE(sink.sizes.empty());
  EXPECT_EQ(parser.PrefixLength(), 15);
  Parse(SequenceHeader(sps, kPps));
  Parse(SequenceHeader(notSps, kPps));
  ASSERT_EQ(sink.sizes.size(), 2u);
  EXPECT_EQ(sink.sizes[1], std::make_pair(720, 1280));
}

TEST_F(TagParserTest, OneCountPerNalTagAndNoneForOtherTags) {
  std::vector<uint8_t> nal = {0, 0, 0, 1, 0x41};
  Parse(SequenceHeader(sps, kPps));
  Parse(AnnexBTag(true, nal));
  Parse(AnnexBTag(false, nal));
  Parse(LengthPrefixedTag(false, {{0x41, 1}, {0x41, 2}}));
  Parse({0x27, 0x02, 0, 0, 0, 0, 0, 0, 0});  // inter frame: packet type not looked at
  EXPECT_EQ(sink.videoPackets, 4);
  Parse({0x12, 0x01, 0, 0, 0});              // another codec
  Parse({0x37, 0x01, 0, 0, 0});              // frame type 3
  Parse({0x17, 0x02, 0, 0, 0});              // end of sequence
  Parse({});
  EXPECT_EQ(sink.videoPackets, 4);
  EXPECT_EQ(sink.packets.size(), 3u);
}

TEST_F(TagParserTest, BoundsFaultsDropTheTag) {
  Parse(SequenceHeader(sps, kPps));
  std::vector<uint8_t> longLength = {0x17, 0x01, 0, 0, 0, 0, 0, 0, 9, 0, 0, 0, 1, 0x65};  // 9 > 5 bytes left
  std::vector<uint8_t> shortTag = {0x27, 0x01, 0, 0, 0, 0, 0};
  std::vector<uint8_t> unitPastTag = LengthPrefixedTag(false, {{0x41, 1}});
  unitPastTag.insert(unitPastTag.end(), {0, 0, 0, 50, 0x41});
  for (const auto& tag : {longLength, shortTag, unitPastTag}) Parse(tag);
  EXPECT_TRUE(sink.packets.empty());
  EXPECT_TRUE(parser.PrefixPending());  // a dropped keyframe does not use the prefix up
}

TEST(TagParserBufferTest, PacketOverTheBufferIsDropped) {
  RecordingSink sink(64);
  CVideoTagParser parser(sink, sink);
  std::vector<uint8_t> small(60, 0x41);
  small[0] = 0;
  small[1] = 0;
  small[2] = 1;
  std::vector<uint8_t> big(65, 0x41);
  big[0] = 0;
  big[1] = 0;
  big[2] = 1;
  for (const auto& nal : {small, big}) {
    std::vector<uint8_t> tag = AnnexBTag(false, nal);
    parser.ParseVideoTag(tag.data(), static_cast<uint32_t>(tag.size()), 0);
  }
  std::vector<uint8_t> units = LengthPrefixedTag(false, {std::vector<uint8_t>(30, 0x41), std::vector<uint8_t>(30, 0x41)});
  parser.ParseVideoTag(units.data(), static_cast<uint32_t>(units.size()), 0);  // 68 bytes once framed
  ASSERT_EQ(sink.packets.size(), 1u);
  EXPECT_EQ(sink.packets[0].bytes, small);
}

}  // namespace
}  // namespace zv
