#include "player/sps_parser.h"

namespace zv {

namespace {

// Larger pictures are refused so that width * height * 4 stays a sane allocation.
constexpr uint32_t kMaxDimension = 8192;
// The standard's limit for num_ref_frames_in_pic_order_cnt_cycle.
constexpr uint32_t kMaxRefFramesInCycle = 255;

bool HighProfile(uint32_t profile) { return profile == 100 || profile == 110 || profile == 122 || profile == 144; }

void SkipScalingList(const uint8_t* bytes, uint32_t length, uint64_t& pos, int size) {
  int32_t lastScale = 8;
  int32_t nextScale = 8;
  for (int j = 0; j < size && nextScale != 0; ++j) {
    int32_t delta = ReadSe(bytes, length, pos);
    nextScale = (lastScale + delta + 256) % 256;
    if (nextScale != 0) lastScale = nextScale;
    if (pos > uint64_t{length} * 8) return;
  }
}

void SkipHighProfileFields(const uint8_t* bytes, uint32_t length, uint64_t& pos) {
  uint32_t chromaFormat = ReadUe(bytes, length, pos);
  if (chromaFormat == 3) ReadBits(1, bytes, length, pos);  // separate_colour_plane_flag
  ReadUe(bytes, length, pos);  // bit_depth_luma_minus8
  ReadUe(bytes, length, pos);  // bit_depth_chroma_minus8
  ReadBits(1, bytes, length, pos);  // qpprime_y_zero_transform_bypass_flag
  if (ReadBits(1, bytes, length, pos) == 0) return;  // seq_scaling_matrix_present_flag
  int lists = chromaFormat == 3 ? 12 : 8;
  for (int i = 0; i < lists; ++i) {
    if (ReadBits(1, bytes, length, pos)) SkipScalingList(bytes, length, pos, i < 6 ? 16 : 64);
  }
}

bool SkipPicOrderFields(const uint8_t* bytes, uint32_t length, uint64_t& pos) {
  uint32_t type = ReadUe(bytes, length, pos);
  if (type == 0) {
    ReadUe(bytes, length, pos);  // log2_max_pic_order_cnt_lsb_minus4
  } else if (type == 1) {
    ReadBits(1, bytes, length, pos);  // delta_pic_order_always_zero_flag
    ReadSe(bytes, length, pos);  // offset_for_non_ref_pic
    ReadSe(bytes, length, pos);  // offset_for_top_to_bottom_field
    uint32_t cycle = ReadUe(bytes, length, pos);
    if (cycle > kMaxRefFramesInCycle) return false;
    for (uint32_t i = 0; i < cycle; ++i) ReadSe(bytes, length, pos);  // offset_for_ref_frame
  }
  return true;
}

}  // namespace

uint32_t ReadBits(int count, const uint8_t* bytes, uint32_t length, uint64_t& pos) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) {
    uint64_t byte = pos >> 3;
    uint32_t bit = byte < length ? (bytes[byte] >> (7 - (pos & 7))) & 1u : 0u;
    value = (value << 1) | bit;
    ++pos;
  }
  return value;
}

uint32_t ReadUe(const uint8_t* bytes, uint32_t length, uint64_t& pos) {
  const uint64_t end = uint64_t{length} * 8;
  int zeros = 0;
  bool foundOne = false;
  while (pos < end) {
    if (ReadBits(1, bytes, length, pos)) {
      foundOne = true;
      break;
    }
    ++zeros;
  }
  // Without its terminating 1 bit the value is meaningless; pos then lies past the end,
  // which is how callers see the overrun.
  if (!foundOne) ++pos;
  if (zeros >= 32) {
    pos += static_cast<uint64_t>(zeros);
    return UINT32_MAX;
  }
  return static_cast<uint32_t>((uint64_t{1} << zeros) - 1 + ReadBits(zeros, bytes, length, pos));
}

int32_t ReadSe(const uint8_t* bytes, uint32_t length, uint64_t& pos) {
  uint32_t k = ReadUe(bytes, length, pos);
  if (k & 1u) return static_cast<int32_t>((uint64_t{k} + 1) / 2);
  return -static_cast<int32_t>(k / 2);
}

bool ParseSps(const uint8_t* bytes, uint32_t length, int32_t& width, int32_t& height) {
  if (bytes == nullptr || length == 0) return false;
  uint64_t pos = 0;
  ReadBits(3, bytes, length, pos);  // forbidden_zero_bit, nal_ref_idc
  if (ReadBits(5, bytes, length, pos) != 7) return false;
  uint32_t profile = ReadBits(8, bytes, length, pos);
  ReadBits(8, bytes, length, pos);  // constraint flags and reserved bits
  ReadBits(8, bytes, length, pos);  // level_idc
  ReadUe(bytes, length, pos);  // seq_parameter_set_id
  if (HighProfile(profile)) SkipHighProfileFields(bytes, length, pos);
  ReadUe(bytes, length, pos);  // log2_max_frame_num_minus4
  if (!SkipPicOrderFields(bytes, length, pos)) return false;
  ReadUe(bytes, length, pos);  // max_num_ref_frames
  ReadBits(1, bytes, length, pos);  // gaps_in_frame_num_value_allowed_flag
  uint64_t widthMbs = uint64_t{ReadUe(bytes, length, pos)} + 1;
  uint64_t heightUnits = uint64_t{ReadUe(bytes, length, pos)} + 1;
  if (pos > uint64_t{length} * 8) return false;
  if (widthMbs * 16 > kMaxDimension || heightUnits * 16 > kMaxDimension) return false;
  width = static_cast<int32_t>(widthMbs * 16);
  height = static_cast<int32_t>(heightUnits * 16);
  return true;
}

}  // namespace zv
