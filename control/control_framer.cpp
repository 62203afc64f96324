#include "control/control_framer.h"

#include <algorithm>
#include <cstring>

namespace zv {

bool CControlFramer::Feed(const uint8_t* data, size_t size, const Sink& sink) {
  while (size > 0) {
    if (m_fill == 0 && size >= kControlMessageSize) {
      if (!sink(data)) return false;
      data += kControlMessageSize;
      size -= kControlMessageSize;
      continue;
    }
    size_t take = std::min(size, kControlMessageSize - m_fill);
    std::memcpy(m_partial.data() + m_fill, data, take);
    m_fill += take;
    data += take;
    size -= take;
    if (m_fill == kControlMessageSize) {
      m_fill = 0;
      if (!sink(m_partial.data())) return false;
    }
  }
  return true;
}

}  // namespace zv
