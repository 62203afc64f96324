#include "sim/stream/rtmp_messages.h"

namespace zv::sim::rtmp {

RtmpMessage MakeU32Control(uint8_t type, uint32_t value) {
  RtmpMessage m;
  m.chunkStream = kControlChunkStream;
  m.type = type;
  PutU32Be(m.body, value);
  return m;
}

RtmpMessage MakeSetPeerBandwidth(uint32_t window, uint8_t limitType) {
  RtmpMessage m = MakeU32Control(kSetPeerBandwidth, window);
  PutU8(m.body, limitType);
  return m;
}

RtmpMessage MakeUserControl(uint16_t event, uint32_t value) {
  RtmpMessage m;
  m.chunkStream = kControlChunkStream;
  m.type = kUserControl;
  PutU16Be(m.body, event);
  PutU32Be(m.body, value);
  return m;
}

RtmpMessage MakeCommand(uint32_t chunkStream, uint32_t streamId, const std::vector<AmfValue>& values) {
  RtmpMessage m;
  m.chunkStream = chunkStream;
  m.type = kCommandAmf0;
  m.streamId = streamId;
  for (const auto& v : values) EncodeAmf(v, m.body);
  return m;
}

RtmpMessage MakeConnectResult(double transaction, double objectEncoding) {
  AmfValue props = AmfValue::Object({{"fmsVer", AmfValue::String("FMS/3,5,7,7009")},
                                     {"capabilities", AmfValue::Number(31)},
                                     {"mode", AmfValue::Number(1)}});
  AmfValue info = AmfValue::Object({{"level", AmfValue::String("status")},
                                    {"code", AmfValue::String("NetConnection.Connect.Success")},
                                    {"description", AmfValue::String("Connection succeeded.")},
                                    {"objectEncoding", AmfValue::Number(objectEncoding)}});
  return MakeCommand(kCommandChunkStream, 0,
                     {AmfValue::String("_result"), AmfValue::Number(transaction), props, info});
}

RtmpMessage MakeCreateStreamResult(double transaction, uint32_t streamId) {
  return MakeCommand(kCommandChunkStream, 0,
                     {AmfValue::String("_result"), AmfValue::Number(transaction), AmfValue::Null(),
                      AmfValue::Number(streamId)});
}

RtmpMessage MakeOnStatus(uint32_t streamId, const std::string& level, const std::string& code,
                         const std::string& description) {
  AmfValue info = AmfValue::Object({{"level", AmfValue::String(level)},
                                    {"code", AmfValue::String(code)},
                                    {"description", AmfValue::String(description)}});
  return MakeCommand(kStreamChunkStream, streamId,
                     {AmfValue::String("onStatus"), AmfValue::Number(0), AmfValue::Null(), info});
}

RtmpMessage MakeMetaData(uint32_t streamId, int width, int height, int fps, int kbps) {
  RtmpMessage m;
  m.chunkStream = kStreamChunkStream;
  m.type = kDataAmf0;
  m.streamId = streamId;
  EncodeAmf(AmfValue::String("onMetaData"), m.body);
  EncodeAmf(AmfValue::EcmaArray({{"width", AmfValue::Number(width)},
                                 {"height", AmfValue::Number(height)},
                                 {"framerate", AmfValue::Number(fps)},
                                 {"videocodecid", AmfValue::Number(7)},
                                 {"videodatarate", AmfValue::Number(kbps)}}),
            m.body);
  return m;
}

}  // namespace zv::sim::rtmp
