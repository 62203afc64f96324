// AMF0 values as RTMP commands carry them: enough of the format to read what players
// send and to write what they expect back.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sim/stream/byte_order.h"

namespace zv::sim::rtmp {

enum class AmfType {
  kNumber,
  kBoolean,
  kString,
  kObject,
  kNull,
  kUndefined,
  kEcmaArray,
  kStrictArray,
  kDate
};

struct AmfValue {
  AmfType type = AmfType::kUndefined;
  double number = 0;
  bool boolean = false;
  std::string text;
  std::vector<std::pair<std::string, AmfValue>> props;  // object and ECMA array
  std::vector<AmfValue> items;                          // strict array

  static AmfValue Number(double v);
  static AmfValue Boolean(bool v);
  static AmfValue String(std::string v);
  static AmfValue Null();
  static AmfValue Object(std::vector<std::pair<std::string, AmfValue>> props = {});
  static AmfValue EcmaArray(std::vector<std::pair<std::string, AmfValue>> props = {});

  // Property lookup for objects and ECMA arrays; nullptr when absent.
  const AmfValue* Find(const std::string& key) const;
  std::string StringOr(const std::string& fallback) const;
  double NumberOr(double fallback) const;
};

void EncodeAmf(const AmfValue& value, Bytes& out);

// Reads one value at pos, advancing it. False on a truncated or unknown encoding, or when
// nesting goes deeper than a command could need.
bool DecodeAmf(const uint8_t* data, size_t size, size_t& pos, AmfValue& out);

// Reads values until the end of the body; false when any of them is malformed.
bool DecodeAmfSequence(const uint8_t* data, size_t size, std::vector<AmfValue>& out);

}  // namespace zv::sim::rtmp
