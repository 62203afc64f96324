// The stream player of a device session: opens the RTMP play session, runs one reader
// thread per session and steers the quality.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "control/stream_link.h"
#include "player/quality_controller.h"
#include "player/stream_result.h"

extern "C" {
struct AVCodec;
struct RTMPPacket;
}

namespace zv {

class CRtmpSession;
class CVideoPipeline;

class CStreamPlayer : public IStreamSession {
 public:
  static CStreamPlayer& Instance();

  // The process uses Instance(); tests build their own players with recorded timers.
  explicit CStreamPlayer(IQualityTimers* timers = nullptr);
  ~CStreamPlayer() override;
  CStreamPlayer(const CStreamPlayer&) = delete;
  CStreamPlayer& operator=(const CStreamPlayer&) = delete;

  int Open(const std::string& session, const std::string& padCode, int32_t streamNumber, bool compose) override;
  int Start() override;
  int Stop() override;
  // Sent at once on an opened session; a running reader sends it after its current packet,
  // since only the reader's thread may use its session.
  void SendAutoQualityFlag(bool automatic);

  void SetQuality(int32_t level, bool automatic);
  bool StepQuality(int direction) { return m_quality.StepQuality(direction); }
  void OnAutoQualityTimer() { m_quality.OnAutoQualityTimer(); }
  void SampleNetwork() { m_quality.SampleNetwork(); }
  void SetQualitySender(std::function<void(int32_t)> sender) { m_quality.SetQualitySender(std::move(sender)); }
  CQualityController& Quality() { return m_quality; }

  bool IsRunning() const { return m_running.load(); }
  std::string StreamUrl();
  int ActiveReaders() const { return m_activeReaders.load(); }
  // Waits until every reader of this player has ended; false on timeout.
  bool WaitForReaders(int timeoutMs);

 private:
  void RunReader(std::unique_ptr<CRtmpSession> session, uint64_t reader);
  int ReadLoop(std::unique_ptr<CRtmpSession>& session, uint64_t reader, bool& wasCurrent);
  void DispatchPacket(CRtmpSession& session, RTMPPacket& packet, CVideoPipeline& pipeline);
  void OnStatusPacket(const RTMPPacket& packet);
  void SendPendingAutoFlag(CRtmpSession& session);
  bool KeepReading(uint64_t reader) const { return m_running.load() && m_currentReader.load() == reader; }

  std::mutex m_mutex;  // the URL and the opened session
  std::string m_streamUrl;
  std::unique_ptr<CRtmpSession> m_opened;  // opened and not yet handed to a reader
  const AVCodec* m_decoder = nullptr;
  std::atomic<bool> m_running{false};
  std::atomic<uint64_t> m_currentReader{0};  // 0: none
  uint64_t m_lastReader = 0;
  std::atomic<int> m_pendingAutoFlag{-1};
  std::atomic<int> m_activeReaders{0};
  std::mutex m_readersMutex;
  std::condition_variable m_readersDone;
  CQualityController m_quality;
};

}  // namespace zv
