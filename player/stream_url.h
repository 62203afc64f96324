// The stream URL of a device session and the user-control body that tells the stream
// server whether automatic quality is on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zv {

constexpr size_t kStreamUrlCapacity = 1024;  // NUL included
constexpr uint16_t USER_CONTROL_AUTO_QUALITY = 31;
constexpr size_t kAutoQualityBodySize = 10;

// "%s%s-%s-%d": videoUrl, session, pad code, stream number. False (out untouched) when
// the text would not fit the 1023 characters of the URL buffer.
bool ComposeStreamUrl(const std::string& videoUrl, const std::string& session, const std::string& padCode,
                      int32_t streamNumber, std::string& out);

// Event type, stream id and flag, all big-endian.
void BuildAutoQualityBody(int32_t streamId, bool automatic, uint8_t out[kAutoQualityBodySize]);

}  // namespace zv
