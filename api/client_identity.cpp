#include "api/client_identity.h"

#include <net/if.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <mutex>

namespace zv {

namespace {

std::mutex g_mutex;
AdapterSource g_adapterSource;
VersionSource g_versionSource;
bool g_versionLooked = false;
std::optional<OsVersionInfo> g_version;

std::string ReadFirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

bool PathExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

std::vector<uint8_t> ParseHardwareAddress(const std::string& text) {
  std::vector<uint8_t> bytes;
  unsigned int b[6];
  char tail;
  if (std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x%c", &b[0], &b[1], &b[2], &b[3], &b[4], &b[5], &tail) == 6) {
    for (unsigned int v : b) bytes.push_back(static_cast<uint8_t>(v));
  }
  return bytes;
}

// The true version of the system; on Linux there is no such query, so nothing is known.
std::optional<OsVersionInfo> QuerySystemVersion() { return std::nullopt; }

std::optional<OsVersionInfo> CurrentVersion() {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!g_versionLooked) {
    g_version = g_versionSource ? g_versionSource() : QuerySystemVersion();
    g_versionLooked = true;
  }
  return g_version;
}

}  // namespace

std::vector<AdapterInfo> ListSystemAdapters() {
  std::vector<AdapterInfo> adapters;
  struct if_nameindex* list = if_nameindex();
  if (!list) return adapters;
  // if_nameindex lists the interfaces by index, the order in which the system added them.
  for (struct if_nameindex* i = list; i->if_index != 0 && i->if_name; ++i) {
    std::string base = std::string("/sys/class/net/") + i->if_name;
    AdapterInfo info;
    info.name = i->if_name;
    // ARPHRD_ETHER is 1; loopback (772) and tunnels have other types; Wi-Fi also reports 1
    // but has a "wireless" entry or a phy80211 link.
    info.ethernet = ReadFirstLine(base + "/type") == "1" && !PathExists(base + "/wireless") &&
                    !PathExists(base + "/phy80211");
    info.address = ParseHardwareAddress(ReadFirstLine(base + "/address"));
    adapters.push_back(std::move(info));
  }
  if_freenameindex(list);
  return adapters;
}

void SetAdapterSourceForTesting(AdapterSource source) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_adapterSource = std::move(source);
}

void SetVersionSourceForTesting(VersionSource source) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_versionSource = std::move(source);
  g_versionLooked = false;
}

bool GetMacAddress(std::string& out) {
  AdapterSource source;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    source = g_adapterSource;
  }
  std::vector<AdapterInfo> adapters = source ? source() : ListSystemAdapters();
  for (const auto& adapter : adapters) {
    if (!adapter.ethernet || adapter.address.size() != 6) continue;
    const auto& a = adapter.address;
    char text[18];
    std::snprintf(text, sizeof(text), "%02X-%02X-%02X-%02X-%02X-%02X", a[0], a[1], a[2], a[3], a[4], a[5]);
    out = text;
    return true;
  }
  return false;
}

bool IsOsVersionAtLeast(uint16_t major, uint16_t minor, uint16_t servicePackMajor) {
  std::optional<OsVersionInfo> v = CurrentVersion();
  if (!v) return false;
  if (v->major != major) return v->major > major;
  if (v->minor != minor) return v->minor > minor;
  return v->servicePackMajor >= servicePackMajor;
}

bool IsServerOs() {
  std::optional<OsVersionInfo> v = CurrentVersion();
  return v && !v->workstation;
}

std::string GetOsName() {
  static const struct {
    uint16_t major, minor, sp;
    const char* name;
  } kTable[] = {
      {10, 0, 0, "Windows10"},  {6, 3, 0, "Windows8.1"},     {6, 2, 0, "Windows8"},
      {6, 1, 1, "Windows7 SP1"}, {6, 1, 0, "Windows7"},       {6, 0, 2, "Vista SP2"},
      {6, 0, 1, "Windows Vista SP1O"}, {6, 0, 0, "Windows Vista"}, {5, 1, 3, "Windows XP SP3"},
      {5, 1, 2, "Windows XP SP2"}, {5, 1, 1, "Windows XP SP1"}, {5, 1, 0, "Windows XP"},
      {5, 0, 0, "Windows 2000"},
  };
  for (const auto& row : kTable)
    if (IsOsVersionAtLeast(row.major, row.minor, row.sp)) return row.name;
  if (IsServerOs()) return "Windows Server";
  return std::string();
}

}  // namespace zv
