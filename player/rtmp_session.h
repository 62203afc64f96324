// One RTMP play session. It owns the librtmp object and its own copy of the URL, which
// librtmp points into, so a reader that outlives the next Open keeps a valid session.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

extern "C" {
struct RTMP;
}

namespace zv {

class CRtmpSession {
 public:
  ~CRtmpSession();
  CRtmpSession(const CRtmpSession&) = delete;
  CRtmpSession& operator=(const CRtmpSession&) = delete;

  // Connects and starts playing; result 0 or 0x80001000 (URL), 0x80001001 (connect),
  // 0x80001002 (stream connect). session is empty on failure.
  static int Open(const std::string& url, std::unique_ptr<CRtmpSession>& session);

  bool SendAutoQualityFlag(bool automatic);
  RTMP* Handle() { return m_rtmp; }

 private:
  CRtmpSession() = default;
  RTMP* m_rtmp = nullptr;
  char m_url[1024] = {};
};

}  // namespace zv
