// A player on librtmp, set up as the client sets up its stream session: 3-second link
// timeout, live flag, 100 ms buffer. It reads whole messages the way the client's reader
// does and tells a read timeout between messages from one inside a message.
#pragma once

#include <librtmp/rtmp.h>

#include <cstdint>
#include <string>
#include <vector>

namespace zv::sim::test {

struct PlayerMessage {
  uint8_t type = 0;
  uint32_t timestamp = 0;
  std::vector<uint8_t> body;
};

enum class ReadResult { kMessage, kNothing, kIncomplete, kClosed };

class CRtmpTestPlayer {
 public:
  CRtmpTestPlayer() = default;
  ~CRtmpTestPlayer();
  CRtmpTestPlayer(const CRtmpTestPlayer&) = delete;
  CRtmpTestPlayer& operator=(const CRtmpTestPlayer&) = delete;

  // Connect and play; false when either step failed.
  bool Open(const std::string& url);
  bool Connected();
  ReadResult Read(PlayerMessage& out);
  // Reads until a video message arrives or the stream ends; false on the latter.
  bool ReadVideo(PlayerMessage& out, int maxMessages = 2000);
  // The client's 10-byte user control body of event type 31.
  bool SendAutoQualityFlag(bool on);
  int StreamId() const { return m_rtmp ? m_rtmp->m_stream_id : 0; }
  // The code of an onStatus command, empty for other messages.
  static std::string StatusCode(const PlayerMessage& message);

 private:
  RTMP* m_rtmp = nullptr;
  std::vector<char> m_url;
};

}  // namespace zv::sim::test
