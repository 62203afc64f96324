// Builds bit strings for SPS and Exp-Golomb cases.
#pragma once

#include <cstdint>
#include <vector>

namespace zv::test {

class BitWriter {
 public:
  void Bits(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; --i) Bit((value >> i) & 1u);
  }
  void Ue(uint32_t value) {
    uint64_t v = uint64_t{value} + 1;
    int bits = 0;
    while ((v >> bits) > 1) ++bits;
    Bits(0, bits);
    for (int i = bits; i >= 0; --i) Bit(static_cast<uint32_t>((v >> i) & 1u));
  }
  void Se(int32_t value) { Ue(value > 0 ? static_cast<uint32_t>(2 * value - 1) : static_cast<uint32_t>(-2 * value)); }
  // Closes the last byte with a stop bit, as an RBSP trailer does.
  std::vector<uint8_t> Finish() {
    Bit(1);
    while (m_used % 8) Bit(0);
    return m_bytes;
  }

 private:
  void Bit(uint32_t bit) {
    if (m_used % 8 == 0) m_bytes.push_back(0);
    if (bit) m_bytes.back() |= static_cast<uint8_t>(0x80u >> (m_used % 8));
    ++m_used;
  }
  std::vector<uint8_t> m_bytes;
  size_t m_used = 0;
};

}  // namespace zv::test
