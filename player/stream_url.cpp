#include "player/stream_url.h"

namespace zv {

namespace {

void WriteBe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v);
}

void WriteBe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

}  // namespace

bool ComposeStreamUrl(const std::string& videoUrl, const std::string& session, const std::string& padCode,
                      int32_t streamNumber, std::string& out) {
  std::string url = videoUrl + session + "-" + padCode + "-" + std::to_string(streamNumber);
  if (url.size() > kStreamUrlCapacity - 1) return false;
  out = std::move(url);
  return true;
}

void BuildAutoQualityBody(int32_t streamId, bool automatic, uint8_t out[kAutoQualityBodySize]) {
  WriteBe16(out, USER_CONTROL_AUTO_QUALITY);
  WriteBe32(out + 2, static_cast<uint32_t>(streamId));
  WriteBe32(out + 6, automatic ? 1u : 0u);
}

}  // namespace zv
