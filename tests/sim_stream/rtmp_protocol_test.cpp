// The stream server's wire formats alone: AMF0 values, chunk streams both ways and the
// FLV AVC tag bodies.
#include <gtest/gtest.h>

#include "sim/stream/amf0.h"
#include "sim/stream/chunk_stream.h"
#include "sim/stream/flv_avc.h"
#include "sim/stream/rtmp_messages.h"

namespace zv::sim::rtmp {
namespace {

Bytes Encode(const AmfValue& v) {
  Bytes out;
  EncodeAmf(v, out);
  return out;
}

TEST(Amf0Test, EncodesTheWireBytesOfEachType) {
  struct Case {
    AmfValue value;
    Bytes bytes;
  } cases[] = {
      {AmfValue::Number(1.0), {0x00, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}},
      {AmfValue::Boolean(true), {0x01, 0x01}},
      {AmfValue::String("play"), {0x02, 0x00, 0x04, 'p', 'l', 'a', 'y'}},
      {AmfValue::Null(), {0x05}},
      {AmfValue{}, {0x06}},
      {AmfValue::Object({{"a", AmfValue::Null()}}), {0x03, 0x00, 0x01, 'a', 0x05, 0x00, 0x00, 0x09}},
      {AmfValue::EcmaArray({{"w", AmfValue::Boolean(false)}}),
       {0x08, 0, 0, 0, 1, 0x00, 0x01, 'w', 0x01, 0x00, 0x00, 0x00, 0x09}},
  };
  for (const Case& c : cases) EXPECT_EQ(Encode(c.value), c.bytes);
}

TEST(Amf0Test, DecodesWhatItEncodesAndFindsProperties) {
  const AmfValue info = AmfValue::Object({{"level", AmfValue::String("status")},
                                          {"code", AmfValue::String("NetStream.Play.Start")},
                                          {"nested", AmfValue::Object({{"n", AmfValue::Number(-2.5)}})}});
  Bytes body = Encode(AmfValue::String("onStatus"));
  EncodeAmf(AmfValue::Number(0), body);
  EncodeAmf(AmfValue::Null(), body);
  EncodeAmf(info, body);
  std::vector<AmfValue> values;
  ASSERT_TRUE(DecodeAmfSequence(body.data(), body.size(), values));
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].text, "onStatus");
  EXPECT_EQ(values[2].type, AmfType::kNull);
  ASSERT_NE(values[3].Find("code"), nullptr);
  EXPECT_EQ(values[3].Find("code")->StringOr(""), "NetStream.Play.Start");
  EXPECT_EQ(values[3].Find("nested")->Find("n")->NumberOr(0), -2.5);
  EXPECT_EQ(values[3].Find("missing"), nullptr);
}

TEST(Amf0Test, RefusesEveryTruncationAndRunawayNesting) {
  Bytes body = Encode(AmfValue::Object({{"app", AmfValue::String("live")}, {"n", AmfValue::Number(3)}}));
  for (size_t n = 0; n < body.size(); ++n) {
    size_t pos = 0;
    AmfValue v;
    EXPECT_FALSE(DecodeAmf(body.data(), n, pos, v)) << n;
  }
  Bytes deep;
  for (int i = 0; i < 100; ++i) {
    deep.insert(deep.end(), {0x03, 0x00, 0x01, 'x'});
  }
  deep.push_back(0x05);
  size_t pos = 0;
  AmfValue v;
  EXPECT_FALSE(DecodeAmf(deep.data(), deep.size(), pos, v));
  const Bytes unknownMarker = {0x0D};
  pos = 0;
  EXPECT_FALSE(DecodeAmf(unknownMarker.data(), unknownMarker.size(), pos, v));
}

RtmpMessage Message(uint32_t csid, uint8_t type, uint32_t timestamp, uint32_t streamId, size_t size) {
  RtmpMessage m;
  m.chunkStream = csid;
  m.type = type;
  m.timestamp = timestamp;
  m.streamId = streamId;
  for (size_t i = 0; i < size; ++i) m.body.push_back(static_cast<uint8_t>(i * 7 + csid));
  return m;
}

