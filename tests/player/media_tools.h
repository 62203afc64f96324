// Test streams made at test time with the ffmpeg command-line tool, and the pipeline
// pieces the tests drive them through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "player/pipeline.h"
#include "player/video_frame.h"

namespace zv::test {

// A fresh directory below the system's temporary folder, removed by the destructor.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

// Runs a shell command quietly; true when it exited with 0.
bool RunCommand(const std::string& command);

// A testsrc clip of the given size and frame count as FLV with H.264 from libx264.
bool MakeFlvClip(const std::string& path, int width, int height, int frames, const std::string& x264Options);
// The clip decoded by the ffmpeg tool to top-down BGRA frames, one after another.
bool DecodeToBgra(const std::string& flvPath, std::vector<uint8_t>& pixels);

struct CapturedFrame {
  std::vector<uint8_t> pixels;
  int32_t size;
  int32_t width;
  int32_t height;
  uint32_t timestamp;
};

class CapturingFrameSink : public IFrameSink {
 public:
  void OnFrame(const VideoFrame& frame) override {
    frames.push_back({std::vector<uint8_t>(frame.pixels, frame.pixels + frame.size), frame.size, frame.width,
                      frame.height, frame.timestamp});
  }
  std::vector<CapturedFrame> frames;
};

// Rows of a top-down picture compared with a bottom-up frame.
bool SameAsFlipped(const uint8_t* topDown, const CapturedFrame& frame);

uint64_t HashBytes(const uint8_t* data, size_t size);

}  // namespace zv::test
