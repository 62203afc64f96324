#include "control/control_protocol.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/events.h"
#include "control/control_framer.h"

namespace zv {
namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> values, size_t zeroPadTo = 0) {
  std::vector<uint8_t> out;
  for (int v : values) out.push_back(static_cast<uint8_t>(v));
  out.resize(std::max(out.size(), zeroPadTo), 0);
  return out;
}

template <size_t N>
std::vector<uint8_t> Vec(const std::array<uint8_t, N>& a) {
  return std::vector<uint8_t>(a.begin(), a.end());
}

TEST(ControlProtocolTest, HelloCarriesMagicVersionTickAndSession) {
  ControlHello hello = BuildControlHello("0123456789", 0x11223344);
  std::vector<uint8_t> expected =
      Bytes({'Z', 'V', 'P', 'C', 0x00, 0x00, 0x01, 0x00, 0x44, 0x33, 0x22, 0x11, 0,
             0,   0,   0,   '0', '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  '9'},
            48);
  EXPECT_EQ(Vec(hello), expected);  // a 10-character session is followed by 22 zero bytes
}

TEST(ControlProtocolTest, HelloCutsALongSessionAfter32BytesWithoutTerminator) {
  std::string session = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";  // 40 characters
  ControlHello hello = BuildControlHello(session, 0);
  EXPECT_EQ(std::string(hello.begin() + 16, hello.end()), session.substr(0, 32));
  ControlHelloFields read = ReadControlHello(hello.data());
  EXPECT_TRUE(read.magicOk);
  EXPECT_EQ(read.version, CTRL_VERSION);
  EXPECT_EQ(read.session, session.substr(0, 32));
}

struct MessageCase {
  const char* name;
  ControlMessage built;
  std::vector<uint8_t> expected;
};

TEST(ControlProtocolTest, MessagesMatchTheirByteTables) {
  const MessageCase cases[] = {
      {"quality Fast at tick 4096", BuildControlMessage(CTRL_QUALITY, 4096, QualityWireValue(QUALITY_FAST)),
       Bytes({0x02, 0x00, 0x00, 0x80, 0x00, 0x10, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00}, 40)},
      {"pointer -3/5", BuildControlMessage(CTRL_POINTER_DOWN, 0, static_cast<uint32_t>(-3), 5),
       Bytes({0x01, 0x00, 0x20, 0x80, 0, 0, 0, 0, 0xFD, 0xFF, 0xFF, 0xFF, 0x05, 0x00, 0x00, 0x00}, 40)},
      {"pad with empty code", BuildControlTextMessage(CTRL_PAD, 1, ""),
       Bytes({0x01, 0x00, 0x01, 0x00, 1}, 40)},
      {"pad code", BuildControlTextMessage(CTRL_PAD, 0, "PAD-1"),
       Bytes({0x01, 0x00, 0x01, 0x00, 0, 0, 0, 0, 'P', 'A', 'D', '-', '1'}, 40)},
      {"heartbeat", BuildControlMessage(CTRL_HEARTBEAT, 0x01020304), Bytes({0, 0, 0, 0, 4, 3, 2, 1}, 40)},
      {"key back down", BuildControlMessage(CTRL_KEY_DOWN, 0, KEY_CODE_BACK, 0),
       Bytes({0x01, 0x00, 0x30, 0x80, 0, 0, 0, 0, 158}, 40)},
      {"key up", BuildControlMessage(CTRL_KEY_UP, 0, KEY_CODE_BACK, 0),
       Bytes({0x02, 0x00, 0x30, 0x80, 0, 0, 0, 0, 158}, 40)},
      {"node queue notice -2/300", BuildNodeMessage(CTRL_PAD, 0, PAD_QUEUE_STATUS, -2, 300),
       Bytes({0x01, 0x00, 0x01, 0x00, 0, 0, 0, 0, 5, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0x2C, 0x01, 0x00, 0x00},
             40)},
  };
  for (const auto& c : cases) EXPECT_EQ(Vec(c.built), c.expected) << c.name;
}

TEST(ControlProtocolTest, PadCodeOf32BytesOrMoreFillsTheWholePayload) {
  std::string code(40, 'x');
  ControlMessage message = BuildControlTextMessage(CTRL_PAD, 0, code);
  EXPECT_EQ(std::string(message.begin() + 8, message.end()), std::string(32, 'x'));
  EXPECT_EQ(ReadControlText(message.data()), std::string(32, 'x'));
}

TEST(ControlProtocolTest, QualityMapping) {
  const std::pair<int32_t, uint32_t> table[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {-1, 3}, {4, 3}, {100, 3}};
  for (auto [level, value] : table) EXPECT_EQ(QualityWireValue(level), value) << level;
}

TEST(ControlProtocolTest, ReaderTakesTypeSubCodeAndSignedValues) {
  auto bytes =
      Bytes({0x01, 0x00, 0x01, 0x00, 9, 0, 0, 0, 5, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}, 40);
  ControlFields fields = ReadControlMessage(bytes.data());
  EXPECT_EQ(fields.type, CTRL_PAD);
  EXPECT_EQ(fields.tick, 9u);
  EXPECT_EQ(fields.subCode, PAD_QUEUE_STATUS);
  EXPECT_EQ(fields.first, -2);
  EXPECT_EQ(fields.second, 0);
}

TEST(ControlProtocolTest, TickIsMonotonicMilliseconds) {
  uint32_t a = GetTickCount32();
  uint32_t b = GetTickCount32();
  EXPECT_LT(static_cast<uint32_t>(b - a), 1000u);
}

// Framing: whatever the split, whole messages come out in order and the rest is kept.
TEST(ControlFramerTest, SplitsAndMergedReadsYieldWholeMessagesInOrder) {
  std::vector<uint8_t> stream;
  for (uint32_t i = 1; i <= 3; ++i) {
    ControlMessage m = BuildControlMessage(CTRL_PAD, i, PAD_QUEUE_STATUS, i * 10);
    stream.insert(stream.end(), m.begin(), m.end());
  }
  const std::vector<std::vector<size_t>> splits = {
      {120}, {1, 39, 40, 40}, {39, 1, 80}, {100, 20}, {1, 1, 1, 117}, {41, 38, 41}, {60, 60},
  };
  for (const auto& split : splits) {
    CControlFramer framer;
    std::vector<uint32_t> ticks;
    size_t offset = 0;
    for (size_t part : split) {
      framer.Feed(stream.data() + offset, part, [&](const uint8_t* m) {
        ticks.push_back(ReadControlMessage(m).tick);
        EXPECT_EQ(ReadControlMessage(m).first, static_cast<int32_t>(ticks.back() * 10));
        return true;
      });
      offset += part;
    }
    EXPECT_EQ(ticks, (std::vector<uint32_t>{1, 2, 3}));
    EXPECT_EQ(framer.Pending(), 0u);
  }
}

TEST(ControlFramerTest, KeepsTheRemainderAndStopsWhenTheSinkSaysSo) {
  std::vector<uint8_t> stream(100, 0);  // two and a half messages
  CControlFramer framer;
  int seen = 0;
  EXPECT_TRUE(framer.Feed(stream.data(), stream.size(), [&](const uint8_t*) { return ++seen, true; }));
  EXPECT_EQ(seen, 2);
  EXPECT_EQ(framer.Pending(), 20u);

  CControlFramer stopping;
  seen = 0;
  EXPECT_FALSE(stopping.Feed(stream.data(), stream.size(), [&](const uint8_t*) { return ++seen, false; }));
  EXPECT_EQ(seen, 1);
}

}  // namespace
}  // namespace zv
