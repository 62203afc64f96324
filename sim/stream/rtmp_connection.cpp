#include "sim/stream/rtmp_connection.h"

#include <event2/buffer.h>
#include <event2/bufferevent.h>
#include <event2/event.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "sim/stream/flv_avc.h"
#include "sim/stream/rtmp_messages.h"

namespace zv::sim::rtmp {
namespace {

constexpr size_t kHandshakeSize = 1536;
constexpr uint8_t kRtmpVersion = 3;
constexpr uint32_t kOutChunkSize = 4096;
constexpr uint32_t kServerWindow = 5'000'000;
constexpr uint8_t kPeerBandwidthDynamic = 2;
// Past this much unsent video the player falls behind: drop pictures until it catches
// up, then resume at a keyframe.
constexpr size_t kMaxBacklog = 2u << 20;

uint64_t SteadyMs() {
  using namespace std::chrono;
  return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t ServerUptimeMs() {
  using namespace std::chrono;
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

CRtmpConnection::CRtmpConnection(IRtmpHost& host, int id, std::string peer)
    : m_host(host), m_id(id), m_peer(std::move(peer)) {}

CRtmpConnection::~CRtmpConnection() {
  if (m_pingTimer) event_free(m_pingTimer);
  if (m_bev) bufferevent_free(m_bev);
}

bool CRtmpConnection::Attach(event_base* base, int fd) {
  m_base = base;
  m_bev = bufferevent_socket_new(base, fd, BEV_OPT_CLOSE_ON_FREE);
  if (!m_bev) return false;
  bufferevent_setcb(m_bev, &CRtmpConnection::OnRead, &CRtmpConnection::OnWrite, &CRtmpConnection::OnEvent,
                    this);
  return bufferevent_enable(m_bev, EV_READ | EV_WRITE) == 0;
}

void CRtmpConnection::OnRead(bufferevent*, void* self) {
  static_cast<CRtmpConnection*>(self)->ReadAvailable();
}

void CRtmpConnection::OnWrite(bufferevent*, void* self) {
  auto* c = static_cast<CRtmpConnection*>(self);
  if (c->m_closing && evbuffer_get_length(bufferevent_get_output(c->m_bev)) == 0) c->Close(c->m_closeReason);
}

void CRtmpConnection::OnEvent(bufferevent*, short what, void* self) {
  auto* c = static_cast<CRtmpConnection*>(self);
  if (what & BEV_EVENT_EOF) {
    c->Close("closed by the player");
  } else if (what & BEV_EVENT_ERROR) {
    c->Close("socket error");
  } else if (what & BEV_EVENT_TIMEOUT) {
    c->Close(c->m_closing ? c->m_closeReason : "write timeout");
  }
}

void CRtmpConnection::OnPing(int, short, void* self) {
  auto* c = static_cast<CRtmpConnection*>(self);
  if (c->Playing() && !c->Stalled() && SteadyMs() >= c->m_pausedUntil) {
    c->Send(MakeUserControl(kPingRequest, ServerUptimeMs()));
  }
}

void CRtmpConnection::Close(const std::string& reason) {
  if (m_closed) return;
  m_closed = true;
  m_playing = false;
  if (m_pingTimer) {
    event_free(m_pingTimer);
    m_pingTimer = nullptr;
  }
  if (m_bev) {
    bufferevent_free(m_bev);
    m_bev = nullptr;
  }
  m_host.OnClosed(*this, reason);
}

void CRtmpConnection::CloseAfterFlush(const std::string& reason) {
  if (m_closed || m_closing) return;
  const bool wasPlaying = m_playing;
  m_closing = true;
  m_closeReason = reason;
  m_playing = false;
  if (wasPlaying) m_host.OnStopPlaying(*this);
  bufferevent_disable(m_bev, EV_READ);
  if (evbuffer_get_length(bufferevent_get_output(m_bev)) == 0) {
    Close(reason);
    return;
  }
  // A player that stopped reading must not keep the connection open for ever.
  const timeval flushLimit{5, 0};
  bufferevent_set_timeouts(m_bev, nullptr, &flushLimit);
}

void CRtmpConnection::End(const std::string& reason) {
  if (m_closed) return;
  if (m_playing && !Stalled()) {
    SendStatus("status", "NetStream.Play.UnpublishNotify", "The stream has ended.");
    Send(MakeUserControl(kStreamEof, m_playStreamId));
  }
  // A stalled player gets no more bytes: the stream just goes away.
  if (m_stalled) {
    Close(reason);
  } else {
    CloseAfterFlush(reason);
  }
}

void CRtmpConnection::Send(const RtmpMessage& message) {
  if (!m_bev || m_closed) return;
  Bytes wire;
  m_writer.Write(message, wire);
  evbuffer_add(bufferevent_get_output(m_bev), wire.data(), wire.size());
}

void CRtmpConnection::ReadAvailable() {
  evbuffer* input = bufferevent_get_input(m_bev);
  if (m_phase != Phase::kChunks && !HandleHandshake()) return;
  if (m_phase != Phase::kChunks) return;
  const size_t size = evbuffer_get_length(input);
  if (size == 0) return;
  Bytes data(size);
  evbuffer_remove(input, data.data(), size);
  m_bytesIn += size;

  std::vector<RtmpMessage> messages;
  std::string error;
  const bool ok = m_reader.Feed(data.data(), data.size(), messages, error);
  for (const RtmpMessage& m : messages) {
    if (m_closed || m_closing) return;
    HandleMessage(m);
  }
  if (!ok) {
    Close("malformed chunk stream: " + error);
    return;
  }
  if (m_peerWindow != 0 && m_bytesIn - m_bytesAcked >= m_peerWindow) {
    m_bytesAcked = m_bytesIn;
    Send(MakeU32Control(kAcknowledgement, static_cast<uint32_t>(m_bytesIn)));
  }
}

bool CRtmpConnection::HandleHandshake() {
  evbuffer* input = bufferevent_get_input(m_bev);
  if (m_phase == Phase::kWaitC0C1) {
    if (evbuffer_get_length(input) < 1 + kHandshakeSize) return false;
    Bytes c0c1(1 + kHandshakeSize);
    evbuffer_remove(input, c0c1.data(), c0c1.size());
    m_bytesIn += c0c1.size();
    if (c0c1[0] != kRtmpVersion) {
      Close("handshake with RTMP version " + std::to_string(c0c1[0]));
      return false;
    }
    // Plain handshake: S1 is our time, zero and random bytes (a zero version field tells
    // digest-aware players not to look for a digest); S2 echoes C1.
    Bytes out;
    out.reserve(1 + 2 * kHandshakeSize);
    PutU8(out, kRtmpVersion);
    PutU32Be(out, ServerUptimeMs());
    PutU32Be(out, 0);
    std::minstd_rand random(static_cast<uint32_t>(m_id) * 7919u + ServerUptimeMs());
    while (out.size() < 1 + kHandshakeSize) PutU8(out, random() & 0xFF);
    out.insert(out.end(), c0c1.begin() + 1, c0c1.end());
    evbuffer_add(bufferevent_get_output(m_bev), out.data(), out.size());
    m_phase = Phase::kWaitC2;
  }
  if (m_phase == Phase::kWaitC2) {
    if (evbuffer_get_length(input) < kHandshakeSize) return false;
    evbuffer_drain(input, kHandshakeSize);
    m_bytesIn += kHandshakeSize;
    m_phase = Phase::kChunks;
  }
  return true;
}

void CRtmpConnection::HandleMessage(const RtmpMessage& m) {
  switch (m.type) {
    case kSetChunkSize:
    case kAbort:
    case kAcknowledgement:
    case kWindowAckSize:
    case kSetPeerBandwidth:
      HandleControl(m);
      break;
    case kUserControl:
      HandleUserControl(m);
      break;
    case kCommandAmf0:
      HandleCommand(m, 0);
      break;
    case kCommandAmf3:
      // An AMF3 command body is a format byte followed by AMF0 values.
      HandleCommand(m, 1);
      break;
    default:
      // Audio, video and data from a player have no meaning on a play-only server.
      break;
  }
}

void CRtmpConnection::HandleControl(const RtmpMessage& m) {
  if (m.body.size() < 4) {
    if (m.type != kAcknowledgement) Close("short protocol control message");
    return;
  }
  const uint32_t value = GetU32Be(m.body.data());
  switch (m.type) {
    case kSetChunkSize:
      if ((value & 0x7FFFFFFF) == 0 || (value & 0x7FFFFFFF) > kMaxChunkSize) {
        Close("invalid chunk size " + std::to_string(value));
        return;
      }
      m_reader.SetChunkSize(value & 0x7FFFFFFF);
      break;
    case kAbort:
      m_reader.Abort(value);
      break;
    case kWindowAckSize:
      m_peerWindow = value;
      break;
    default:
      break;
  }
}

void CRtmpConnection::HandleUserControl(const RtmpMessage& m) {
  if (m.body.size() < 2) return;
  const uint16_t event = static_cast<uint16_t>(GetU16Be(m.body.data()));
  if (event == kPingRequest && m.body.size() >= 6) {
    Send(MakeUserControl(kPingResponse, GetU32Be(m.body.data() + 2)));
  }
  m_host.OnUserControl(*this, event, m.body);
}

void CRtmpConnection::HandleCommand(const RtmpMessage& m, size_t offset) {
  if (m.body.size() <= offset) return;
  std::vector<AmfValue> values;
  // A malformed tail still leaves the values before it usable.
  DecodeAmfSequence(m.body.data() + offset, m.body.size() - offset, values);
  if (values.empty() || values[0].type != AmfType::kString) return;
  const std::string& name = values[0].text;
  const double transaction = values.size() > 1 ? values[1].NumberOr(0) : 0;
  auto arg = [&](size_t i) -> const AmfValue* { return i < values.size() ? &values[i] : nullptr; };

  if (name == "connect") {
    HandleConnect(transaction, arg(2));
  } else if (name == "createStream") {
    Send(MakeCreateStreamResult(transaction, m_nextStreamId++));
  } else if (name == "play") {
    HandlePlay(m, transaction, arg(3) ? arg(3)->StringOr("") : "");
  } else if (name == "deleteStream" || name == "closeStream" || name == "FCUnsubscribe") {
    if (m_playing) {
      m_playing = false;
      m_host.OnStopPlaying(*this);
    }
  } else if (name == "releaseStream" || name == "FCPublish" || name == "FCUnpublish" ||
             name == "FCSubscribe" || name == "_checkbw") {
    AnswerNull(transaction, AmfValue{});
  } else if (name == "getStreamLength") {
    AnswerNull(transaction, AmfValue::Number(0));
  } else if (name == "publish") {
    SendStatus("error", "NetStream.Publish.Denied", "This server only plays the devices' screens.");
    CloseAfterFlush("publish refused");
  } else if (name == "pause" || name == "receiveVideo" || name == "receiveAudio" || name == "seek" ||
             name == "_result" || name == "_error" || name == "onStatus") {
    // Live streams cannot be paused or sought; the rest needs no answer.
  } else if (transaction > 0) {
    Send(MakeCommand(kCommandChunkStream, 0,
                     {AmfValue::String("_error"), AmfValue::Number(transaction), AmfValue::Null(),
                      AmfValue::Object({{"level", AmfValue::String("error")},
                                        {"code", AmfValue::String("NetConnection.Call.Failed")},
                                        {"description", AmfValue::String("Unknown command " + name)}})}));
  }
}

void CRtmpConnection::AnswerNull(double transaction, const AmfValue& value) {
  if (transaction <= 0) return;
  Send(MakeCommand(kCommandChunkStream, 0,
                   {AmfValue::String("_result"), AmfValue::Number(transaction), AmfValue::Null(), value}));
}

void CRtmpConnection::HandleConnect(double transaction, const AmfValue* properties) {
  double objectEncoding = 0;
  if (properties) {
    if (const AmfValue* v = properties->Find("app")) m_app = v->StringOr("");
    if (const AmfValue* v = properties->Find("tcUrl")) m_tcUrl = v->StringOr("");
    if (const AmfValue* v = properties->Find("objectEncoding")) objectEncoding = v->NumberOr(0);
  }
  Send(MakeU32Control(kWindowAckSize, kServerWindow));
  Send(MakeSetPeerBandwidth(kServerWindow, kPeerBandwidthDynamic));
  Send(MakeU32Control(kSetChunkSize, kOutChunkSize));
  m_writer.SetChunkSize(kOutChunkSize);
  Send(MakeConnectResult(transaction, objectEncoding));
  m_host.OnConnectCommand(*this);
}

void CRtmpConnection::HandlePlay(const RtmpMessage& m, double, const std::string& rawName) {
  // Players may add a query to the name; the stream is named by what comes before it.
  const std::string name = rawName.substr(0, rawName.find('?'));
  const uint32_t streamId = m.streamId != 0 ? m.streamId : 1;
  if (m_playing) {
    m_playing = false;
    m_host.OnStopPlaying(*this);
  }
  m_streamName = name;
  m_playStreamId = streamId;
  PlayAnswer answer = m_host.OnPlay(*this, name);
  if (!answer.accepted) {
    SendStatus("error", "NetStream.Play.StreamNotFound", "No live stream " + name + ".");
    CloseAfterFlush("stream not found: " + answer.reason);
    return;
  }
  m_padCode = answer.padCode;
  Send(MakeUserControl(kStreamBegin, streamId));
  SendStatus("status", "NetStream.Play.Reset", "Playing and resetting " + name + ".");
  SendStatus("status", "NetStream.Play.Start", "Started playing " + name + ".");
  Send(MakeMetaData(streamId, answer.width, answer.height, answer.fps, answer.kbps));
  m_playing = true;
  m_needSequenceHeader = true;
  m_waitKeyframe = true;
  m_hasBase = false;
  if (answer.pingIntervalMs > 0 && !m_pingTimer) {
    // Players answer ping requests; a live link is the one that still does.
    m_pingTimer = event_new(m_base, -1, EV_PERSIST, &CRtmpConnection::OnPing, this);
    const timeval interval{answer.pingIntervalMs / 1000, (answer.pingIntervalMs % 1000) * 1000};
    if (m_pingTimer) event_add(m_pingTimer, &interval);
  }
}

void CRtmpConnection::SendStatus(const std::string& level, const std::string& code,
                                 const std::string& description) {
  if (Stalled()) return;
  Send(MakeOnStatus(m_playStreamId, level, code, description));
}

bool CRtmpConnection::WantsKeyframe(uint64_t nowMs) const {
  if (!Playing() || m_stalled || nowMs < m_pausedUntil) return false;
  if (!m_waitKeyframe) return false;
  return !m_bev || evbuffer_get_length(bufferevent_get_output(m_bev)) < kMaxBacklog / 2;
}

void CRtmpConnection::SendPicture(const Bytes& sequenceHeader, const uint8_t* accessUnit, size_t size,
                                  bool keyframe, uint64_t captureMs, uint64_t nowMs) {
  if (!Playing() || m_stalled) return;
  if (nowMs < m_pausedUntil) {
    m_waitKeyframe = true;
    return;
  }
  const size_t backlog = evbuffer_get_length(bufferevent_get_output(m_bev));
  if (backlog > kMaxBacklog || (m_dropping && backlog > kMaxBacklog / 2)) {
    if (!m_dropping) SendStatus("warning", "NetStream.DataDroped.Notify", "Video data dropped.");
    m_dropping = true;
    m_waitKeyframe = true;
    return;
  }
  m_dropping = false;
  if (m_waitKeyframe && !keyframe) return;
  if (!m_hasBase) {
    m_hasBase = true;
    m_baseMs = captureMs;
  }
  const uint32_t stamp = captureMs > m_baseMs ? static_cast<uint32_t>(captureMs - m_baseMs) : 0;
  m_lastVideoTimestamp = std::max(m_lastVideoTimestamp, stamp);

  RtmpMessage message;
  message.chunkStream = kVideoChunkStream;
  message.type = kVideo;
  message.streamId = m_playStreamId;
  message.timestamp = m_lastVideoTimestamp;
  if (keyframe && m_needSequenceHeader && !sequenceHeader.empty()) {
    message.body = sequenceHeader;
    Send(message);
    m_needSequenceHeader = false;
  }
  m_waitKeyframe = false;
  message.body = BuildPictureTag(accessUnit, size, keyframe);
  if (!m_stallPending) {
    Send(message);
    return;
  }
  // The stall: half of this message's bytes go out, and then nothing more.
  Bytes wire;
  m_writer.Write(message, wire);
  evbuffer_add(bufferevent_get_output(m_bev), wire.data(), wire.size() / 2);
  m_stallPending = false;
  m_stalled = true;
}

}  // namespace zv::sim::rtmp
