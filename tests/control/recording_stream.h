// A stand-in for the stream player: records what the control session asks of it and
// answers Open with a result the test chooses.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "control/stream_link.h"

namespace zv::test {

struct StreamCall {
  std::string name;  // "Open", "Start", "Stop"
  std::string session;
  std::string padCode;
  int32_t streamNumber = 0;
  bool compose = false;
};

class RecordingStream : public IStreamSession {
 public:
  int Open(const std::string& session, const std::string& padCode, int32_t streamNumber,
           bool compose) override {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(StreamCall{"Open", session, padCode, streamNumber, compose});
    return m_openResult;
  }
  int Start() override { return Record("Start"), 0; }
  int Stop() override { return Record("Stop"), 1; }

  void SetOpenResult(int result) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openResult = result;
  }
  std::vector<StreamCall> Calls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
  }
  std::vector<std::string> Names() {
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> names;
    for (const auto& call : m_calls) names.push_back(call.name);
    return names;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
  }

 private:
  void Record(const char* name) {
    std::lock_guard<std::mutex> lock(m_mutex);
    StreamCall call;
    call.name = name;
    m_calls.push_back(call);
  }
  std::mutex m_mutex;
  std::vector<StreamCall> m_calls;
  int m_openResult = 0;
};

}  // namespace zv::test
