// nginx with its RTMP module on a free loopback port, configured in a temporary folder.
#pragma once

#include <sys/types.h>

#include <string>

#include "tests/player/media_tools.h"

namespace zv::test {

class NginxRtmp {
 public:
  ~NginxRtmp() { Stop(); }
  // Starts nginx and waits until it accepts connections; false when it could not.
  bool Start();
  // SIGTERM; Kill() ends it at once, as a crashed server would.
  void Stop();
  void Kill();
  int Port() const { return m_port; }
  // The base of a stream URL: rtmp://127.0.0.1:PORT/live/
  std::string LiveUrl() const;
  // What nginx recorded of a published stream.
  std::string RecordedFile(const std::string& name) const { return m_dir.File(name + ".flv"); }
  std::string Log() const;

 private:
  void End(int signal);
  TempDir m_dir;
  int m_port = 0;
  pid_t m_pid = -1;
};

// The ffmpeg tool publishing a testsrc clip with libx264 in real time; Wait() blocks until
// it has sent every frame.
class Publisher {
 public:
  ~Publisher();
  bool Start(const std::string& url, int frames);
  bool Wait();

 private:
  pid_t m_pid = -1;
};

}  // namespace zv::test
