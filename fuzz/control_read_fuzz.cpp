// fuzz-libs: zv_control zv_api zv_app
// The control session's read side: any byte stream from the node, cut into reads of any
// size, goes through the framing and Dispatch without a crash, a leak or undefined
// behaviour. The stream player is a stand-in whose Open fails or succeeds by the input.
#include <netinet/in.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "app/main_window_notifier.h"
#include "control/control_connection.h"
#include "control/stream_link.h"

namespace {

class CountingStream : public zv::IStreamSession {
 public:
  int Open(const std::string&, const std::string&, int32_t, bool) override {
    return ++opens, failOpen ? -1 : 0;
  }
  int Start() override { return ++starts, 0; }
  int Stop() override { return ++stops, 1; }
  bool failOpen = false;
  uint64_t opens = 0, starts = 0, stops = 0;
};

class CountingWindow : public zv::IMainWindowTarget {
 public:
  void PostEvent(uint32_t, uintptr_t, intptr_t) override { ++events; }
  intptr_t SendEvent(uint32_t, uintptr_t, intptr_t) override { return ++events, 0; }
  uint64_t events = 0;
};

CountingStream g_stream;
CountingWindow g_window;

zv::IStreamSession* Stream() {
  return &g_stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  zv::CMainWindowNotifier::Instance().SetTarget(&g_window);
  g_stream.failOpen = (data[0] & 1) != 0;
  size_t chunk = 1 + (data[0] >> 1);

  sockaddr_in node{};
  node.sin_family = AF_INET;
  zv::CControlConnection connection("PAD-FUZZ", node, zv::ControlOptions{}, Stream);
  for (size_t offset = 1; offset < size;) {
    size_t n = std::min(size - offset, chunk);
    connection.OnBytes(data + offset, n);
    offset += n;
    chunk = chunk * 7 % 97 + 1;
  }
  return 0;
}
