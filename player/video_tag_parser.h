// Turns FLV video tag bodies (RTMP messages of type 9) into H.264 Annex-B packets for the
// decoder: keeps the last sequence header's SPS and PPS as a prefix for the next keyframe,
// reads the picture size from the SPS and counts the video packets.
#pragma once

#include <cstdint>

#include "player/pipeline.h"

namespace zv {

class CVideoTagParser {
 public:
  static constexpr int32_t kPrefixCapacity = 100;

  CVideoTagParser(ITagEvents& events, IPacketSink& sink) : m_events(events), m_sink(sink) {}

  void ParseVideoTag(const uint8_t* body, uint32_t size, uint32_t timestamp);

  int32_t Width() const { return m_width; }
  int32_t Height() const { return m_height; }
  int32_t PrefixLength() const { return m_prefixLength; }
  bool PrefixPending() const { return m_prefixPending; }

 private:
  void ParseSequenceHeader(const uint8_t* body, uint32_t size);
  void ParseNalTag(const uint8_t* body, uint32_t size, bool keyframe, uint32_t timestamp);
  // Both return the packet size, or -1 when the tag does not fit or is malformed.
  int32_t AssembleAsIs(const uint8_t* nal, uint32_t nalLength, bool withPrefix);
  int32_t AssembleLengthPrefixed(const uint8_t* units, uint32_t size, bool withPrefix);

  ITagEvents& m_events;
  IPacketSink& m_sink;
  uint8_t m_prefix[kPrefixCapacity] = {};
  int32_t m_prefixLength = 0;
  bool m_prefixPending = true;
  int32_t m_width = 0;
  int32_t m_height = 0;
};

}  // namespace zv
