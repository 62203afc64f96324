// Bit reading and the sequence parameter set fields that give the picture size. Every
// read is bounded by the given length: bits past the end read as zero, and ParseSps
// refuses an SPS whose fields run past its bytes.
#pragma once

#include <cstdint>

namespace zv {

uint32_t ReadBits(int count, const uint8_t* bytes, uint32_t length, uint64_t& pos);
uint32_t ReadUe(const uint8_t* bytes, uint32_t length, uint64_t& pos);
int32_t ReadSe(const uint8_t* bytes, uint32_t length, uint64_t& pos);

// True when bytes (from the NAL header byte on) are an SPS with a sane size; the outputs
// are written only then. The size is the coded size in whole macroblocks.
bool ParseSps(const uint8_t* bytes, uint32_t length, int32_t& width, int32_t& height);

}  // namespace zv
