// Throughput of the reader's video path (tag parser, decoder, converter, a frame sink that
// only looks at each frame) on a recorded FLV file, against the ffmpeg tool decoding and
// converting the same file to BGRA. Usage: pipeline FILE.flv [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "player/flv_reader.h"
#include "player/frame_converter.h"
#include "player/quality_controller.h"
#include "player/video_decoder.h"
#include "player/video_frame.h"
#include "player/video_tag_parser.h"

namespace {

using Clock = std::chrono::steady_clock;

class NoTimers : public zv::IQualityTimers {
 public:
  void Arm(int32_t, uint32_t) override {}
  void Kill(int32_t) override {}
};

class NullFrameSink : public zv::IFrameSink {
 public:
  void OnFrame(const zv::VideoFrame& frame) override {
    ++frames;
    checksum += frame.pixels[frame.size / 2];
  }
  int frames = 0;
  unsigned checksum = 0;
};

class Events : public zv::ITagEvents, public zv::IDecodeEvents {
 public:
  explicit Events(zv::CFrameConverter& converter) : m_converter(converter) {}
  void OnSequenceHeader() override {}
  void OnVideoSize(int32_t width, int32_t height) override { m_converter.SetOutputSize(width, height); }
  void OnVideoPacket() override {}
  bool RequestLowerQuality() override { return false; }
  void OnLowBandwidth() override {}

 private:
  zv::CFrameConverter& m_converter;
};

// Seconds for one pass over the tags; frames receives the pictures handed on.
double RunPipeline(const std::vector<zv::FlvTag>& tags, int& frames) {
  NullFrameSink sink;
  zv::CFrameConverter converter(sink);
  Events events(converter);
  zv::CVideoDecoder decoder(converter, events);
  decoder.SetConsoleLog(false);
  zv::CVideoTagParser parser(events, decoder);
  auto start = Clock::now();
  for (const zv::FlvTag& tag : tags) {
    if (tag.type == 9) parser.ParseVideoTag(tag.body.data(), static_cast<uint32_t>(tag.body.size()), tag.timestamp);
  }
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  frames = sink.frames;
  return seconds;
}

double RunFfmpeg(const std::string& file) {
  std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -i '" + file + "' -pix_fmt bgra -f null -";
  auto start = Clock::now();
  int status = std::system(command.c_str());
  double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return status == 0 ? seconds : -1.0;
}

int PictureCount(const std::vector<zv::FlvTag>& tags) {
  int count = 0;
  for (const zv::FlvTag& tag : tags) {
    if (tag.type == 9 && tag.body.size() > 1 && tag.body[1] == 1) ++count;
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE.flv [runs]\n", argv[0]);
    return 2;
  }
  std::string file = argv[1];
  int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  std::vector<zv::FlvTag> tags;
  if (!zv::ReadFlvFile(file, tags)) {
    std::fprintf(stderr, "pipeline: cannot read %s\n", file.c_str());
    return 1;
  }
  const int pictures = PictureCount(tags);
  double best = 1e9;
  double bestFfmpeg = 1e9;
  int frames = 0;
  // Alternating runs, best of each, so that both meet the same load on a shared machine.
  for (int run = 0; run < runs; ++run) {
    best = std::min(best, RunPipeline(tags, frames));
    double ffmpeg = RunFfmpeg(file);
    if (ffmpeg < 0) {
      std::fprintf(stderr, "pipeline: the ffmpeg tool failed\n");
      return 1;
    }
    bestFfmpeg = std::min(bestFfmpeg, ffmpeg);
  }
  double fps = frames / best;
  double ffmpegFps = pictures / bestFfmpeg;
  std::printf("pipeline_frames: %d of %d\n", frames, pictures);
  std::printf("pipeline_fps: %.1f\n", fps);
  std::printf("ffmpeg_fps: %.1f\n", ffmpegFps);
  std::printf("pipeline_vs_ffmpeg_ratio: %.2f\n", fps / ffmpegFps);
  return 0;
}
