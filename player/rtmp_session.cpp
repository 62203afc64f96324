#include "player/rtmp_session.h"

#include <cstring>

#include <librtmp/rtmp.h>

#include "player/stream_url.h"
#include "player/stream_result.h"

namespace zv {

namespace {

constexpr int kLinkTimeoutSeconds = 3;
constexpr int kBufferMs = 100;
constexpr int kControlChunkStream = 2;

}  // namespace

CRtmpSession::~CRtmpSession() {
  if (m_rtmp) {
    RTMP_Close(m_rtmp);
    RTMP_Free(m_rtmp);
  }
}

int CRtmpSession::Open(const std::string& url, std::unique_ptr<CRtmpSession>& session) {
  session.reset();
  if (url.empty() || url.size() >= sizeof(m_url)) return STREAM_ERR_OPEN;
  std::unique_ptr<CRtmpSession> s(new CRtmpSession());
  std::memcpy(s->m_url, url.data(), url.size());
  s->m_rtmp = RTMP_Alloc();
  if (!s->m_rtmp) return STREAM_ERR_OPEN;
  RTMP_Init(s->m_rtmp);
  s->m_rtmp->Link.timeout = kLinkTimeoutSeconds;
  if (!RTMP_SetupURL(s->m_rtmp, s->m_url)) return STREAM_ERR_OPEN;
  s->m_rtmp->Link.lFlags |= RTMP_LF_LIVE;
  RTMP_SetBufferMS(s->m_rtmp, kBufferMs);
  if (!RTMP_Connect(s->m_rtmp, nullptr)) return STREAM_ERR_CONNECT;
  if (!RTMP_ConnectStream(s->m_rtmp, 0)) return STREAM_ERR_CONNECT_STREAM;
  session = std::move(s);
  return 0;
}

bool CRtmpSession::SendAutoQualityFlag(bool automatic) {
  if (!m_rtmp || !RTMP_IsConnected(m_rtmp)) return false;
  char buffer[RTMP_MAX_HEADER_SIZE + kAutoQualityBodySize] = {};
  RTMPPacket packet;
  std::memset(&packet, 0, sizeof packet);
  packet.m_nChannel = kControlChunkStream;
  packet.m_headerType = RTMP_PACKET_SIZE_MEDIUM;
  packet.m_packetType = RTMP_PACKET_TYPE_CONTROL;
  packet.m_nTimeStamp = 0;
  packet.m_nInfoField2 = 0;
  packet.m_hasAbsTimestamp = 0;
  packet.m_body = buffer + RTMP_MAX_HEADER_SIZE;
  packet.m_nBodySize = kAutoQualityBodySize;
  BuildAutoQualityBody(m_rtmp->m_stream_id, automatic, reinterpret_cast<uint8_t*>(packet.m_body));
  return RTMP_SendPacket(m_rtmp, &packet, FALSE) != 0;
}

}  // namespace zv
