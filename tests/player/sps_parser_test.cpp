#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "player/sps_parser.h"
#include "tests/player/bit_writer.h"

namespace zv {
namespace {

using test::BitWriter;

std::vector<uint8_t> BitString(const char* bits) {
  std::vector<uint8_t> bytes;
  for (int i = 0; bits[i]; ++i) {
    if (i % 8 == 0) bytes.push_back(0);
    if (bits[i] == '1') bytes.back() |= static_cast<uint8_t>(0x80u >> (i % 8));
  }
  return bytes;
}

TEST(ExpGolombTest, UnsignedAndSignedTable) {
  struct Case {
    const char* bits;
    uint32_t ue;
    int32_t se;
    uint64_t endPos;
  } cases[] = {
      {"1", 0, 0, 1}, {"010", 1, 1, 3}, {"011", 2, -1, 3}, {"00100", 3, 2, 5}, {"00101", 4, -2, 5}, {"00111", 6, -3, 5},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes = BitString(c.bits);
    uint64_t pos = 0;
    EXPECT_EQ(ReadUe(bytes.data(), static_cast<uint32_t>(bytes.size()), pos), c.ue) << c.bits;
    EXPECT_EQ(pos, c.endPos) << c.bits;
    pos = 0;
    EXPECT_EQ(ReadSe(bytes.data(), static_cast<uint32_t>(bytes.size()), pos), c.se) << c.bits;
  }
}

TEST(ExpGolombTest, AllZeroBufferStopsAtItsEndAndReadsNothingBeyond) {
  // Heap copies so that AddressSanitizer sees any read past the bytes.
  for (uint32_t length : {1u, 2u, 4u, 16u}) {
    std::vector<uint8_t> zeros(length, 0);
    uint64_t pos = 0;
    uint32_t value = ReadUe(zeros.data(), length, pos);
    EXPECT_GT(pos, uint64_t{length} * 8) << length;
    if (length <= 3) {
      EXPECT_EQ(value, (1u << (length * 8)) - 1) << length;
    } else {
      EXPECT_EQ(value, UINT32_MAX) << length;
    }
  }
}

TEST(ReadBitsTest, MostSignificantBitFirstAndZeroPastTheEnd) {
  std::vector<uint8_t> bytes = {0xA5, 0x0F};
  uint64_t pos = 0;
  EXPECT_EQ(ReadBits(4, bytes.data(), 2, pos), 0xAu);
  EXPECT_EQ(ReadBits(8, bytes.data(), 2, pos), 0x50u);
  EXPECT_EQ(ReadBits(8, bytes.data(), 2, pos), 0xF0u);  // the last 4 bits lie past the end
  EXPECT_EQ(pos, 20u);
}

std::vector<uint8_t> BaselineSps(uint32_t widthMbsMinus1, uint32_t heightUnitsMinus1, uint32_t pocType = 2) {
  BitWriter w;
  w.Bits(0x67, 8);  // nal_ref_idc 3, type 7
  w.Bits(66, 8);
  w.Bits(0, 8);
  w.Bits(31, 8);
  w.Ue(0);  // seq_parameter_set_id
  w.Ue(0);  // log2_max_frame_num_minus4
  w.Ue(pocType);
  if (pocType == 0) w.Ue(2);
  if (pocType == 1) {
    w.Bits(0, 1);
    w.Se(-3);
    w.Se(5);
    w.Ue(3);
    w.Se(1);
    w.Se(-1);
    w.Se(2);
  }
  w.Ue(1);  // max_num_ref_frames
  w.Bits(0, 1);
  w.Ue(widthMbsMinus1);
  w.Ue(heightUnitsMinus1);
  w.Bits(1, 1);  // frame_mbs_only_flag: not read by the parser
  return w.Finish();
}

std::vector<uint8_t> HighSps(uint32_t chromaFormat, bool scalingLists) {
  BitWriter w;
  w.Bits(0x67, 8);
  w.Bits(100, 8);
  w.Bits(0, 8);
  w.Bits(40, 8);
  w.Ue(0);
  w.Ue(chromaFormat);
  if (chromaFormat == 3) w.Bits(0, 1);
  w.Ue(0);
  w.Ue(0);
  w.Bits(0, 1);
  w.Bits(scalingLists ? 1 : 0, 1);
  if (scalingLists) {
    int lists = chromaFormat == 3 ? 12 : 8;
    for (int i = 0; i < lists; ++i) {
      bool present = i % 2 == 0;
      w.Bits(present ? 1 : 0, 1);
      if (!present) continue;
      int size = i < 6 ? 16 : 64;
      // A few deltas and then one that makes the next scale 0, ending the list early.
      w.Se(1);
      w.Se(2);
      if (i == 6) {
        for (int j = 2; j < size; ++j) w.Se(0);  // a full 64-entry list
      } else {
        w.Se(-11);
      }
    }
  }
  w.Ue(0);
  w.Ue(0);
  w.Ue(2);
  w.Ue(4);
  w.Bits(0, 1);
  w.Ue(119);
  w.Ue(67);
  return w.Finish();
}

TEST(ParseSpsTest, SizesFromTheMacroblockFields) {
  struct Case {
    std::vector<uint8_t> sps;
    int32_t width;
    int32_t height;
  } cases[] = {
      {BaselineSps(44, 79), 720, 1280},
      {BaselineSps(119, 67), 1920, 1088},  // a 1080-line picture is reported as coded
      {BaselineSps(44, 79, 0), 720, 1280},
      {BaselineSps(44, 79, 1), 720, 1280},
      {HighSps(1, false), 1920, 1088},
      {HighSps(1, true), 1920, 1088},
      {HighSps(3, true), 1920, 1088},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    int32_t width = -1;
    int32_t height = -1;
    ASSERT_TRUE(ParseSps(cases[i].sps.data(), static_cast<uint32_t>(cases[i].sps.size()), width, height)) << i;
    EXPECT_EQ(width, cases[i].width) << i;
    EXPECT_EQ(height, cases[i].height) << i;
  }
}

TEST(ParseSpsTest, RefusesWhatIsNoUsableSpsAndLeavesTheOutputs) {
  std::vector<uint8_t> good = BaselineSps(44, 79);
  std::vector<uint8_t> pps = good;
  pps[0] = 0x68;
  std::vector<uint8_t> cut(good.begin(), good.begin() + 5);
  std::vector<uint8_t> zeros(16, 0);
  std::vector<uint8_t> huge = BaselineSps(100000, 79);
  BitWriter w;
  w.Bits(0x67, 8);
  w.Bits(66, 8);
  w.Bits(0, 8);
  w.Bits(31, 8);
  w.Ue(0);
  w.Ue(0);
  w.Ue(1);  // pic_order_cnt_type 1 with an offset cycle far beyond the standard's 255
  w.Bits(0, 1);
  w.Se(0);
  w.Se(0);
  w.Ue(4000000000u);
  std::vector<uint8_t> endless = w.Finish();
  for (const auto* bytes : {&pps, &cut, &zeros, &huge, &endless}) {
    int32_t width = 7;
    int32_t height = 9;
    EXPECT_FALSE(ParseSps(bytes->data(), static_cast<uint32_t>(bytes->size()), width, height));
    EXPECT_EQ(width, 7);
    EXPECT_EQ(height, 9);
  }
  int32_t width = 0;
  int32_t height = 0;
  EXPECT_FALSE(ParseSps(nullptr, 0, width, height));
}

}  // namespace
}  // namespace zv
