// libavcodec's libx264 encoder set up for a live phone screen: zero latency, no B-frames,
// a keyframe every two seconds, Annex-B output with the parameter sets repeated in front
// of every keyframe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/phone/quality_profile.h"
#include "sim/phone/yuv_canvas.h"

struct AVCodecContext;
struct AVFrame;
struct AVPacket;

namespace zv::sim::phone {

struct EncodedUnit {
  std::vector<uint8_t> data;  // one Annex-B access unit
  bool keyframe = false;
};

class CH264Encoder {
 public:
  CH264Encoder() = default;
  ~CH264Encoder();
  CH264Encoder(const CH264Encoder&) = delete;
  CH264Encoder& operator=(const CH264Encoder&) = delete;

  bool Open(int width, int height, const QualityProfile& profile, std::string& error);
  void Close();
  bool IsOpen() const { return m_context != nullptr; }

  // With zero latency every picture comes back at once, as one access unit.
  bool Encode(const CYuvCanvas& canvas, bool forceKeyframe, std::vector<EncodedUnit>& out,
              std::string& error);

 private:
  AVCodecContext* m_context = nullptr;
  AVFrame* m_frame = nullptr;
  AVPacket* m_packet = nullptr;
  int64_t m_pts = 0;
};

}  // namespace zv::sim::phone
