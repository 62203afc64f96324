#include "player/video_tag_parser.h"

#include <cstring>

#include "player/sps_parser.h"

namespace zv {

namespace {

constexpr uint8_t kCodecAvc = 7;
constexpr uint8_t kFrameKey = 1;
constexpr uint8_t kFrameInter = 2;
constexpr uint8_t kAvcSequenceHeader = 0;
constexpr uint8_t kAvcNalUnit = 1;
constexpr uint32_t kNalOffset = 9;
constexpr uint8_t kStartCode[4] = {0, 0, 0, 1};

uint32_t ReadBe16(const uint8_t* p) { return (uint32_t{p[0]} << 8) | p[1]; }
uint32_t ReadBe32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool StartsWithStartCode(const uint8_t* p, uint32_t n) {
  if (n >= 4 && p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 1) return true;
  return n >= 3 && p[0] == 0 && p[1] == 0 && p[2] == 1;
}

}  // namespace

void CVideoTagParser::ParseVideoTag(const uint8_t* body, uint32_t size, uint32_t timestamp) {
  if (body == nullptr || size < 1 || (body[0] & 0x0F) != kCodecAvc) return;
  uint8_t frameType = body[0] >> 4;
  if (frameType == kFrameKey) {
    if (size < 2) return;
    if (body[1] == kAvcSequenceHeader) {
      ParseSequenceHeader(body, size);
    } else if (body[1] == kAvcNalUnit) {
      ParseNalTag(body, size, true, timestamp);
    }
  } else if (frameType == kFrameInter) {
    ParseNalTag(body, size, false, timestamp);
  }
}

void CVideoTagParser::ParseSequenceHeader(const uint8_t* body, uint32_t size) {
  m_prefixPending = true;
  m_events.OnSequenceHeader();
  if (size < 13 || body[5] != 1 || body[9] != 0xFF) return;
  uint32_t spsLength = ReadBe16(body + 11);
  if (13 + spsLength + 3 > size) return;
  const uint8_t* sps = body + 13;
  uint32_t ppsLength = ReadBe16(body + 14 + spsLength);
  if (16 + spsLength + ppsLength > size) return;
  // Parameter sets that do not fit the prefix are refused whole, keeping the last good one.
  if (8 + spsLength + ppsLength > static_cast<uint32_t>(kPrefixCapacity)) return;
  const uint8_t* pps = body + 16 + spsLength;
  uint8_t* out = m_prefix;
  std::memcpy(out, kStartCode, 4);
  std::memcpy(out + 4, sps, spsLength);
  std::memcpy(out + 4 + spsLength, kStartCode, 4);
  std::memcpy(out + 8 + spsLength, pps, ppsLength);
  m_prefixLength = static_cast<int32_t>(8 + spsLength + ppsLength);
  int32_t width = 0;
  int32_t height = 0;
  if (ParseSps(sps, spsLength, width, height)) {
    m_width = width;
    m_height = height;
  }
  // An unreadable SPS with no earlier size leaves nothing to report.
  if (m_width > 0 && m_height > 0) m_events.OnVideoSize(m_width, m_height);
}

void CVideoTagParser::ParseNalTag(const uint8_t* body, uint32_t size, bool keyframe, uint32_t timestamp) {
  m_events.OnVideoPacket();
  if (size < kNalOffset) return;
  uint32_t nalLength = ReadBe32(body + 5);
  if (nalLength > size - kNalOffset) return;
  bool withPrefix = keyframe && m_prefixPending;
  const uint8_t* nal = body + kNalOffset;
  int32_t packetSize = StartsWithStartCode(nal, nalLength) ? AssembleAsIs(nal, nalLength, withPrefix)
                                                           : AssembleLengthPrefixed(body + 5, size - 5, withPrefix);
  if (packetSize <= 0) return;
  if (withPrefix) m_prefixPending = false;
  m_sink.DecodePacket(packetSize, keyframe, static_cast<int32_t>(nalLength), timestamp);
}

int32_t CVideoTagParser::AssembleAsIs(const uint8_t* nal, uint32_t nalLength, bool withPrefix) {
  uint32_t prefix = withPrefix ? static_cast<uint32_t>(m_prefixLength) : 0;
  if (prefix + uint64_t{nalLength} > static_cast<uint64_t>(m_sink.PacketCapacity())) return -1;
  uint8_t* out = m_sink.PacketBuffer();
  if (prefix) std::memcpy(out, m_prefix, prefix);
  std::memcpy(out + prefix, nal, nalLength);
  return static_cast<int32_t>(prefix + nalLength);
}

int32_t CVideoTagParser::AssembleLengthPrefixed(const uint8_t* units, uint32_t size, bool withPrefix) {
  const uint64_t capacity = static_cast<uint64_t>(m_sink.PacketCapacity());
  uint64_t used = withPrefix ? static_cast<uint32_t>(m_prefixLength) : 0;
  uint8_t* out = m_sink.PacketBuffer();
  if (used > capacity) return -1;
  if (used) std::memcpy(out, m_prefix, used);
  uint32_t offset = 0;
  while (size - offset >= 4) {
    uint32_t length = ReadBe32(units + offset);
    offset += 4;
    if (length > size - offset) return -1;
    if (length == 0) continue;
    if (used + 4 + length > capacity) return -1;
    std::memcpy(out + used, kStartCode, 4);
    std::memcpy(out + used + 4, units + offset, length);
    used += 4 + length;
    offset += length;
  }
  return static_cast<int32_t>(used);
}

}  // namespace zv
