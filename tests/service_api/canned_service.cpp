#include "tests/service_api/canned_service.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <strings.h>

namespace zv::test {

namespace {

bool ReadRequest(int fd, std::string& head, std::string& body) {
  std::string data;
  char buffer[4096];
  size_t headEnd = std::string::npos;
  size_t length = 0;
  for (;;) {
    if (headEnd == std::string::npos) {
      headEnd = data.find("\r\n\r\n");
      if (headEnd != std::string::npos) {
        head = data.substr(0, headEnd);
        for (size_t at = head.find("\r\n"); at != std::string::npos; at = head.find("\r\n", at + 2))
          if (strncasecmp(head.c_str() + at + 2, "Content-Length:", 15) == 0)
            length = std::strtoul(head.c_str() + at + 17, nullptr, 10);
      }
    }
    if (headEnd != std::string::npos && data.size() >= headEnd + 4 + length) {
      body = data.substr(headEnd + 4, length);
      return true;
    }
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, 5000) <= 0) return false;
    ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n <= 0) return false;
    data.append(buffer, static_cast<size_t>(n));
  }
}

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    // The client may hang up mid-answer; that must not raise SIGPIPE in the test process.
    ssize_t n = send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

}  // namespace

CCannedService::CCannedService() {
  m_listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  listen(m_listener, 8);
  socklen_t size = sizeof(address);
  getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
  m_port = ntohs(address.sin_port);
  m_thread = std::thread([this] { Serve(); });
}

CCannedService::~CCannedService() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stop = true;
  }
  m_thread.join();
  close(m_listener);
}

void CCannedService::SetAnswer(const std::string& path, const std::string& body) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_answers[path] = body;
}

std::vector<CannedRequest> CCannedService::Requests() {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_requests;
}

void CCannedService::Serve() {
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_stop) return;
    }
    pollfd p{m_listener, POLLIN, 0};
    if (poll(&p, 1, 50) <= 0) continue;
    int fd = accept(m_listener, nullptr, nullptr);
    if (fd < 0) continue;
    Answer(fd);
    close(fd);
  }
}

void CCannedService::Answer(int fd) {
  std::string head, body;
  if (!ReadRequest(fd, head, body)) return;
  // "POST /path?query HTTP/1.1"
  const size_t start = head.find(' ') + 1;
  const std::string target = head.substr(start, head.find(' ', start) - start);
  const std::string path = target.substr(0, target.find('?'));
  std::string answer;
  bool found = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_requests.push_back({target, body});
    auto it = m_answers.find(path);
    if (it != m_answers.end()) {
      answer = it->second;
      found = true;
    }
  }
  const std::string status = found ? "200 OK" : "404 Not Found";
  if (!found) answer = "<html><body>not found</body></html>";
  WriteAll(fd, "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " +
                   std::to_string(answer.size()) + "\r\nConnection: close\r\n\r\n" + answer);
}

}  // namespace zv::test
