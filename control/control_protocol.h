// The bytes of the control channel: the 48-byte hello that opens every connection and the
// 40-byte messages that follow in both directions. Building and reading only; no I/O.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace zv {

constexpr size_t kControlHelloSize = 48;
constexpr size_t kControlMessageSize = 40;
constexpr size_t kControlTextSize = 32;

constexpr uint8_t CTRL_MAGIC[4] = {'Z', 'V', 'P', 'C'};
constexpr uint32_t CTRL_VERSION = 0x00010000;

enum ControlMessageType : uint32_t {
  CTRL_HEARTBEAT = 0x00000000,
  CTRL_SESSION_NOTICE = 0x00000001,
  CTRL_PAD = 0x00010001,
  CTRL_QUALITY = 0x80000002,
  CTRL_POINTER_DOWN = 0x80200001,
  CTRL_POINTER_UP = 0x80200002,
  CTRL_POINTER_MOVE = 0x80200003,
  CTRL_KEY_DOWN = 0x80300001,
  CTRL_KEY_UP = 0x80300002,
  CTRL_STREAM_READY = 0xFF000001,
  CTRL_STREAM_FAULT = 0xFF000002,
};

// Sub-codes of CTRL_SESSION_NOTICE from the node.
enum SessionNoticeCode : uint32_t {
  SESSION_TIMEOUT = 1,
};

// Device notice sub-codes of CTRL_PAD from the node.
enum PadNoticeCode : uint32_t {
  PAD_OFFLINE = 1,
  PAD_CONNECTION_LOST = 2,
  PAD_CONTROLLED_ELSEWHERE = 3,
  PAD_IDLE_TIMEOUT = 4,
  PAD_QUEUE_STATUS = 5,
  PAD_CONTROL_TIME_EXHAUSTED = 6,
  PAD_NOT_CONTROLLABLE = 7,
};

constexpr uint32_t KEY_FLAG_DOWN = 0x1;
constexpr uint32_t KEY_FLAG_UP = 0x2;
constexpr int32_t KEY_CODE_BACK = 158;

using ControlHello = std::array<uint8_t, kControlHelloSize>;
using ControlMessage = std::array<uint8_t, kControlMessageSize>;

// What a reader takes from a 40-byte message. subCode is the word at bytes 8-11 (also the
// stream number, the quality value and the pointer's x); first and second are the signed
// words at 12-15 and 16-19 (the queue values, the pointer's y, the key's second value).
struct ControlFields {
  uint32_t type = 0;
  uint32_t tick = 0;
  uint32_t subCode = 0;
  int32_t first = 0;
  int32_t second = 0;
};

struct ControlHelloFields {
  bool magicOk = false;
  uint32_t version = 0;
  uint32_t tick = 0;
  std::string session;
};

// Milliseconds of CLOCK_MONOTONIC, wrapping at 2^32 like the platform's tick count.
uint32_t GetTickCount32();

ControlHello BuildControlHello(const std::string& session, uint32_t tick);
ControlMessage BuildControlMessage(uint32_t type, uint32_t tick, uint32_t first = 0, uint32_t second = 0);
// The node's shape: a sub-code at bytes 8-11 and two signed values at 12-15 and 16-19.
ControlMessage BuildNodeMessage(uint32_t type, uint32_t tick, uint32_t subCode, int32_t first,
                                int32_t second);
ControlMessage BuildControlTextMessage(uint32_t type, uint32_t tick, const std::string& text);

ControlFields ReadControlMessage(const uint8_t* message);
// The text field at bytes 8-39, up to its first zero byte.
std::string ReadControlText(const uint8_t* message);
ControlHelloFields ReadControlHello(const uint8_t* hello);

// The wire value of CTRL_QUALITY for a QualityLevel: 0->1, 1->2, 3->4, anything else 3.
uint32_t QualityWireValue(int32_t level);

// "CTRL_PAD" and its siblings; empty for a type the protocol does not name.
const char* ControlTypeName(uint32_t type);
const char* PadNoticeName(uint32_t subCode);

}  // namespace zv
