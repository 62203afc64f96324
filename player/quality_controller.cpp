#include "player/quality_controller.h"

#include "api/app_context.h"
#include "app/events.h"
#include "app/main_window_notifier.h"
#include "app/timer_service.h"

namespace zv {

namespace {

class CServiceTimers : public IQualityTimers {
 public:
  explicit CServiceTimers(CQualityController& owner) : m_owner(owner) {}
  void Arm(int32_t id, uint32_t intervalMs) override {
    TimerCallback callback = id == TIMER_AUTO_QUALITY ? &AutoQuality : &NetworkSample;
    CTimerService::Instance().Set(id, intervalMs, callback, &m_owner);
  }
  void Kill(int32_t id) override { CTimerService::Instance().Kill(id); }

 private:
  static void AutoQuality(void* owner) { static_cast<CQualityController*>(owner)->OnAutoQualityTimer(); }
  static void NetworkSample(void* owner) { static_cast<CQualityController*>(owner)->SampleNetwork(); }
  CQualityController& m_owner;
};

bool AutoQualityOn() { return CAppContext::Instance().autoQuality.load() != 0; }

}  // namespace

CQualityController::CQualityController(IQualityTimers* timers) : m_timers(timers) {
  if (!m_timers) {
    m_ownTimers = std::make_unique<CServiceTimers>(*this);
    m_timers = m_ownTimers.get();
  }
}

CQualityController::~CQualityController() = default;

void CQualityController::SetQualitySender(std::function<void(int32_t)> sender) {
  std::lock_guard<std::mutex> lock(m_senderMutex);
  m_sender = std::move(sender);
}

void CQualityController::SendQuality(int32_t level) {
  CAppContext::Instance().qualityLevel.store(level);
  std::function<void(int32_t)> sender;
  {
    std::lock_guard<std::mutex> lock(m_senderMutex);
    sender = m_sender;
  }
  if (sender) sender(level);
}

void CQualityController::ArmAutoQuality() {
  // The service only changes the interval of an armed timer; killing first starts a
  // fresh ten-second period.
  m_timers->Kill(TIMER_AUTO_QUALITY);
  m_timers->Arm(TIMER_AUTO_QUALITY, kAutoQualityMs);
}

void CQualityController::ApplyQuality(int32_t level, bool automatic) {
  if (automatic) {
    CAppContext::Instance().autoQuality.store(1);
    ArmAutoQuality();
    return;
  }
  SendQuality(level);
  CMainWindowNotifier::Instance().Post(UWM_QUALITY_CHANGED, static_cast<uintptr_t>(CAppContext::Instance().qualityLevel.load()), 0);
}

bool CQualityController::StepQuality(int direction) {
  int32_t level = 0;
  {
    std::lock_guard<std::mutex> lock(m_stepMutex);
    if (!AutoQualityOn()) {
      m_timers->Kill(TIMER_AUTO_QUALITY);
      return false;
    }
    ArmAutoQuality();
    if (!m_changeAllowed.load()) return false;
    level = CAppContext::Instance().qualityLevel.load();
    if (direction == 0) {
      if (level <= QUALITY_HD || level > QUALITY_ULTRA_FAST) return false;
      --level;
    } else {
      if (level < QUALITY_HD || level >= QUALITY_ULTRA_FAST) return false;
      ++level;
    }
    m_changeAllowed.store(false);
    CAppContext::Instance().qualityLevel.store(level);
  }
  SendQuality(level);
  CMainWindowNotifier::Instance().Post(UWM_QUALITY_CHANGED, static_cast<uintptr_t>(level), 0);
  return true;
}

void CQualityController::OnAutoQualityTimer() {
  if (CAppContext::Instance().networkLevel.load() == NETWORK_GREEN) StepQuality(0);
}

void CQualityController::SampleNetwork() {
  int32_t packets = m_videoPackets.load();
  int32_t level = packets >= kGreenPackets ? NETWORK_GREEN : packets <= kRedPackets ? NETWORK_RED : NETWORK_YELLOW;
  if (CAppContext::Instance().networkLevel.exchange(level) != level) {
    CMainWindowNotifier::Instance().Post(UWM_NETWORK_LEVEL, static_cast<uintptr_t>(level), 0);
  }
  // Packets counted while this sample was taken belong to the next period.
  m_videoPackets.fetch_sub(packets);
  if (level == NETWORK_RED) StepQuality(1);
}

void CQualityController::OnReaderStart() {
  if (AutoQualityOn()) m_timers->Arm(TIMER_AUTO_QUALITY, kAutoQualityMs);
  m_changeAllowed.store(true);
  m_videoPackets.store(0);
  m_timers->Arm(TIMER_NETWORK_SAMPLE, kNetworkSampleMs);
}

void CQualityController::OnReaderEnd() {
  if (AutoQualityOn()) m_timers->Kill(TIMER_AUTO_QUALITY);
}

void CQualityController::KillSessionTimers() {
  if (AutoQualityOn()) m_timers->Kill(TIMER_AUTO_QUALITY);
  m_timers->Kill(TIMER_NETWORK_SAMPLE);
}

}  // namespace zv