TEST(ChunkStreamTest, WritesTheExactHeaderOfEachFormat) {
  CChunkWriter writer;
  Bytes out;
  writer.Write(Message(3, 20, 0x10, 1, 2), out);
  EXPECT_EQ(out, (Bytes{0x03, 0, 0, 0x10, 0, 0, 2, 20, 1, 0, 0, 0, 3, 10}));
  out.clear();
  writer.Write(Message(3, 20, 0x30, 1, 3), out);  // new length: type 1 with the delta
  EXPECT_EQ(out, (Bytes{0x43, 0, 0, 0x20, 0, 0, 3, 20, 3, 10, 17}));
  out.clear();
  writer.Write(Message(3, 20, 0x31, 1, 3), out);  // same length and type: type 2
  EXPECT_EQ(out, (Bytes{0x83, 0, 0, 0x01, 3, 10, 17}));
  out.clear();
  writer.Write(Message(3, 20, 0x31, 2, 1), out);  // another message stream: type 0
  EXPECT_EQ(out[0], 0x03);
  out.clear();
  writer.Write(Message(200, 9, 0, 1, 130), out);  // two-byte basic header, type-3 continuation
  EXPECT_EQ(out[0], 0x00);
  EXPECT_EQ(out[1], 200 - 64);
  EXPECT_EQ(out[2 + 11 + 128], 0xC0);
  EXPECT_EQ(out[2 + 11 + 128 + 1], 200 - 64);
  EXPECT_EQ(out.size(), 2 + 11 + 130 + 2u);
}

TEST(ChunkStreamTest, ReaderReassemblesWhatTheWriterWritesInAnySplit) {
  const std::vector<RtmpMessage> messages = {
      Message(3, 20, 0, 0, 300),         Message(3, 20, 40, 0, 300),        Message(3, 20, 41, 0, 10),
      Message(6, 9, 0x1000000, 1, 9000), Message(6, 9, 0x1000021, 1, 9000),  // extended timestamps
      Message(5, 18, 7, 1, 0),           Message(400, 8, 9, 1, 260),
  };
  for (uint32_t chunkSize : {128u, 4096u}) {
    for (size_t step : {size_t{1}, size_t{7}, size_t{100000}}) {
      CChunkWriter writer;
      writer.SetChunkSize(chunkSize);
      Bytes wire;
      for (const auto& m : messages) writer.Write(m, wire);
      CChunkReader reader;
      reader.SetChunkSize(chunkSize);
      std::vector<RtmpMessage> got;
      std::string error;
      for (size_t i = 0; i < wire.size(); i += step) {
        ASSERT_TRUE(reader.Feed(wire.data() + i, std::min(step, wire.size() - i), got, error)) << error;
      }
      ASSERT_EQ(got.size(), messages.size()) << chunkSize << "/" << step;
      for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].chunkStream, messages[i].chunkStream);
        EXPECT_EQ(got[i].type, messages[i].type);
        EXPECT_EQ(got[i].timestamp, messages[i].timestamp) << i;
        EXPECT_EQ(got[i].streamId, messages[i].streamId);
        EXPECT_EQ(got[i].body, messages[i].body);
      }
    }
  }
}

TEST(ChunkStreamTest, ReaderAppliesTheDeltaOfATypeThreeMessageStart) {
  // A player may start a message with a type-3 header: the previous delta applies again,
  // and after a type-0 header that header's timestamp is the delta.
  const Bytes wire = {0x04, 0,   0, 10, 0,   0, 1, 20, 0, 0, 0, 0, 'a',  // type 0, t = 10
                      0xC4, 'b',                                         // type 3: t = 20
                      0x84, 0,   0, 5,  'c',                             // type 2, delta 5: t = 25
                      0xC4, 'd'};                                        // type 3: t = 30
  CChunkReader reader;
  std::vector<RtmpMessage> got;
  std::string error;
  ASSERT_TRUE(reader.Feed(wire.data(), wire.size(), got, error));
  ASSERT_EQ(got.size(), 4u);
  EXPECT_EQ(got[0].timestamp, 10u);
  EXPECT_EQ(got[1].timestamp, 20u);
  EXPECT_EQ(got[2].timestamp, 25u);
  EXPECT_EQ(got[3].timestamp, 30u);
  EXPECT_EQ(got[3].body, Bytes{'d'});
}

// The first 128-byte chunk of a 200-byte message, then a type-0 header on the same chunk stream.
Bytes InterruptedMessage() {
  Bytes wire = {0x03, 0, 0, 0, 0, 0, 200, 20, 0, 0, 0, 0};
  wire.resize(wire.size() + 128, 'a');
  wire.insert(wire.end(), {0x03, 0, 0, 0, 0, 0, 1, 20, 0, 0, 0, 0, 'b'});
  return wire;
}

TEST(ChunkStreamTest, ReaderRefusesMalformedStreams) {
  struct Case {
    const char* what;
    Bytes wire;
  } cases[] = {
      {"type 2 on a chunk stream never started", {0x85, 0, 0, 0, 'x'}},
      {"type 3 on a chunk stream never started", {0xC5, 'x'}},
      {"a message larger than a player sends", {0x03, 0, 0, 0, 0x20, 0, 0, 20, 0, 0, 0, 0}},
      {"a new header inside a message", InterruptedMessage()},
  };
  for (const Case& c : cases) {
    CChunkReader reader;
    std::vector<RtmpMessage> got;
    std::string error;
    EXPECT_FALSE(reader.Feed(c.wire.data(), c.wire.size(), got, error)) << c.what;
    EXPECT_FALSE(error.empty());
  }
}

