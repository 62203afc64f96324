#include "tests/control/tcp_peer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace zv::test {
namespace {

using Clock = std::chrono::steady_clock;

bool WaitReadable(int fd, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left < 0) left = 0;
    pollfd waiter{fd, POLLIN, 0};
    int rc = poll(&waiter, 1, static_cast<int>(left));
    if (rc > 0) return true;
    if (rc == 0) return false;
    if (errno != EINTR) return false;
  }
}

}  // namespace

TcpConnection::~TcpConnection() {
  Close();
}

TcpConnection& TcpConnection::operator=(TcpConnection&& other) noexcept {
  if (this != &other) {
    Close();
    m_fd = other.m_fd;
    other.m_fd = -1;
  }
  return *this;
}

std::vector<uint8_t> TcpConnection::ReadExact(size_t size, std::chrono::milliseconds timeout) {
  std::vector<uint8_t> data(size);
  size_t got = 0;
  auto deadline = Clock::now() + timeout;
  while (got < size) {
    if (m_fd < 0 || !WaitReadable(m_fd, deadline)) return {};
    ssize_t n = recv(m_fd, data.data() + got, size - got, 0);
    if (n <= 0) return {};
    got += static_cast<size_t>(n);
  }
  return data;
}

std::vector<uint8_t> TcpConnection::ReadUntilClose(std::chrono::milliseconds timeout) {
  std::vector<uint8_t> data;
  auto deadline = Clock::now() + timeout;
  uint8_t buffer[4096];
  while (m_fd >= 0 && WaitReadable(m_fd, deadline)) {
    ssize_t n = recv(m_fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    data.insert(data.end(), buffer, buffer + n);
  }
  return data;
}

bool TcpConnection::WaitForClose(std::chrono::milliseconds timeout) {
  auto deadline = Clock::now() + timeout;
  if (m_fd < 0 || !WaitReadable(m_fd, deadline)) return false;
  uint8_t byte;
  ssize_t n = recv(m_fd, &byte, 1, 0);
  return n == 0 || (n < 0 && errno == ECONNRESET);
}

bool TcpConnection::Quiet(std::chrono::milliseconds wait) {
  if (m_fd < 0) return true;
  if (!WaitReadable(m_fd, Clock::now() + wait)) return true;
  uint8_t byte;
  return recv(m_fd, &byte, 1, MSG_PEEK) <= 0;
}

void TcpConnection::Write(const uint8_t* data, size_t size) {
  if (m_fd < 0) return;
  size_t sent = 0;
  while (sent < size) {
    ssize_t n = send(m_fd, data + sent, size - sent, MSG_NOSIGNAL);
    if (n <= 0) return;
    sent += static_cast<size_t>(n);
  }
}

void TcpConnection::Close() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
}

void TcpConnection::Reset() {
  if (m_fd < 0) return;
  linger hard{1, 0};
  setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  Close();
}

TcpListener::TcpListener(int backlog) {
  m_fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(m_fd, backlog) != 0) {
    Close();
    return;
  }
  socklen_t length = sizeof address;
  getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
  m_port = ntohs(address.sin_port);
}

TcpListener::~TcpListener() {
  Close();
}

TcpConnection TcpListener::Accept(std::chrono::milliseconds timeout) {
  if (m_fd < 0 || !WaitReadable(m_fd, Clock::now() + timeout)) return TcpConnection();
  int fd = accept(m_fd, nullptr, nullptr);
  if (fd >= 0) {
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  }
  return TcpConnection(fd);
}

void TcpListener::Close() {
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
}

TcpConnection ConnectTo(uint16_t port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return TcpConnection();
  }
  int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  return TcpConnection(fd);
}

uint16_t UnusedPort() {
  TcpListener listener;
  return listener.Port();
}

}  // namespace zv::test
