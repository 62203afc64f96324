// Explicit little-endian field access for the control channel's wire format: fields are
// written byte by byte so that the layout never depends on the host or on struct padding.
#pragma once

#include <cstdint>

namespace zv {

inline void StoreLe32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t LoadLe32(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 |
         static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[3]) << 24;
}

inline int32_t LoadLe32Signed(const uint8_t* in) {
  return static_cast<int32_t>(LoadLe32(in));
}

}  // namespace zv
