// FLV video tag bodies in the platform's form: one AVC sequence header per encoder
// start, then one tag per picture whose single 4-byte length covers the encoder's whole
// Annex-B access unit, start codes included.
#pragma once

#include <string>

#include "sim/stream/byte_order.h"

namespace zv::sim::rtmp {

struct ParameterSets {
  Bytes sps;  // NAL units without start code, header byte included
  Bytes pps;
};

// Finds the first SPS and PPS of an Annex-B access unit; false when either is missing.
bool FindParameterSets(const uint8_t* data, size_t size, ParameterSets& out);

// Frame type 1, packet type 0, then an AVCDecoderConfigurationRecord with one SPS and one
// PPS and 4-byte NAL lengths. Empty when the SPS is too short to carry a profile.
Bytes BuildSequenceHeader(const ParameterSets& sets);

Bytes BuildPictureTag(const uint8_t* accessUnit, size_t size, bool keyframe);

}  // namespace zv::sim::rtmp
