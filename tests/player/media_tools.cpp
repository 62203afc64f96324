#include "tests/player/media_tools.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace zv::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "zv-player-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data())) m_path = buffer.data();
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

bool RunCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

bool MakeFlvClip(const std::string& path, int width, int height, int frames, const std::string& x264Options) {
  std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=" + std::to_string(width) +
                        "x" + std::to_string(height) + ":rate=30 -frames:v " + std::to_string(frames) +
                        " -pix_fmt yuv420p -c:v libx264 " + x264Options + " -f flv '" + path + "'";
  return RunCommand(command);
}

bool DecodeToBgra(const std::string& flvPath, std::vector<uint8_t>& pixels) {
  std::string raw = flvPath + ".bgra";
  if (!RunCommand("ffmpeg -nostdin -hide_banner -loglevel error -y -i '" + flvPath + "' -f rawvideo -pix_fmt bgra '" + raw + "'")) {
    return false;
  }
  std::ifstream file(raw, std::ios::binary);
  pixels.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !pixels.empty();
}

bool SameAsFlipped(const uint8_t* topDown, const CapturedFrame& frame) {
  const size_t stride = static_cast<size_t>(frame.width) * 4;
  for (int32_t row = 0; row < frame.height; ++row) {
    const uint8_t* produced = frame.pixels.data() + static_cast<size_t>(frame.height - 1 - row) * stride;
    if (std::memcmp(produced, topDown + static_cast<size_t>(row) * stride, stride) != 0) return false;
  }
  return true;
}

uint64_t HashBytes(const uint8_t* data, size_t size) {
  // Eight bytes a step keeps a 3.6 MB picture cheap even in sanitizer builds.
  uint64_t hash = 1469598103934665603ull;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, data + i, 8);
    hash = (hash ^ word) * 1099511628211ull;
  }
  for (; i < size; ++i) hash = (hash ^ data[i]) * 1099511628211ull;
  return hash;
}

}  // namespace zv::test
