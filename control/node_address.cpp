#include "control/node_address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstring>

#include "control/control_result.h"

namespace zv {

bool ResolveWithGetAddrInfo(const std::string& host, in_addr* address) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* answer = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &answer) != 0 || answer == nullptr) return false;
  bool found = false;
  for (addrinfo* entry = answer; entry != nullptr && !found; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET && entry->ai_addr != nullptr) {
      *address = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
      found = true;
    }
  }
  freeaddrinfo(answer);
  return found;
}

int32_t MakeNodeAddress(const std::string& controlIp, uint16_t port, const NodeResolver& resolve,
                        sockaddr_in* out) {
  std::memset(out, 0, sizeof *out);
  out->sin_family = AF_INET;
  out->sin_port = htons(port);
  // The address field of the node list holds at most 65 characters of dotted text.
  std::string numeric = controlIp.substr(0, 65);
  if (inet_pton(AF_INET, numeric.c_str(), &out->sin_addr) == 1) return 0;
  const NodeResolver& resolver = resolve ? resolve : NodeResolver(ResolveWithGetAddrInfo);
  if (resolver(controlIp, &out->sin_addr) || resolver(controlIp, &out->sin_addr)) return 0;
  return kControlResolveFailed;
}

}  // namespace zv
