#include "player/stream_player.h"

#include <chrono>
#include <cstring>
#include <thread>

#include <librtmp/rtmp.h>

#include "api/app_context.h"
#include "app/events.h"
#include "app/main_window_notifier.h"
#include "player/rtmp_session.h"
#include "player/status_packet.h"
#include "player/stream_url.h"
#include "player/video_decoder.h"
#include "player/video_pipeline.h"

namespace zv {

namespace {

constexpr uint8_t kMessageAudio = 8;
constexpr uint8_t kMessageVideo = 9;
constexpr uint8_t kMessageData = 0x12;

bool FindVideoUrl(const std::string& padCode, std::string& videoUrl) {
  for (const PadInfo& pad : CAppContext::Instance().padList) {
    if (CAppContext::FindPadByCode(pad, padCode)) {
      videoUrl = pad.videoUrl;
      return !videoUrl.empty();
    }
  }
  return false;
}

}  // namespace

CStreamPlayer& CStreamPlayer::Instance() {
  static CStreamPlayer* instance = new CStreamPlayer();  // never torn down: a reader may outlive exit
  return *instance;
}

CStreamPlayer::CStreamPlayer(IQualityTimers* timers) : m_quality(timers) {}

CStreamPlayer::~CStreamPlayer() {
  Stop();
  WaitForReaders(10000);
}

std::string CStreamPlayer::StreamUrl() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_streamUrl;
}

int CStreamPlayer::Open(const std::string& session, const std::string& padCode, int32_t streamNumber, bool compose) {
  std::unique_lock<std::mutex> lock(m_mutex);
  if (compose) {
    std::string videoUrl;
    if (!FindVideoUrl(padCode, videoUrl)) return STREAM_ERR_OPEN;
    // A URL that does not fit the buffer is refused rather than cut to another stream's name.
    if (!ComposeStreamUrl(videoUrl, session, padCode, streamNumber, m_streamUrl)) return STREAM_ERR_OPEN;
  }
  if (m_running.load()) return STREAM_ERR_OPEN;
  m_decoder = FindH264Decoder();
  if (!m_decoder) return STREAM_ERR_NO_DECODER;
  m_opened.reset();
  std::string url = m_streamUrl;
  // Connecting may take seconds; the lock only guards the members.
  lock.unlock();
  std::unique_ptr<CRtmpSession> opened;
  int result = CRtmpSession::Open(url, opened);
  if (result != 0) return result;
  opened->SendAutoQualityFlag(CAppContext::Instance().autoQuality.load() != 0);
  lock.lock();
  m_opened = std::move(opened);
  return 0;
}

int CStreamPlayer::Start() {
  std::unique_ptr<CRtmpSession> session;
  uint64_t reader = 0;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_opened || m_running.load()) return 0;
    session = std::move(m_opened);
    reader = ++m_lastReader;
  }
  // The session state is set before the thread exists, so a Stop right after Start finds
  // the timers armed and the flag set.
  m_quality.OnReaderStart();
  m_pendingAutoFlag.store(-1);
  m_currentReader.store(reader);
  m_running.store(true);
  m_activeReaders.fetch_add(1);
  std::thread(&CStreamPlayer::RunReader, this, std::move(session), reader).detach();
  return 0;
}

int CStreamPlayer::Stop() {
  if (!m_running.exchange(false)) return 1;
  m_quality.KillSessionTimers();
  m_currentReader.store(0);
  return 1;
}

void CStreamPlayer::SendAutoQualityFlag(bool automatic) {
  if (m_running.load()) {
    m_pendingAutoFlag.store(automatic ? 1 : 0);
    return;
  }
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_opened) m_opened->SendAutoQualityFlag(automatic);
}

void CStreamPlayer::SetQuality(int32_t level, bool automatic) {
  if (!m_running.load()) return;
  SendAutoQualityFlag(automatic);
  m_quality.ApplyQuality(level, automatic);
}

