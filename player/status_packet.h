// Reading the server's onStatus notifications out of AMF0 command messages.
#pragma once

#include <cstdint>
#include <string>

namespace zv {

constexpr uint8_t kRtmpCommandAmf0 = 0x14;
constexpr const char* kStatusDataDropped = "NetStream.DataDroped.Notify";

// The "code" of an onStatus command (message type 0x14 whose body starts with an AMF0
// string); empty for every other message or a body that does not decode.
std::string ReadStatusCode(uint8_t messageType, const char* body, uint32_t size);

}  // namespace zv
