#include "sim/phone/sim_phone.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>

#include "sim/phone/h264_encoder.h"

namespace zv::sim::phone {
namespace {

using Clock = std::chrono::steady_clock;

uint64_t NowMs() {
  return static_cast<uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count());
}

std::string ClockText() {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  char text[16];
  std::snprintf(text, sizeof(text), "%02d:%02d:%02d", parts.tm_hour, parts.tm_min, parts.tm_sec);
  return text;
}

}  // namespace

CSimPhone::CSimPhone(int width, int height, PictureSink sink)
    : m_width((std::max(width, 16) + 1) & ~1),
      m_height((std::max(height, 16) + 1) & ~1),
      m_sink(std::move(sink)) {}

CSimPhone::~CSimPhone() {
  Stop();
}

void CSimPhone::Start() {
  if (m_thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = false;
  }
  m_thread = std::thread([this] { Run(); });
}

void CSimPhone::Stop() {
  if (!m_thread.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_wake.notify_all();
  m_thread.join();
}

void CSimPhone::SetQuality(int value) {
  if (!IsQualityValue(value)) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_state.quality = value;
}

int CSimPhone::Quality() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_state.quality;
}

void CSimPhone::SetPointer(int action, int x, int y) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_state.hasPointer = true;
  m_state.pointerAction = action;
  m_state.pointerX = x;
  m_state.pointerY = y;
}

void CSimPhone::SetKey(int keyCode, bool down) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_state.hasKey = true;
  m_state.keyCode = keyCode;
  m_state.keyDown = down;
}

void CSimPhone::RequestKeyframe() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_forceKeyframe = true;
}

std::string CSimPhone::LastError() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_error;
}

bool CSimPhone::EnsureEncoder(CH264Encoder& encoder, int& openQuality, int quality) {
  if (encoder.IsOpen() && openQuality == quality) return true;
  std::string error;
  if (!encoder.Open(m_width, m_height, ProfileFor(quality), error)) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_error != error) std::fprintf(stderr, "zelvane-sim phone: %s\n", error.c_str());
    m_error = error;
    return false;
  }
  openQuality = quality;
  ++m_generation;
  return true;
}

void CSimPhone::Run() {
  CH264Encoder encoder;
  CYuvCanvas canvas(m_width, m_height);
  int openQuality = 0;
  uint32_t frameNumber = 0;
  auto next = Clock::now();
  std::unique_lock<std::mutex> lock(m_mutex);
  while (!m_stop) {
    PhoneScreenState state = m_state;
    const bool forceKeyframe = m_forceKeyframe;
    m_forceKeyframe = false;
    lock.unlock();

    const QualityProfile& profile = ProfileFor(state.quality);
    const auto interval = std::chrono::microseconds(1'000'000 / profile.fps);
    std::vector<EncodedUnit> units;
    if (EnsureEncoder(encoder, openQuality, state.quality)) {
      state.clock = ClockText();
      state.frameNumber = ++frameNumber;
      RenderPhoneScreen(state, canvas);
      std::string error;
      if (!encoder.Encode(canvas, forceKeyframe, units, error)) {
        std::fprintf(stderr, "zelvane-sim phone: %s\n", error.c_str());
        encoder.Close();
      }
    } else {
      next += std::chrono::seconds(1);
    }
    for (EncodedUnit& unit : units) {
      PhonePicture picture;
      picture.accessUnit = std::move(unit.data);
      picture.keyframe = unit.keyframe;
      picture.captureMs = NowMs();
      picture.generation = m_generation;
      picture.width = m_width;
      picture.height = m_height;
      picture.quality = state.quality;
      m_sink(std::move(picture));
    }

    next += interval;
    // A slow machine skips pictures instead of bursting to catch up.
    if (Clock::now() > next + interval) next = Clock::now();
    lock.lock();
    m_wake.wait_until(lock, next, [this] { return m_stop; });
  }
}

}  // namespace zv::sim::phone
