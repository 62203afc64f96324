// The far end of a control connection for the tests: a blocking listener on 127.0.0.1 with
// an ephemeral port, and the accepted connections read and written with timeouts.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace zv::test {

class TcpConnection {
 public:
  explicit TcpConnection(int fd = -1) : m_fd(fd) {}
  ~TcpConnection();
  TcpConnection(TcpConnection&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }
  TcpConnection& operator=(TcpConnection&& other) noexcept;

  bool Valid() const { return m_fd >= 0; }
  // Exactly size bytes, or an empty vector when the peer closed or time ran out.
  std::vector<uint8_t> ReadExact(size_t size, std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // Everything until the client closes its side (or the timeout passes).
  std::vector<uint8_t> ReadUntilClose(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // True when the client closed its side within the timeout, with no byte before it.
  bool WaitForClose(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  // True when no byte arrives within the wait.
  bool Quiet(std::chrono::milliseconds wait);
  void Write(const uint8_t* data, size_t size);
  void Write(const std::vector<uint8_t>& data) { Write(data.data(), data.size()); }
  void Close();
  // Closes with a reset instead of an orderly end.
  void Reset();

 private:
  int m_fd;
};

class TcpListener {
 public:
  // backlog as given to listen(); the port is ephemeral.
  explicit TcpListener(int backlog = 8);
  ~TcpListener();
  uint16_t Port() const { return m_port; }
  TcpConnection Accept(std::chrono::milliseconds timeout = std::chrono::seconds(5));
  void Close();

 private:
  int m_fd = -1;
  uint16_t m_port = 0;
};

// A client connection to 127.0.0.1:port; invalid when it was refused.
TcpConnection ConnectTo(uint16_t port);

// A loopback port on which nothing listens (bound once, then closed).
uint16_t UnusedPort();

}  // namespace zv::test
