// Reads the video tags of a recorded FLV file: the same bodies an RTMP server sends as
// video messages, so a recording can be played through the tag parser.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zv {

struct FlvTag {
  uint8_t type = 0;  // 8 audio, 9 video, 18 script data
  uint32_t timestamp = 0;
  std::vector<uint8_t> body;
};

// Every tag of the file in order; false when the file is missing or not FLV. A truncated
// last tag is left out.
bool ReadFlvFile(const std::string& path, std::vector<FlvTag>& tags);
bool ParseFlv(const uint8_t* data, size_t size, std::vector<FlvTag>& tags);

}  // namespace zv
