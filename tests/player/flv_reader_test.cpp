#include <gtest/gtest.h>

#include <vector>

#include "player/flv_reader.h"

namespace zv {
namespace {

void AppendTag(std::vector<uint8_t>& file, uint8_t type, uint32_t timestamp, const std::vector<uint8_t>& body) {
  uint32_t size = static_cast<uint32_t>(body.size());
  file.insert(file.end(), {type, uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size), uint8_t(timestamp >> 16),
                           uint8_t(timestamp >> 8), uint8_t(timestamp), uint8_t(timestamp >> 24), 0, 0, 0});
  file.insert(file.end(), body.begin(), body.end());
  uint32_t previous = size + 11;
  file.insert(file.end(), {uint8_t(previous >> 24), uint8_t(previous >> 16), uint8_t(previous >> 8), uint8_t(previous)});
}

TEST(FlvReaderTest, TagsInOrderAndATruncatedLastTagLeftOut) {
  std::vector<uint8_t> file = {'F', 'L', 'V', 1, 1, 0, 0, 0, 9, 0, 0, 0, 0};
  AppendTag(file, 18, 0, {2, 0, 1, 'x'});
  AppendTag(file, 9, 0x01000021, {0x17, 0, 0, 0, 0});
  AppendTag(file, 9, 66, {0x27, 1, 0, 0, 0, 1, 2});
  file.resize(file.size() - 6);  // the last tag's body is cut short
  std::vector<FlvTag> tags;
  ASSERT_TRUE(ParseFlv(file.data(), file.size(), tags));
  ASSERT_EQ(tags.size(), 2u);
  EXPECT_EQ(tags[0].type, 18);
  EXPECT_EQ(tags[1].type, 9);
  EXPECT_EQ(tags[1].timestamp, 0x01000021u);  // the extended byte is the high byte
  EXPECT_EQ(tags[1].body, (std::vector<uint8_t>{0x17, 0, 0, 0, 0}));

  std::vector<uint8_t> notFlv = {'F', 'L', 'X', 1, 1, 0, 0, 0, 9};
  EXPECT_FALSE(ParseFlv(notFlv.data(), notFlv.size(), tags));
  std::vector<uint8_t> badOffset = {'F', 'L', 'V', 1, 1, 0, 0, 0xFF, 0xFF};
  EXPECT_FALSE(ParseFlv(badOffset.data(), badOffset.size(), tags));
  EXPECT_FALSE(ReadFlvFile("/nonexistent/zv-player.flv", tags));
}

}  // namespace
}  // namespace zv
