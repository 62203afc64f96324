#include "sim/stream/amf0.h"

#include <bit>

namespace zv::sim::rtmp {
namespace {

constexpr uint8_t kMarkerNumber = 0;
constexpr uint8_t kMarkerBoolean = 1;
constexpr uint8_t kMarkerString = 2;
constexpr uint8_t kMarkerObject = 3;
constexpr uint8_t kMarkerNull = 5;
constexpr uint8_t kMarkerUndefined = 6;
constexpr uint8_t kMarkerEcmaArray = 8;
constexpr uint8_t kMarkerObjectEnd = 9;
constexpr uint8_t kMarkerStrictArray = 10;
constexpr uint8_t kMarkerDate = 11;
constexpr uint8_t kMarkerLongString = 12;
constexpr int kMaxDepth = 16;

void PutDouble(Bytes& out, double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  PutU32Be(out, static_cast<uint32_t>(bits >> 32));
  PutU32Be(out, static_cast<uint32_t>(bits));
}

double GetDouble(const uint8_t* p) {
  const uint64_t bits = (uint64_t{GetU32Be(p)} << 32) | GetU32Be(p + 4);
  return std::bit_cast<double>(bits);
}

void PutShortString(Bytes& out, const std::string& s) {
  const size_t n = s.size() > 0xFFFF ? 0xFFFF : s.size();
  PutU16Be(out, static_cast<uint32_t>(n));
  out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

void PutProps(Bytes& out, const std::vector<std::pair<std::string, AmfValue>>& props) {
  for (const auto& [key, value] : props) {
    PutShortString(out, key);
    EncodeAmf(value, out);
  }
  PutU16Be(out, 0);
  PutU8(out, kMarkerObjectEnd);
}

bool ReadString(const uint8_t* data, size_t size, size_t& pos, size_t lengthBytes, std::string& out) {
  if (size - pos < lengthBytes) return false;
  const size_t n = lengthBytes == 2 ? GetU16Be(data + pos) : GetU32Be(data + pos);
  pos += lengthBytes;
  if (size - pos < n) return false;
  out.assign(reinterpret_cast<const char*>(data + pos), n);
  pos += n;
  return true;
}

bool Decode(const uint8_t* data, size_t size, size_t& pos, AmfValue& out, int depth);

bool ReadProps(const uint8_t* data, size_t size, size_t& pos, AmfValue& out, int depth) {
  for (;;) {
    if (size - pos >= 3 && GetU16Be(data + pos) == 0 && data[pos + 2] == kMarkerObjectEnd) {
      pos += 3;
      return true;
    }
    std::string key;
    if (!ReadString(data, size, pos, 2, key)) return false;
    AmfValue value;
    if (!Decode(data, size, pos, value, depth + 1)) return false;
    out.props.emplace_back(std::move(key), std::move(value));
  }
}

bool Decode(const uint8_t* data, size_t size, size_t& pos, AmfValue& out, int depth) {
  if (depth > kMaxDepth || pos >= size) return false;
  const uint8_t marker = data[pos++];
  out = AmfValue{};
  switch (marker) {
    case kMarkerNumber:
      if (size - pos < 8) return false;
      out.type = AmfType::kNumber;
      out.number = GetDouble(data + pos);
      pos += 8;
      return true;
    case kMarkerBoolean:
      if (size - pos < 1) return false;
      out.type = AmfType::kBoolean;
      out.boolean = data[pos++] != 0;
      return true;
    case kMarkerString:
      out.type = AmfType::kString;
      return ReadString(data, size, pos, 2, out.text);
    case kMarkerLongString:
      out.type = AmfType::kString;
      return ReadString(data, size, pos, 4, out.text);
    case kMarkerObject:
      out.type = AmfType::kObject;
      return ReadProps(data, size, pos, out, depth);
    case kMarkerEcmaArray:
      // The count is only a hint; the end marker closes the array.
      if (size - pos < 4) return false;
      pos += 4;
      out.type = AmfType::kEcmaArray;
      return ReadProps(data, size, pos, out, depth);
    case kMarkerStrictArray: {
      if (size - pos < 4) return false;
      const uint32_t count = GetU32Be(data + pos);
      pos += 4;
      out.type = AmfType::kStrictArray;
      for (uint32_t i = 0; i < count; ++i) {
        AmfValue item;
        if (!Decode(data, size, pos, item, depth + 1)) return false;
        out.items.push_back(std::move(item));
      }
      return true;
    }
    case kMarkerDate:
      if (size - pos < 10) return false;
      out.type = AmfType::kDate;
      out.number = GetDouble(data + pos);
      pos += 10;
      return true;
    case kMarkerNull:
      out.type = AmfType::kNull;
      return true;
    case kMarkerUndefined:
      out.type = AmfType::kUndefined;
      return true;
    default:
      return false;
  }
}

}  // namespace

AmfValue AmfValue::Number(double v) {
  AmfValue a;
  a.type = AmfType::kNumber;
  a.number = v;
  return a;
}
AmfValue AmfValue::Boolean(bool v) {
  AmfValue a;
  a.type = AmfType::kBoolean;
  a.boolean = v;
  return a;
}
AmfValue AmfValue::String(std::string v) {
  AmfValue a;
  a.type = AmfType::kString;
  a.text = std::move(v);
  return a;
}
AmfValue AmfValue::Null() {
  AmfValue a;
  a.type = AmfType::kNull;
  return a;
}
AmfValue AmfValue::Object(std::vector<std::pair<std::string, AmfValue>> props) {
  AmfValue a;
  a.type = AmfType::kObject;
  a.props = std::move(props);
  return a;
}
AmfValue AmfValue::EcmaArray(std::vector<std::pair<std::string, AmfValue>> props) {
  AmfValue a;
  a.type = AmfType::kEcmaArray;
  a.props = std::move(props);
  return a;
}

const AmfValue* AmfValue::Find(const std::string& key) const {
  for (const auto& [k, v] : props) {
    if (k == key) return &v;
  }
  return nullptr;
}

std::string AmfValue::StringOr(const std::string& fallback) const {
  return type == AmfType::kString ? text : fallback;
}

double AmfValue::NumberOr(double fallback) const {
  return type == AmfType::kNumber ? number : fallback;
}

void EncodeAmf(const AmfValue& value, Bytes& out) {
  switch (value.type) {
    case AmfType::kNumber:
      PutU8(out, kMarkerNumber);
      PutDouble(out, value.number);
      break;
    case AmfType::kBoolean:
      PutU8(out, kMarkerBoolean);
      PutU8(out, value.boolean ? 1 : 0);
      break;
    case AmfType::kString:
      if (value.text.size() > 0xFFFF) {
        PutU8(out, kMarkerLongString);
        PutU32Be(out, static_cast<uint32_t>(value.text.size()));
        out.insert(out.end(), value.text.begin(), value.text.end());
      } else {
        PutU8(out, kMarkerString);
        PutShortString(out, value.text);
      }
      break;
    case AmfType::kObject:
      PutU8(out, kMarkerObject);
      PutProps(out, value.props);
      break;
    case AmfType::kEcmaArray:
      PutU8(out, kMarkerEcmaArray);
      PutU32Be(out, static_cast<uint32_t>(value.props.size()));
      PutProps(out, value.props);
      break;
    case AmfType::kStrictArray:
      PutU8(out, kMarkerStrictArray);
      PutU32Be(out, static_cast<uint32_t>(value.items.size()));
      for (const auto& item : value.items) EncodeAmf(item, out);
      break;
    case AmfType::kDate:
      PutU8(out, kMarkerDate);
      PutDouble(out, value.number);
      PutU16Be(out, 0);
      break;
    case AmfType::kNull:
      PutU8(out, kMarkerNull);
      break;
    case AmfType::kUndefined:
      PutU8(out, kMarkerUndefined);
      break;
  }
}

bool DecodeAmf(const uint8_t* data, size_t size, size_t& pos, AmfValue& out) {
  return Decode(data, size, pos, out, 0);
}

bool DecodeAmfSequence(const uint8_t* data, size_t size, std::vector<AmfValue>& out) {
  size_t pos = 0;
  while (pos < size) {
    AmfValue v;
    if (!DecodeAmf(data, size, pos, v)) return false;
    out.push_back(std::move(v));
  }
  return true;
}

}  // namespace zv::sim::rtmp
