// fuzz-libs: zv_player
// AMF0 command bodies as a server could send them, through the onStatus reader.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "player/status_packet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> body(data, data + size);
  zv::ReadStatusCode(zv::kRtmpCommandAmf0, body.data(), static_cast<uint32_t>(body.size()));
  return 0;
}
