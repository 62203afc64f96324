#include "sim/stream/flv_avc.h"

namespace zv::sim::rtmp {
namespace {

constexpr uint8_t kNalSps = 7;
constexpr uint8_t kNalPps = 8;

// Position just after the next 00 00 01 at or after from, or size when there is none.
size_t NextStart(const uint8_t* d, size_t size, size_t from) {
  for (size_t i = from; i + 3 <= size; ++i) {
    if (d[i] == 0 && d[i + 1] == 0 && d[i + 2] == 1) return i + 3;
  }
  return size;
}

}  // namespace

bool FindParameterSets(const uint8_t* data, size_t size, ParameterSets& out) {
  out = ParameterSets{};
  size_t start = NextStart(data, size, 0);
  while (start < size) {
    size_t next = NextStart(data, size, start);
    size_t end = next == size ? size : next - 3;
    // A four-byte start code leaves its leading zero at the end of the previous unit.
    while (end > start && data[end - 1] == 0 && next != size) --end;
    const uint8_t type = data[start] & 0x1F;
    if (type == kNalSps && out.sps.empty()) out.sps.assign(data + start, data + end);
    if (type == kNalPps && out.pps.empty()) out.pps.assign(data + start, data + end);
    start = next;
  }
  return !out.sps.empty() && !out.pps.empty();
}

Bytes BuildSequenceHeader(const ParameterSets& sets) {
  Bytes out;
  if (sets.sps.size() < 4 || sets.pps.empty() || sets.sps.size() > 0xFFFF || sets.pps.size() > 0xFFFF)
    return out;
  PutU8(out, 0x17);
  PutU8(out, 0);
  PutU24Be(out, 0);
  PutU8(out, 1);
  PutU8(out, sets.sps[1]);
  PutU8(out, sets.sps[2]);
  PutU8(out, sets.sps[3]);
  PutU8(out, 0xFF);
  PutU8(out, 0xE1);
  PutU16Be(out, static_cast<uint32_t>(sets.sps.size()));
  out.insert(out.end(), sets.sps.begin(), sets.sps.end());
  PutU8(out, 1);
  PutU16Be(out, static_cast<uint32_t>(sets.pps.size()));
  out.insert(out.end(), sets.pps.begin(), sets.pps.end());
  return out;
}

Bytes BuildPictureTag(const uint8_t* accessUnit, size_t size, bool keyframe) {
  Bytes out;
  out.reserve(size + 9);
  PutU8(out, keyframe ? 0x17 : 0x27);
  PutU8(out, 1);
  PutU24Be(out, 0);
  PutU32Be(out, static_cast<uint32_t>(size));
  out.insert(out.end(), accessUnit, accessUnit + size);
  return out;
}

}  // namespace zv::sim::rtmp
