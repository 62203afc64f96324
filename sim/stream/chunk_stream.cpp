#include "sim/stream/chunk_stream.h"

#include <algorithm>

namespace zv::sim::rtmp {
namespace {

constexpr uint32_t kExtendedMark = 0xFFFFFF;

void PutBasicHeader(Bytes& out, uint32_t fmt, uint32_t csid) {
  if (csid < 64) {
    PutU8(out, (fmt << 6) | csid);
  } else if (csid < 320) {
    PutU8(out, fmt << 6);
    PutU8(out, csid - 64);
  } else {
    PutU8(out, (fmt << 6) | 1);
    PutU8(out, (csid - 64) & 0xFF);
    PutU8(out, (csid - 64) >> 8);
  }
}

}  // namespace

void CChunkWriter::Write(const RtmpMessage& m, Bytes& out) {
  const uint32_t length = static_cast<uint32_t>(m.body.size());
  auto it = m_last.find(m.chunkStream);
  uint32_t fmt = 0;
  uint32_t stamp = m.timestamp;
  if (it != m_last.end() && it->second.streamId == m.streamId && m.timestamp >= it->second.timestamp) {
    // A new message never starts with a type-3 header: some players do not apply the
    // previous delta again, so type 2 is the smallest header used for a message start.
    stamp = m.timestamp - it->second.timestamp;
    fmt = (it->second.length == length && it->second.type == m.type) ? 2 : 1;
  }
  const bool extended = stamp >= kExtendedMark;
  const uint32_t field = extended ? kExtendedMark : stamp;

  PutBasicHeader(out, fmt, m.chunkStream);
  PutU24Be(out, field);
  if (fmt <= 1) {
    PutU24Be(out, length);
    PutU8(out, m.type);
  }
  if (fmt == 0) PutU32Le(out, m.streamId);
  if (extended) PutU32Be(out, stamp);

  size_t offset = 0;
  for (;;) {
    const size_t n = std::min<size_t>(m_chunkSize, m.body.size() - offset);
    out.insert(out.end(), m.body.begin() + static_cast<std::ptrdiff_t>(offset),
               m.body.begin() + static_cast<std::ptrdiff_t>(offset + n));
    offset += n;
    if (offset >= m.body.size()) break;
    PutBasicHeader(out, 3, m.chunkStream);
    if (extended) PutU32Be(out, stamp);
  }

  Last& last = m_last[m.chunkStream];
  last.delta = fmt == 0 ? 0 : stamp;
  last.timestamp = m.timestamp;
  last.length = length;
  last.type = m.type;
  last.streamId = m.streamId;
}

void CChunkReader::Abort(uint32_t chunkStream) {
  auto it = m_states.find(chunkStream);
  if (it != m_states.end()) {
    it->second.partial.clear();
    it->second.inMessage = false;
  }
}

bool CChunkReader::Feed(const uint8_t* data, size_t size, std::vector<RtmpMessage>& out, std::string& error) {
  m_pending.insert(m_pending.end(), data, data + size);
  size_t offset = 0;
  for (;;) {
    size_t used = 0;
    const int r = ParseChunk(m_pending.data() + offset, m_pending.size() - offset, used, out, error);
    if (r < 0) return false;
    if (r == 0) break;
    offset += used;
  }
  m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(offset));
  return true;
}

int CChunkReader::ParseChunk(const uint8_t* p, size_t size, size_t& used, std::vector<RtmpMessage>& out,
                             std::string& error) {
  if (size < 1) return 0;
  const uint32_t fmt = p[0] >> 6;
  uint32_t csid = p[0] & 0x3F;
  size_t pos = 1;
  if (csid == 0) {
    if (size < 2) return 0;
    csid = 64 + p[1];
    pos = 2;
  } else if (csid == 1) {
    if (size < 3) return 0;
    csid = 64 + p[1] + 256 * uint32_t{p[2]};
    pos = 3;
  }
  static constexpr size_t kHeaderSizes[4] = {11, 7, 3, 0};
  if (size - pos < kHeaderSizes[fmt]) return 0;

  State& s = m_states[csid];
  // Some players open a chunk stream with a type-1 header (message stream 0 implied);
  // types 2 and 3 lack the length, so they need an earlier header.
  if (fmt >= 2 && !s.known) {
    error = "chunk stream " + std::to_string(csid) + " continues a message never started";
    return -1;
  }
  uint32_t field = 0;
  if (fmt <= 2) field = GetU24Be(p + pos);
  uint32_t length = s.length;
  uint8_t type = s.type;
  uint32_t streamId = s.streamId;
  if (fmt <= 1) {
    length = GetU24Be(p + pos + 3);
    type = p[pos + 6];
  }
  if (fmt == 0) streamId = GetU32Le(p + pos + 7);
  pos += kHeaderSizes[fmt];

  const bool extended = fmt <= 2 ? field == kExtendedMark : s.extended;
  uint32_t stamp = field;
  if (extended) {
    if (size - pos < 4) return 0;
    stamp = GetU32Be(p + pos);
    pos += 4;
  }
  if (fmt != 3 && s.inMessage) {
    error = "a new message header interrupts an unfinished message";
    return -1;
  }
  if (length > kMaxInboundMessage) {
    error = "message of " + std::to_string(length) + " bytes is too large";
    return -1;
  }
  const size_t have = s.inMessage ? s.partial.size() : 0;
  const size_t chunk = std::min<size_t>(m_chunkSize, length - have);
  if (size - pos < chunk) return 0;

  // Everything needed is there: commit the header.
  if (!s.inMessage) {
    if (fmt == 0) {
      // A type-3 message start after a type-0 header repeats that header's timestamp as delta.
      s.timestamp = stamp;
      s.delta = stamp;
    } else if (fmt == 3) {
      s.timestamp += s.delta;
    } else {
      s.delta = stamp;
      s.timestamp += stamp;
    }
    s.partial.clear();
    s.inMessage = true;
  }
  s.known = true;
  s.extended = extended;
  s.length = length;
  s.type = type;
  s.streamId = streamId;
  s.partial.insert(s.partial.end(), p + pos, p + pos + chunk);
  pos += chunk;
  used = pos;

  if (s.partial.size() == s.length) {
    RtmpMessage m;
    m.chunkStream = csid;
    m.type = s.type;
    m.timestamp = s.timestamp;
    m.streamId = s.streamId;
    m.body.swap(s.partial);
    s.inMessage = false;
    out.push_back(std::move(m));
  }
  return 1;
}

}  // namespace zv::sim::rtmp
