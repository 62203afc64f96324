#include "player/status_packet.h"

namespace zv {

namespace {

// AMF0 type markers.
enum AmfMarker : uint8_t {
  AMF_NUMBER = 0x00,
  AMF_BOOLEAN = 0x01,
  AMF_STRING = 0x02,
  AMF_OBJECT = 0x03,
  AMF_NULL = 0x05,
  AMF_UNDEFINED = 0x06,
  AMF_REFERENCE = 0x07,
  AMF_ECMA_ARRAY = 0x08,
  AMF_OBJECT_END = 0x09,
  AMF_STRICT_ARRAY = 0x0A,
  AMF_DATE = 0x0B,
  AMF_LONG_STRING = 0x0C,
  AMF_UNSUPPORTED = 0x0D,
  AMF_XML_DOCUMENT = 0x0F,
  AMF_TYPED_OBJECT = 0x10,
};

constexpr int kMaxDepth = 32;

// A bounded AMF0 reader. librtmp's own decoder leaks the members of a nested object that
// fails to decode, so the command is read here; the packet still goes to librtmp after.
class CAmfReader {
 public:
  CAmfReader(const uint8_t* data, uint32_t size) : m_data(data), m_size(size) {}

  bool AtEnd() const { return m_pos == m_size; }
  bool ReadString(std::string& out) {
    uint8_t marker = 0;
    if (!ReadU8(marker) || marker != AMF_STRING) return false;
    return ReadUtf8(2, &out);
  }
  // Skips one value; when code is given and the value is an object, its "code" string
  // member is stored there.
  bool SkipValue(int depth, std::string* code = nullptr) {
    uint8_t marker = 0;
    if (depth > kMaxDepth || !ReadU8(marker)) return false;
    uint32_t count = 0;
    switch (marker) {
      case AMF_NUMBER: return Skip(8);
      case AMF_BOOLEAN: return Skip(1);
      case AMF_STRING: return ReadUtf8(2, nullptr);
      case AMF_LONG_STRING:
      case AMF_XML_DOCUMENT: return ReadUtf8(4, nullptr);
      case AMF_NULL:
      case AMF_UNDEFINED:
      case AMF_UNSUPPORTED: return true;
      case AMF_REFERENCE: return Skip(2);
      case AMF_DATE: return Skip(10);
      case AMF_OBJECT: return SkipMembers(depth, code);
      case AMF_ECMA_ARRAY: return Skip(4) && SkipMembers(depth, code);
      case AMF_TYPED_OBJECT: return ReadUtf8(2, nullptr) && SkipMembers(depth, nullptr);
      case AMF_STRICT_ARRAY:
        if (!ReadBe(4, count)) return false;
        for (uint32_t i = 0; i < count; ++i) {
          if (!SkipValue(depth + 1)) return false;
        }
        return true;
      default: return false;  // AMF3 and reserved markers
    }
  }

 private:
  bool SkipMembers(int depth, std::string* code) {
    for (;;) {
      std::string name;
      if (!ReadUtf8(2, &name)) return false;
      if (name.empty() && m_pos < m_size && m_data[m_pos] == AMF_OBJECT_END) {
        ++m_pos;
        return true;
      }
      if (code && name == "code" && m_pos < m_size && m_data[m_pos] == AMF_STRING) {
        ++m_pos;
        if (!ReadUtf8(2, code)) return false;
        continue;
      }
      if (!SkipValue(depth + 1)) return false;
    }
  }
  bool ReadU8(uint8_t& out) {
    if (m_pos >= m_size) return false;
    out = m_data[m_pos++];
    return true;
  }
  bool ReadBe(int bytes, uint32_t& out) {
    if (m_size - m_pos < static_cast<uint32_t>(bytes)) return false;
    out = 0;
    for (int i = 0; i < bytes; ++i) out = (out << 8) | m_data[m_pos++];
    return true;
  }
  bool Skip(uint32_t bytes) {
    if (m_size - m_pos < bytes) return false;
    m_pos += bytes;
    return true;
  }
  bool ReadUtf8(int lengthBytes, std::string* out) {
    uint32_t length = 0;
    if (!ReadBe(lengthBytes, length) || m_size - m_pos < length) return false;
    if (out) out->assign(reinterpret_cast<const char*>(m_data + m_pos), length);
    m_pos += length;
    return true;
  }

  const uint8_t* m_data;
  uint32_t m_size;
  uint32_t m_pos = 0;
};

}  // namespace

std::string ReadStatusCode(uint8_t messageType, const char* body, uint32_t size) {
  if (messageType != kRtmpCommandAmf0 || body == nullptr || size < 1 || body[0] != AMF_STRING) return {};
  CAmfReader reader(reinterpret_cast<const uint8_t*>(body), size);
  std::string name;
  if (!reader.ReadString(name)) return {};
  std::string code;
  // Transaction number, command object, then the information object with the code.
  for (int index = 1; !reader.AtEnd(); ++index) {
    std::string* wanted = index == 3 && name == "onStatus" ? &code : nullptr;
    if (!reader.SkipValue(0, wanted)) return {};
  }
  return name == "onStatus" ? code : std::string();
}

}  // namespace zv
