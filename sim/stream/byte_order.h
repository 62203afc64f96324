// Big- and little-endian field helpers for the RTMP and FLV wire formats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zv::sim::rtmp {

using Bytes = std::vector<uint8_t>;

inline void PutU8(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
}
inline void PutU16Be(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
inline void PutU24Be(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 16));
  PutU16Be(out, v);
}
inline void PutU32Be(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v >> 24));
  PutU24Be(out, v);
}
// The message stream id of a type-0 chunk header is the one little-endian field of RTMP.
inline void PutU32Le(Bytes& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline uint32_t GetU16Be(const uint8_t* p) {
  return (uint32_t{p[0]} << 8) | p[1];
}
inline uint32_t GetU24Be(const uint8_t* p) {
  return (uint32_t{p[0]} << 16) | GetU16Be(p + 1);
}
inline uint32_t GetU32Be(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | GetU24Be(p + 1);
}
inline uint32_t GetU32Le(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

}  // namespace zv::sim::rtmp