TEST(ChunkStreamTest, ReaderAcceptsATypeOneHeaderOpeningAChunkStream) {
  // The client's automatic-quality flag: chunk stream 2, type-1 header, user control.
  const Bytes wire = {0x42, 0, 0, 0, 0, 0, 10, 4, 0, 0x1F, 0, 0, 0, 1, 0, 0, 0, 1};
  CChunkReader reader;
  std::vector<RtmpMessage> got;
  std::string error;
  ASSERT_TRUE(reader.Feed(wire.data(), wire.size(), got, error)) << error;
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].type, 4);
  EXPECT_EQ(got[0].streamId, 0u);
  EXPECT_EQ(got[0].body.size(), 10u);
}

TEST(ChunkStreamTest, AbortDropsThePartialMessage) {
  CChunkWriter writer;
  Bytes wire;
  writer.Write(Message(3, 20, 0, 0, 200), wire);
  CChunkReader reader;
  std::vector<RtmpMessage> got;
  std::string error;
  ASSERT_TRUE(reader.Feed(wire.data(), 12 + 128, got, error));
  reader.Abort(3);
  Bytes fresh;
  CChunkWriter other;
  other.Write(Message(3, 20, 0, 0, 5), fresh);
  ASSERT_TRUE(reader.Feed(fresh.data(), fresh.size(), got, error)) << error;
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].body.size(), 5u);
}

TEST(RtmpMessagesTest, ControlMessagesCarryTheirValues) {
  EXPECT_EQ(MakeUserControl(kStreamBegin, 1).body, (Bytes{0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(MakeSetPeerBandwidth(0x01020304, 2).body, (Bytes{1, 2, 3, 4, 2}));
  const RtmpMessage status = MakeOnStatus(1, "status", "NetStream.Play.Start", "d");
  EXPECT_EQ(status.type, kCommandAmf0);
  EXPECT_EQ(status.streamId, 1u);
  std::vector<AmfValue> values;
  ASSERT_TRUE(DecodeAmfSequence(status.body.data(), status.body.size(), values));
  ASSERT_EQ(values.size(), 4u);
  EXPECT_EQ(values[0].text, "onStatus");
  EXPECT_EQ(values[3].Find("code")->text, "NetStream.Play.Start");
}

TEST(FlvAvcTest, FindsTheParameterSetsBehindThreeAndFourByteStartCodes) {
  const Bytes unit = {0, 0, 0, 1,    0x67, 0x64, 0x00, 0x1E, 0xAC,  // SPS
                      0, 0, 1, 0x68, 0xEE, 0x3C, 0x80,              // PPS
                      0, 0, 0, 1,    0x06, 0x05, 0x01,              // SEI
                      0, 0, 1, 0x65, 0x88, 0x84};                   // IDR slice
  ParameterSets sets;
  ASSERT_TRUE(FindParameterSets(unit.data(), unit.size(), sets));
  EXPECT_EQ(sets.sps, (Bytes{0x67, 0x64, 0x00, 0x1E, 0xAC}));
  EXPECT_EQ(sets.pps, (Bytes{0x68, 0xEE, 0x3C, 0x80}));
  const Bytes slices = {0, 0, 0, 1, 0x41, 0x9A, 0, 0, 1, 0x41, 0x9B};
  EXPECT_FALSE(FindParameterSets(slices.data(), slices.size(), sets));
}

TEST(FlvAvcTest, BuildsTheSequenceHeaderAndPictureTags) {
  const ParameterSets sets{{0x67, 0x64, 0x00, 0x1E, 0xAC}, {0x68, 0xEE}};
  EXPECT_EQ(BuildSequenceHeader(sets),
            (Bytes{0x17, 0,    0,    0,    0,    1,    0x64, 0x00, 0x1E, 0xFF, 0xE1, 0,
                   5,    0x67, 0x64, 0x00, 0x1E, 0xAC, 1,    0,    2,    0x68, 0xEE}));
  EXPECT_TRUE(BuildSequenceHeader(ParameterSets{{0x67, 0x64}, {0x68}}).empty());
  const Bytes unit = {0, 0, 0, 1, 0x65, 0x88};
  EXPECT_EQ(BuildPictureTag(unit.data(), unit.size(), true),
            (Bytes{0x17, 1, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 1, 0x65, 0x88}));
  EXPECT_EQ(BuildPictureTag(unit.data(), unit.size(), false)[0], 0x27);
}

}  // namespace
}  // namespace zv::sim::rtmp
