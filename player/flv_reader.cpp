#include "player/flv_reader.h"

#include <fstream>
#include <iterator>

namespace zv {

namespace {

constexpr size_t kTagHeaderSize = 11;
constexpr size_t kPreviousSizeField = 4;

uint32_t ReadBe24(const uint8_t* p) { return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2]; }
uint32_t ReadBe32(const uint8_t* p) { return (uint32_t{p[0]} << 24) | ReadBe24(p + 1); }

}  // namespace

bool ParseFlv(const uint8_t* data, size_t size, std::vector<FlvTag>& tags) {
  tags.clear();
  if (size < 9 || data[0] != 'F' || data[1] != 'L' || data[2] != 'V') return false;
  size_t offset = ReadBe32(data + 5);
  if (offset < 9 || offset > size) return false;
  offset += kPreviousSizeField;
  while (offset + kTagHeaderSize <= size) {
    const uint8_t* header = data + offset;
    uint32_t bodySize = ReadBe24(header + 1);
    if (bodySize > size - offset - kTagHeaderSize) break;
    FlvTag tag;
    tag.type = header[0] & 0x1F;
    tag.timestamp = ReadBe24(header + 4) | (uint32_t{header[7]} << 24);
    tag.body.assign(header + kTagHeaderSize, header + kTagHeaderSize + bodySize);
    tags.push_back(std::move(tag));
    offset += kTagHeaderSize + bodySize + kPreviousSizeField;
  }
  return true;
}

bool ReadFlvFile(const std::string& path, std::vector<FlvTag>& tags) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  return ParseFlv(data.data(), data.size(), tags);
}

}  // namespace zv
