// Quality level stepping and the network indicator. The level and the flags live in
// CAppContext; this keeps the step permission and the video packet counter.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace zv {

// The two timers of quality control; the service's own in production, a recorder in tests.
class IQualityTimers {
 public:
  virtual ~IQualityTimers() = default;
  virtual void Arm(int32_t id, uint32_t intervalMs) = 0;
  virtual void Kill(int32_t id) = 0;
};

class CQualityController {
 public:
  static constexpr uint32_t kAutoQualityMs = 10000;
  static constexpr uint32_t kNetworkSampleMs = 5000;
  static constexpr int32_t kGreenPackets = 46;
  static constexpr int32_t kRedPackets = 24;

  // timers may be null: then the timer service runs the callbacks of this controller.
  explicit CQualityController(IQualityTimers* timers = nullptr);
  ~CQualityController();

  // Reaches the control node (the control client's SendQuality); set by start-up.
  void SetQualitySender(std::function<void(int32_t)> sender);

  // Manual choice, or automatic mode switched on; the caller has checked that a stream runs.
  void ApplyQuality(int32_t level, bool automatic);
  // direction 0 towards better quality, 1 towards lower; true when the level changed.
  bool StepQuality(int direction);
  void OnAutoQualityTimer();
  void SampleNetwork();

  // Reader start and end, and a stopped session.
  void OnReaderStart();
  void OnReaderEnd();
  void KillSessionTimers();

  void AllowChange() { m_changeAllowed.store(true); }
  bool ChangeAllowed() const { return m_changeAllowed.load(); }
  void CountVideoPacket() { m_videoPackets.fetch_add(1, std::memory_order_relaxed); }
  int32_t VideoPackets() const { return m_videoPackets.load(); }

 private:
  void ArmAutoQuality();
  void SendQuality(int32_t level);

  std::unique_ptr<IQualityTimers> m_ownTimers;
  IQualityTimers* m_timers;
  std::atomic<bool> m_changeAllowed{true};
  std::atomic<int32_t> m_videoPackets{0};
  std::mutex m_stepMutex;  // one step decision at a time: the reader and two timers race here
  std::mutex m_senderMutex;
  std::function<void(int32_t)> m_sender;
};

}  // namespace zv
