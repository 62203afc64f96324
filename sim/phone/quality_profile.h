// What each quality value of the control channel means for the simulated phone's encoder.
#pragma once

namespace zv::sim::phone {

struct QualityProfile {
  int value;         // 1 HD .. 4 Ultra-fast, as the control channel carries it
  const char* name;  // ASCII, drawn on the phone's screen
  int bitrate;       // bits per second
  int fps;
};

constexpr int kDefaultQuality = 1;

bool IsQualityValue(int value);
// The profile of a valid value, HD for anything else.
const QualityProfile& ProfileFor(int value);

}  // namespace zv::sim::phone
