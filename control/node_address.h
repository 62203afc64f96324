// Turns a control node's address text into the IPv4 socket address the session connects to.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <string>

namespace zv {

// Resolves a host name to its first IPv4 address; false when the name does not resolve.
using NodeResolver = std::function<bool(const std::string& host, in_addr* address)>;

// getaddrinfo restricted to AF_INET.
bool ResolveWithGetAddrInfo(const std::string& host, in_addr* address);

// A dotted IPv4 address is used as it is; anything else is resolved, with one more try
// after a failure. Returns 0 or kControlResolveFailed.
int32_t MakeNodeAddress(const std::string& controlIp, uint16_t port, const NodeResolver& resolve,
                        sockaddr_in* out);

}  // namespace zv
