// RTMP chunk streams: a writer that splits messages into chunks with the smallest header
// the previous message on the chunk stream allows, and a reader that reassembles what a
// peer sends, one byte at a time if need be.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "sim/stream/byte_order.h"

namespace zv::sim::rtmp {

constexpr uint32_t kDefaultChunkSize = 128;
constexpr uint32_t kMaxChunkSize = 0xFFFFFF;
// Players send commands and control messages only; anything larger is an attack or a fault.
constexpr uint32_t kMaxInboundMessage = 1 << 20;

struct RtmpMessage {
  uint32_t chunkStream = 3;
  uint8_t type = 0;
  uint32_t timestamp = 0;
  uint32_t streamId = 0;
  Bytes body;
};

class CChunkWriter {
 public:
  // Takes effect for the messages written after it; the Set Chunk Size message that
  // announces it must itself go out with the old size.
  void SetChunkSize(uint32_t size) { m_chunkSize = size; }
  uint32_t ChunkSize() const { return m_chunkSize; }
  void Write(const RtmpMessage& message, Bytes& out);

 private:
  struct Last {
    uint32_t timestamp = 0;
    uint32_t delta = 0;
    uint32_t length = 0;
    uint8_t type = 0;
    uint32_t streamId = 0;
  };
  uint32_t m_chunkSize = kDefaultChunkSize;
  std::map<uint32_t, Last> m_last;
};

class CChunkReader {
 public:
  void SetChunkSize(uint32_t size) { m_chunkSize = size; }
  // Drops the partly received message of a chunk stream (the Abort message).
  void Abort(uint32_t chunkStream);
  // Consumes as many complete chunks as data holds; a trailing partial chunk waits for
  // the next call. False with a reason on a malformed stream.
  bool Feed(const uint8_t* data, size_t size, std::vector<RtmpMessage>& out, std::string& error);

 private:
  struct State {
    bool known = false;
    bool extended = false;
    uint32_t timestamp = 0;
    uint32_t delta = 0;
    uint32_t length = 0;
    uint8_t type = 0;
    uint32_t streamId = 0;
    Bytes partial;
    bool inMessage = false;
  };
  // 1 = one chunk consumed, 0 = need more bytes, -1 = malformed.
  int ParseChunk(const uint8_t* p, size_t size, size_t& used, std::vector<RtmpMessage>& out,
                 std::string& error);

  uint32_t m_chunkSize = kDefaultChunkSize;
  std::map<uint32_t, State> m_states;
  Bytes m_pending;
};

}  // namespace zv::sim::rtmp
