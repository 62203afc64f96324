// A 5 x 7 pixel font for the simulated phone's texts: digits, capitals and the few signs
// its labels use. Lower case is drawn as upper case; unknown characters as a box.
#pragma once

#include <cstdint>

namespace zv::sim::phone {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;

// Row r of the glyph, bit 4 the leftmost pixel.
uint8_t GlyphRow(char c, int row);

}  // namespace zv::sim::phone
