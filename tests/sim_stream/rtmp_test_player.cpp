#include "tests/sim_stream/rtmp_test_player.h"

#include <librtmp/amf.h>
#include <librtmp/log.h>

#include <cstring>

namespace zv::sim::test {

CRtmpTestPlayer::~CRtmpTestPlayer() {
  if (m_rtmp) {
    RTMP_Close(m_rtmp);
    RTMP_Free(m_rtmp);
  }
}

bool CRtmpTestPlayer::Open(const std::string& url) {
  RTMP_LogSetLevel(RTMP_LOGCRIT);
  m_rtmp = RTMP_Alloc();
  RTMP_Init(m_rtmp);
  m_rtmp->Link.timeout = 3;
  m_url.assign(url.begin(), url.end());
  m_url.push_back('\0');
  if (!RTMP_SetupURL(m_rtmp, m_url.data())) return false;
  m_rtmp->Link.lFlags |= RTMP_LF_LIVE;
  RTMP_SetBufferMS(m_rtmp, 100);
  if (!RTMP_Connect(m_rtmp, nullptr)) return false;
  return RTMP_ConnectStream(m_rtmp, 0) != 0;
}

bool CRtmpTestPlayer::Connected() {
  return m_rtmp && RTMP_IsConnected(m_rtmp);
}

ReadResult CRtmpTestPlayer::Read(PlayerMessage& out) {
  RTMPPacket packet;
  std::memset(&packet, 0, sizeof(packet));
  while (RTMP_IsConnected(m_rtmp) && RTMP_ReadPacket(m_rtmp, &packet)) {
    if (RTMPPacket_IsReady(&packet)) break;
  }
  // Past its first chunk an unfinished message's body belongs to librtmp's chunk-stream
  // table (and RTMP_Close has freed it when the read closed the link): not ours to free.
  if (!RTMPPacket_IsReady(&packet) && packet.m_nBytesRead > 0) packet.m_body = nullptr;
  ReadResult result = ReadResult::kMessage;
  if (!RTMP_IsConnected(m_rtmp)) {
    result = ReadResult::kClosed;
  } else if (packet.m_nBodySize == 0) {
    result = ReadResult::kNothing;
  } else if (!RTMPPacket_IsReady(&packet)) {
    result = ReadResult::kIncomplete;
  } else {
    out.type = packet.m_packetType;
    out.timestamp = packet.m_nTimeStamp;
    out.body.assign(packet.m_body, packet.m_body + packet.m_nBodySize);
    if (packet.m_packetType != RTMP_PACKET_TYPE_VIDEO) RTMP_ClientPacket(m_rtmp, &packet);
  }
  RTMPPacket_Free(&packet);
  return result;
}

bool CRtmpTestPlayer::ReadVideo(PlayerMessage& out, int maxMessages) {
  for (int i = 0; i < maxMessages; ++i) {
    const ReadResult r = Read(out);
    if (r == ReadResult::kClosed || r == ReadResult::kIncomplete) return false;
    if (r == ReadResult::kMessage && out.type == RTMP_PACKET_TYPE_VIDEO) return true;
  }
  return false;
}

bool CRtmpTestPlayer::SendAutoQualityFlag(bool on) {
  RTMPPacket packet;
  char storage[RTMP_MAX_HEADER_SIZE + 10];
  std::memset(&packet, 0, sizeof(packet));
  packet.m_nChannel = 2;
  packet.m_headerType = RTMP_PACKET_SIZE_MEDIUM;
  packet.m_packetType = RTMP_PACKET_TYPE_CONTROL;
  packet.m_body = storage + RTMP_MAX_HEADER_SIZE;
  const uint32_t id = static_cast<uint32_t>(m_rtmp->m_stream_id);
  const uint8_t body[10] = {
      0x00, 0x1F, uint8_t(id >> 24),  uint8_t(id >> 16), uint8_t(id >> 8), uint8_t(id), 0,
      0,    0,    uint8_t(on ? 1 : 0)};
  std::memcpy(packet.m_body, body, sizeof(body));
  packet.m_nBodySize = sizeof(body);
  return RTMP_SendPacket(m_rtmp, &packet, FALSE) != 0;
}

std::string CRtmpTestPlayer::StatusCode(const PlayerMessage& m) {
  if (m.type != RTMP_PACKET_TYPE_INVOKE || m.body.empty() || m.body[0] != AMF_STRING) return "";
  AMFObject obj;
  std::vector<char> copy(m.body.begin(), m.body.end());
  if (AMF_Decode(&obj, copy.data(), static_cast<int>(copy.size()), FALSE) < 0) return "";
  AVal name{}, code{};
  AMFProp_GetString(AMF_GetProp(&obj, nullptr, 0), &name);
  std::string result;
  if (name.av_len == 8 && std::memcmp(name.av_val, "onStatus", 8) == 0) {
    AMFObject info;
    AMFProp_GetObject(AMF_GetProp(&obj, nullptr, 3), &info);
    char codeKey[] = "code";
    AVal key = {codeKey, 4};
    AMFProp_GetString(AMF_GetProp(&info, &key, -1), &code);
    result.assign(code.av_val ? code.av_val : "", static_cast<size_t>(code.av_len));
  }
  AMF_Reset(&obj);
  return result;
}

}  // namespace zv::sim::test
