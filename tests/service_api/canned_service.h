// A plain-HTTP loopback server that answers each path with a fixed text, for the answers
// the simulated platform never gives (a key exchange without a key, an empty session,
// an expired session on the login request). It records what it received.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zv::test {

struct CannedRequest {
  std::string path;  // with the query
  std::string body;
};

class CCannedService {
 public:
  CCannedService();
  ~CCannedService();

  int Port() const { return m_port; }
  // The answer for a path (without the query); unknown paths get a 404 page.
  void SetAnswer(const std::string& path, const std::string& body);
  std::vector<CannedRequest> Requests();

 private:
  void Serve();
  void Answer(int fd);

  int m_listener = -1;
  int m_port = 0;
  std::mutex m_mutex;
  std::map<std::string, std::string> m_answers;
  std::vector<CannedRequest> m_requests;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace zv::test
