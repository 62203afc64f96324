// Result codes of the stream player.
#pragma once

#include <cstdint>

namespace zv {

enum StreamResult : int32_t {
  STREAM_OK = 0,
  STREAM_ERR_OPEN = static_cast<int32_t>(0x80001000u),  // device, URL or a reader still running
  STREAM_ERR_CONNECT = static_cast<int32_t>(0x80001001u),
  STREAM_ERR_CONNECT_STREAM = static_cast<int32_t>(0x80001002u),
  STREAM_ERR_NO_DECODER = static_cast<int32_t>(0x80001003u),
  STREAM_ENDED_ABNORMALLY = static_cast<int32_t>(0x80001004u),
};

}  // namespace zv
