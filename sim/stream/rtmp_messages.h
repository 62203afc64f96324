// The messages the stream server writes: protocol control, user control and the AMF0
// command answers a player waits for.
#pragma once

#include <string>
#include <vector>

#include "sim/stream/amf0.h"
#include "sim/stream/chunk_stream.h"

namespace zv::sim::rtmp {

enum MessageType : uint8_t {
  kSetChunkSize = 1,
  kAbort = 2,
  kAcknowledgement = 3,
  kUserControl = 4,
  kWindowAckSize = 5,
  kSetPeerBandwidth = 6,
  kAudio = 8,
  kVideo = 9,
  kDataAmf3 = 15,
  kCommandAmf3 = 17,
  kDataAmf0 = 18,
  kCommandAmf0 = 20,
};

enum UserControlEvent : uint16_t {
  kStreamBegin = 0,
  kStreamEof = 1,
  kSetBufferLength = 3,
  kPingRequest = 6,
  kPingResponse = 7,
  kAutoQualityFlag = 31,
};

// Chunk streams the server writes on.
constexpr uint32_t kControlChunkStream = 2;
constexpr uint32_t kCommandChunkStream = 3;
constexpr uint32_t kStreamChunkStream = 5;
constexpr uint32_t kVideoChunkStream = 6;

RtmpMessage MakeU32Control(uint8_t type, uint32_t value);
RtmpMessage MakeSetPeerBandwidth(uint32_t window, uint8_t limitType);
RtmpMessage MakeUserControl(uint16_t event, uint32_t value);
RtmpMessage MakeCommand(uint32_t chunkStream, uint32_t streamId, const std::vector<AmfValue>& values);

RtmpMessage MakeConnectResult(double transaction, double objectEncoding);
RtmpMessage MakeCreateStreamResult(double transaction, uint32_t streamId);
RtmpMessage MakeOnStatus(uint32_t streamId, const std::string& level, const std::string& code,
                         const std::string& description);
RtmpMessage MakeMetaData(uint32_t streamId, int width, int height, int fps, int kbps);

}  // namespace zv::sim::rtmp