bool CStreamPlayer::WaitForReaders(int timeoutMs) {
  std::unique_lock<std::mutex> lock(m_readersMutex);
  return m_readersDone.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_activeReaders.load() == 0; });
}

namespace {

// A read that failed inside a continuation chunk leaves the packet pointing at the body
// that the session keeps for that chunk stream: the session frees it when it is closed.
// Freeing it here as well would free it twice.
void ReleasePacket(RTMPPacket& packet) {
  if (RTMPPacket_IsReady(&packet) || packet.m_nBytesRead == 0) {
    RTMPPacket_Free(&packet);
  } else {
    packet.m_body = nullptr;
  }
}

}  // namespace

void CStreamPlayer::RunReader(std::unique_ptr<CRtmpSession> session, uint64_t reader) {
  bool wasCurrent = false;
  int result = ReadLoop(session, reader, wasCurrent);
  // A reader that a Stop or a newer session has replaced reports nothing: its end is not
  // the current session's.
  if (result == STREAM_ENDED_ABNORMALLY && wasCurrent) {
    m_quality.KillSessionTimers();
    CMainWindowNotifier::Instance().Post(UWM_STREAM_ENDED, 0, 0);
  }
  std::lock_guard<std::mutex> lock(m_readersMutex);
  m_activeReaders.fetch_sub(1);
  m_readersDone.notify_all();
}

int CStreamPlayer::ReadLoop(std::unique_ptr<CRtmpSession>& session, uint64_t reader, bool& wasCurrent) {
  bool abnormal = false;
  {
    CWindowFrameSink frames;
    CVideoPipeline pipeline(m_quality, frames);
    RTMP* rtmp = session->Handle();
    RTMPPacket packet;
    while (KeepReading(reader)) {
      std::memset(&packet, 0, sizeof packet);
      while (RTMP_IsConnected(rtmp) && RTMP_ReadPacket(rtmp, &packet)) {
        if (RTMPPacket_IsReady(&packet)) break;
      }
      if (!KeepReading(reader)) {
        ReleasePacket(packet);
        break;
      }
      if (!RTMP_IsConnected(rtmp)) {
        abnormal = true;
        ReleasePacket(packet);
        break;
      }
      if (packet.m_nBodySize != 0 && !RTMPPacket_IsReady(&packet)) {
        abnormal = true;
        m_quality.StepQuality(1);
        ReleasePacket(packet);
        break;
      }
      if (packet.m_nBodySize != 0) DispatchPacket(*session, packet, pipeline);
      RTMPPacket_Free(&packet);
      SendPendingAutoFlag(*session);
    }
  }
  session.reset();
  uint64_t expected = reader;
  wasCurrent = m_currentReader.compare_exchange_strong(expected, 0);
  if (wasCurrent) {
    m_running.store(false);
    m_quality.OnReaderEnd();
  }
  return abnormal ? STREAM_ENDED_ABNORMALLY : 0;
}

void CStreamPlayer::DispatchPacket(CRtmpSession& session, RTMPPacket& packet, CVideoPipeline& pipeline) {
  switch (packet.m_packetType) {
    case kMessageAudio:
    case kMessageData:
      break;
    case kMessageVideo:
      pipeline.OnVideoMessage(reinterpret_cast<const uint8_t*>(packet.m_body), packet.m_nBodySize, packet.m_nTimeStamp);
      break;
    default:
      OnStatusPacket(packet);
      RTMP_ClientPacket(session.Handle(), &packet);
      break;
  }
}

void CStreamPlayer::OnStatusPacket(const RTMPPacket& packet) {
  if (ReadStatusCode(packet.m_packetType, packet.m_body, packet.m_nBodySize) == kStatusDataDropped) {
    m_quality.StepQuality(1);
  }
}

void CStreamPlayer::SendPendingAutoFlag(CRtmpSession& session) {
  int flag = m_pendingAutoFlag.exchange(-1);
  if (flag >= 0) session.SendAutoQualityFlag(flag != 0);
}

}  // namespace zv
