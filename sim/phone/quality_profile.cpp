#include "sim/phone/quality_profile.h"

namespace zv::sim::phone {
namespace {

constexpr QualityProfile kProfiles[] = {
    {1, "HD", 2'500'000, 30},
    {2, "NORMAL", 1'200'000, 25},
    {3, "FAST", 600'000, 20},
    {4, "ULTRA-FAST", 300'000, 15},
};

}  // namespace

bool IsQualityValue(int value) {
  return value >= 1 && value <= 4;
}

const QualityProfile& ProfileFor(int value) {
  return kProfiles[IsQualityValue(value) ? value - 1 : 0];
}

}  // namespace zv::sim::phone
