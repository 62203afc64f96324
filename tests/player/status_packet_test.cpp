#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player/status_packet.h"

namespace zv {
namespace {

// AMF0 writers for the cases.
std::string Str(const std::string& s) { return std::string("\x02", 1) + char(s.size() >> 8) + char(s.size() & 0xFF) + s; }
std::string Key(const std::string& s) { return std::string(1, char(s.size() >> 8)) + char(s.size() & 0xFF) + s; }
std::string Num() { return std::string("\x00\x40\x00\x00\x00\x00\x00\x00\x00", 9); }
std::string Null() { return std::string("\x05", 1); }
std::string End() { return std::string("\x00\x00\x09", 3); }
std::string Obj(const std::vector<std::pair<std::string, std::string>>& members) {
  std::string out("\x03", 1);
  for (const auto& [k, v] : members) out += Key(k) + v;
  return out + End();
}

std::string Status(const std::string& info) { return Str("onStatus") + Num() + Null() + info; }

TEST(StatusPacketTest, CodeOfOnStatusCommands) {
  const std::string dropped = "NetStream.DataDroped.Notify";
  std::string ecma = std::string("\x08\x00\x00\x00\x02", 5) + Key("level") + Str("status") + Key("code") + Str(dropped) + End();
  struct Case {
    const char* what;
    uint8_t type;
    std::string body;
    std::string code;
  } cases[] = {
      {"data dropped", 0x14, Status(Obj({{"level", Str("status")}, {"code", Str(dropped)}, {"description", Str("x")}})), dropped},
      {"play start", 0x14, Status(Obj({{"code", Str("NetStream.Play.Start")}})), "NetStream.Play.Start"},
      {"nested object before the code", 0x14,
       Status(Obj({{"details", Obj({{"code", Str("inner")}})}, {"code", Str(dropped)}})), dropped},
      {"information as an ECMA array", 0x14, Status(ecma), dropped},
      {"another command", 0x14, Str("_result") + Num() + Null() + Obj({{"code", Str(dropped)}}), ""},
      {"code that is no string", 0x14, Status(Obj({{"code", Num()}})), ""},
      {"no information object", 0x14, Str("onStatus") + Num(), ""},
      {"another message type", 0x12, Status(Obj({{"code", Str(dropped)}})), ""},
      {"body not starting with a string", 0x14, Num() + Status(Obj({{"code", Str(dropped)}})), ""},
      {"AMF3 marker", 0x14, Status(std::string("\x11\x0A", 2)), ""},
      {"empty body", 0x14, "", ""},
  };
  for (const Case& c : cases) {
    std::vector<char> body(c.body.begin(), c.body.end());
    EXPECT_EQ(ReadStatusCode(c.type, body.data(), static_cast<uint32_t>(body.size())), c.code) << c.what;
  }
}

TEST(StatusPacketTest, TruncatedOrOverlongBodiesGiveNoCode) {
  std::string good = Status(Obj({{"code", Str("NetStream.DataDroped.Notify")}, {"description", Str("dropped")}}));
  for (size_t cut = 1; cut < good.size(); ++cut) {
    std::vector<char> body(good.begin(), good.begin() + static_cast<long>(cut));
    EXPECT_EQ(ReadStatusCode(0x14, body.data(), static_cast<uint32_t>(body.size())), "") << cut;
  }
  // A member whose string length runs past the body, inside the information object.
  std::string overlong = Status(std::string("\x03", 1) + Key("le") + std::string("\x02\x6c\x76", 3) + "e" + End());
  std::vector<char> body(overlong.begin(), overlong.end());
  EXPECT_EQ(ReadStatusCode(0x14, body.data(), static_cast<uint32_t>(body.size())), "");
  // Deep nesting is refused rather than followed.
  std::string deep;
  for (int i = 0; i < 100; ++i) deep += std::string("\x0A\x00\x00\x00\x01", 5);
  std::string nested = Status(deep + Null());
  std::vector<char> deepBody(nested.begin(), nested.end());
  EXPECT_EQ(ReadStatusCode(0x14, deepBody.data(), static_cast<uint32_t>(deepBody.size())), "");
}

}  // namespace
}  // namespace zv
