// One player's RTMP connection on the stream server: the plain handshake, chunk streams
// both ways, the NetConnection / NetStream commands of a player, and the live video it is
// sent. All of it runs on the event loop thread.
#pragma once

#include <cstdint>
#include <string>

#include "sim/stream/amf0.h"
#include "sim/stream/chunk_stream.h"

struct bufferevent;
struct event;
struct event_base;

namespace zv::sim::rtmp {

class CRtmpConnection;

struct PlayAnswer {
  bool accepted = false;
  std::string padCode;
  std::string reason;  // why a name was refused, for the log
  int width = 0;
  int height = 0;
  int fps = 0;
  int kbps = 0;
  int pingIntervalMs = 0;  // 0: no ping requests
};

// What the connection asks of and tells the server it belongs to.
class IRtmpHost {
 public:
  virtual ~IRtmpHost() = default;
  virtual void OnAccepted(CRtmpConnection&) {}
  virtual void OnConnectCommand(CRtmpConnection& connection) = 0;
  virtual PlayAnswer OnPlay(CRtmpConnection& connection, const std::string& streamName) = 0;
  virtual void OnStopPlaying(CRtmpConnection& connection) = 0;
  virtual void OnUserControl(CRtmpConnection& connection, uint16_t event, const Bytes& body) = 0;
  // Called once; the host destroys the object later, outside the connection's callbacks.
  virtual void OnClosed(CRtmpConnection& connection, const std::string& reason) = 0;
};

class CRtmpConnection {
 public:
  CRtmpConnection(IRtmpHost& host, int id, std::string peer);
  ~CRtmpConnection();
  CRtmpConnection(const CRtmpConnection&) = delete;
  CRtmpConnection& operator=(const CRtmpConnection&) = delete;

  bool Attach(event_base* base, int fd);

  int Id() const { return m_id; }
  const std::string& Peer() const { return m_peer; }
  const std::string& App() const { return m_app; }
  const std::string& TcUrl() const { return m_tcUrl; }
  const std::string& StreamName() const { return m_streamName; }
  const std::string& PadCode() const { return m_padCode; }
  bool Playing() const { return m_playing && !m_closing; }
  bool Closed() const { return m_closed; }
  uint32_t PlayStreamId() const { return m_playStreamId; }

  // A new encoder start: the next keyframe goes out behind the new sequence header.
  void NeedSequenceHeader() { m_needSequenceHeader = true; }
  // True while the player waits for a keyframe that it can take now.
  bool WantsKeyframe(uint64_t nowMs) const;
  void SendPicture(const Bytes& sequenceHeader, const uint8_t* accessUnit, size_t size, bool keyframe,
                   uint64_t captureMs, uint64_t nowMs);
  void SendStatus(const std::string& level, const std::string& code, const std::string& description);

  // Admin actions.
  void Stall() { m_stallPending = true; }
  void Pause(uint64_t untilMs) { m_pausedUntil = untilMs; }
  // Ends the stream: the last words are written, then the connection is closed.
  void End(const std::string& reason);
  void Close(const std::string& reason);

 private:
  enum class Phase { kWaitC0C1, kWaitC2, kChunks };

  static void OnRead(bufferevent* bev, void* self);
  static void OnWrite(bufferevent* bev, void* self);
  static void OnEvent(bufferevent* bev, short what, void* self);
  static void OnPing(int fd, short what, void* self);

  void ReadAvailable();
  bool HandleHandshake();
  void HandleMessage(const RtmpMessage& message);
  void HandleControl(const RtmpMessage& message);
  void HandleUserControl(const RtmpMessage& message);
  void HandleCommand(const RtmpMessage& message, size_t offset);
  void HandleConnect(double transaction, const AmfValue* properties);
  void HandlePlay(const RtmpMessage& message, double transaction, const std::string& name);
  void AnswerNull(double transaction, const AmfValue& value);
  void Send(const RtmpMessage& message);
  bool Stalled() const { return m_stalled || m_closing; }
  void CloseAfterFlush(const std::string& reason);

  IRtmpHost& m_host;
  const int m_id;
  const std::string m_peer;
  event_base* m_base = nullptr;
  bufferevent* m_bev = nullptr;
  event* m_pingTimer = nullptr;
  Phase m_phase = Phase::kWaitC0C1;
  CChunkReader m_reader;
  CChunkWriter m_writer;
  uint64_t m_bytesIn = 0;
  uint64_t m_bytesAcked = 0;
  uint32_t m_peerWindow = 0;

  std::string m_app;
  std::string m_tcUrl;
  uint32_t m_nextStreamId = 1;
  uint32_t m_playStreamId = 0;
  std::string m_streamName;
  std::string m_padCode;
  bool m_playing = false;

  bool m_needSequenceHeader = true;
  bool m_waitKeyframe = true;
  bool m_dropping = false;
  bool m_hasBase = false;
  uint64_t m_baseMs = 0;
  uint32_t m_lastVideoTimestamp = 0;

  bool m_stallPending = false;
  bool m_stalled = false;
  uint64_t m_pausedUntil = 0;
  bool m_closing = false;
  std::string m_closeReason;
  bool m_closed = false;
};

}  // namespace zv::sim::rtmp
