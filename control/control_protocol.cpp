#include "control/control_protocol.h"

#include <time.h>

#include <algorithm>
#include <cstring>

#include "control/byte_order.h"

namespace zv {
namespace {

void StoreText(uint8_t* out, const std::string& text) {
  // Longer texts are cut at the field's end and then carry no terminating zero.
  std::memcpy(out, text.data(), std::min(text.size(), kControlTextSize));
}

std::string LoadText(const uint8_t* in) {
  const uint8_t* end = std::find(in, in + kControlTextSize, 0);
  return std::string(reinterpret_cast<const char*>(in), static_cast<size_t>(end - in));
}

}  // namespace

uint32_t GetTickCount32() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

ControlHello BuildControlHello(const std::string& session, uint32_t tick) {
  ControlHello hello{};
  std::memcpy(hello.data(), CTRL_MAGIC, sizeof CTRL_MAGIC);
  StoreLe32(hello.data() + 4, CTRL_VERSION);
  StoreLe32(hello.data() + 8, tick);
  StoreText(hello.data() + 16, session);
  return hello;
}

ControlMessage BuildControlMessage(uint32_t type, uint32_t tick, uint32_t first, uint32_t second) {
  ControlMessage message{};
  StoreLe32(message.data(), type);
  StoreLe32(message.data() + 4, tick);
  StoreLe32(message.data() + 8, first);
  StoreLe32(message.data() + 12, second);
  return message;
}

ControlMessage BuildNodeMessage(uint32_t type, uint32_t tick, uint32_t subCode, int32_t first,
                                int32_t second) {
  ControlMessage message = BuildControlMessage(type, tick, subCode, static_cast<uint32_t>(first));
  StoreLe32(message.data() + 16, static_cast<uint32_t>(second));
  return message;
}

ControlMessage BuildControlTextMessage(uint32_t type, uint32_t tick, const std::string& text) {
  ControlMessage message{};
  StoreLe32(message.data(), type);
  StoreLe32(message.data() + 4, tick);
  StoreText(message.data() + 8, text);
  return message;
}

ControlFields ReadControlMessage(const uint8_t* message) {
  ControlFields fields;
  fields.type = LoadLe32(message);
  fields.tick = LoadLe32(message + 4);
  fields.subCode = LoadLe32(message + 8);
  fields.first = LoadLe32Signed(message + 12);
  fields.second = LoadLe32Signed(message + 16);
  return fields;
}

std::string ReadControlText(const uint8_t* message) {
  return LoadText(message + 8);
}

ControlHelloFields ReadControlHello(const uint8_t* hello) {
  ControlHelloFields fields;
  fields.magicOk = std::memcmp(hello, CTRL_MAGIC, sizeof CTRL_MAGIC) == 0;
  fields.version = LoadLe32(hello + 4);
  fields.tick = LoadLe32(hello + 8);
  fields.session = LoadText(hello + 16);
  return fields;
}

uint32_t QualityWireValue(int32_t level) {
  switch (level) {
    case 0:
      return 1;
    case 1:
      return 2;
    case 3:
      return 4;
    default:
      return 3;
  }
}

const char* ControlTypeName(uint32_t type) {
  switch (type) {
    case CTRL_HEARTBEAT:
      return "CTRL_HEARTBEAT";
    case CTRL_SESSION_NOTICE:
      return "CTRL_SESSION_NOTICE";
    case CTRL_PAD:
      return "CTRL_PAD";
    case CTRL_QUALITY:
      return "CTRL_QUALITY";
    case CTRL_POINTER_DOWN:
      return "CTRL_POINTER_DOWN";
    case CTRL_POINTER_UP:
      return "CTRL_POINTER_UP";
    case CTRL_POINTER_MOVE:
      return "CTRL_POINTER_MOVE";
    case CTRL_KEY_DOWN:
      return "CTRL_KEY_DOWN";
    case CTRL_KEY_UP:
      return "CTRL_KEY_UP";
    case CTRL_STREAM_READY:
      return "CTRL_STREAM_READY";
    case CTRL_STREAM_FAULT:
      return "CTRL_STREAM_FAULT";
    default:
      return "";
  }
}

const char* PadNoticeName(uint32_t subCode) {
  switch (subCode) {
    case PAD_OFFLINE:
      return "PAD_OFFLINE";
    case PAD_CONNECTION_LOST:
      return "PAD_CONNECTION_LOST";
    case PAD_CONTROLLED_ELSEWHERE:
      return "PAD_CONTROLLED_ELSEWHERE";
    case PAD_IDLE_TIMEOUT:
      return "PAD_IDLE_TIMEOUT";
    case PAD_QUEUE_STATUS:
      return "PAD_QUEUE_STATUS";
    case PAD_CONTROL_TIME_EXHAUSTED:
      return "PAD_CONTROL_TIME_EXHAUSTED";
    case PAD_NOT_CONTROLLABLE:
      return "PAD_NOT_CONTROLLABLE";
    default:
      return "";
  }
}

}  // namespace zv
