// What the control session needs of the stream player: the node tells the session when
// the stream may be opened, and a lost connection stops the stream. The player implements
// this; start-up links the two, and tests give a recorder.
#pragma once

#include <cstdint>
#include <string>

namespace zv {

class IStreamSession {
 public:
  virtual ~IStreamSession() = default;
  // 0 or a 0x80001000-family code.
  virtual int Open(const std::string& session, const std::string& padCode, int32_t streamNumber, bool compose) = 0;
  virtual int Start() = 0;
  // Returns 1; does not wait for the reader.
  virtual int Stop() = 0;
};

}  // namespace zv
