// What the client tells the service about itself: the OS name and the network address.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zv {

// One network adapter as the system lists it.
struct AdapterInfo {
  std::string name;
  bool ethernet = false;  // wired Ethernet; never wireless, loopback or tunnel
  std::vector<uint8_t> address;
};

// OS version as the version query reports it.
struct OsVersionInfo {
  uint16_t major = 0;
  uint16_t minor = 0;
  uint16_t servicePackMajor = 0;
  bool workstation = true;
};

// The address of the first Ethernet adapter as "%02X-%02X-...", 17 characters. False and
// out untouched when there is none.
bool GetMacAddress(std::string& out);
std::string GetOsName();
bool IsOsVersionAtLeast(uint16_t major, uint16_t minor, uint16_t servicePackMajor);
bool IsServerOs();

// The system sources behind the functions above; tests replace them. A source that
// answers nothing (std::nullopt) behaves like a missing version query.
using AdapterSource = std::function<std::vector<AdapterInfo>()>;
using VersionSource = std::function<std::optional<OsVersionInfo>()>;
void SetAdapterSourceForTesting(AdapterSource source);
void SetVersionSourceForTesting(VersionSource source);

// The Linux adapter list in system order (sysfs: type 1 is Ethernet, "wireless" marks Wi-Fi).
std::vector<AdapterInfo> ListSystemAdapters();

}  // namespace zv
