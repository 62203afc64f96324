// Shared set-up of the quality tests: recorded timers, recorded quality sends, a recorder
// main window, and the account model's quality values reset.
#pragma once

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "api/app_context.h"
#include "app/events.h"
#include "player/quality_controller.h"
#include "tests/support/recording_window.h"

namespace zv::test {

class RecordingTimers : public IQualityTimers {
 public:
  void Arm(int32_t id, uint32_t intervalMs) override { Log("arm " + Name(id) + " " + std::to_string(intervalMs)); }
  void Kill(int32_t id) override { Log("kill " + Name(id)); }
  std::vector<std::string> Take() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> out;
    out.swap(m_log);
    return out;
  }

 private:
  static std::string Name(int32_t id) {
    return id == TIMER_AUTO_QUALITY ? "auto" : id == TIMER_NETWORK_SAMPLE ? "sample" : std::to_string(id);
  }
  void Log(std::string line) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log.push_back(std::move(line));
  }
  std::mutex m_mutex;
  std::vector<std::string> m_log;
};

class QualityFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    window.Attach();
    SetModel(0, false, NETWORK_GREEN);
  }
  void TearDown() override { SetModel(0, false, NETWORK_GREEN); }

  static void SetModel(int32_t level, bool automatic, int32_t network) {
    CAppContext::Instance().qualityLevel.store(level);
    CAppContext::Instance().autoQuality.store(automatic ? 1 : 0);
    CAppContext::Instance().networkLevel.store(network);
  }
  std::function<void(int32_t)> Sender() {
    return [this](int32_t level) {
      std::lock_guard<std::mutex> lock(m_sentMutex);
      m_sent.push_back(level);
    };
  }
  std::vector<int32_t> Sent() {
    std::lock_guard<std::mutex> lock(m_sentMutex);
    return m_sent;
  }
  // Every event posted before this call has been handled once it returns.
  std::vector<std::pair<uint32_t, uintptr_t>> Posted() {
    window.SendEvent(0, 0, 0);
    std::vector<std::pair<uint32_t, uintptr_t>> out;
    for (const RecordedEvent& e : window.Events()) {
      if (!e.sent) out.push_back({e.message, e.wParam});
    }
    window.Clear();
    return out;
  }

  RecordingWindow window;
  RecordingTimers timers;

 private:
  std::mutex m_sentMutex;
  std::vector<int32_t> m_sent;
};

}  // namespace zv::test
