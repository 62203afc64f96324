// One simulated phone: while started, a thread of its own renders the screen at the frame
// rate of the current quality level, encodes it and hands each access unit to the sink.
// The setters may be called from any thread; what they change shows in the next frame.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/phone/phone_screen.h"
#include "sim/phone/quality_profile.h"

namespace zv::sim::phone {

struct PhonePicture {
  std::vector<uint8_t> accessUnit;  // Annex-B, start codes included
  bool keyframe = false;
  uint64_t captureMs = 0;   // steady clock
  uint32_t generation = 0;  // changes whenever the encoder was (re)started
  int width = 0;
  int height = 0;
  int quality = kDefaultQuality;
};

// Runs on the phone's thread; must not block.
using PictureSink = std::function<void(PhonePicture&& picture)>;

class CSimPhone {
 public:
  CSimPhone(int width, int height, PictureSink sink);
  ~CSimPhone();
  CSimPhone(const CSimPhone&) = delete;
  CSimPhone& operator=(const CSimPhone&) = delete;

  void Start();
  // Joins the thread, which finishes at most the picture it is encoding.
  void Stop();
  bool Running() const { return m_thread.joinable(); }

  int Width() const { return m_width; }
  int Height() const { return m_height; }

  // Values outside 1..4 are ignored. A change restarts the encoder.
  void SetQuality(int value);
  int Quality() const;
  void SetPointer(int action, int x, int y);
  void SetKey(int keyCode, bool down);
  void RequestKeyframe();
  std::string LastError() const;

 private:
  void Run();
  bool EnsureEncoder(class CH264Encoder& encoder, int& openQuality, int quality);

  const int m_width;
  const int m_height;
  PictureSink m_sink;

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  PhoneScreenState m_state;
  bool m_forceKeyframe = false;
  bool m_stop = false;
  std::string m_error;
  uint32_t m_generation = 0;  // written by the phone thread only, survives restarts
  std::thread m_thread;
};

}  // namespace zv::sim::phone
