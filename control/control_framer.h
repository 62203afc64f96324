// Cuts the node's byte stream into whole 40-byte messages whatever the reads' sizes: a
// message split over reads is kept until complete, several in one read come out in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "control/control_protocol.h"

namespace zv {

class CControlFramer {
 public:
  // Called once per whole message; returning false stops the feed (the session ended),
  // and the rest of the data is dropped.
  using Sink = std::function<bool(const uint8_t* message)>;

  // Returns false when the sink stopped the feed.
  bool Feed(const uint8_t* data, size_t size, const Sink& sink);
  size_t Pending() const { return m_fill; }
  void Reset() { m_fill = 0; }

 private:
  ControlMessage m_partial{};
  size_t m_fill = 0;
};

}  // namespace zv
