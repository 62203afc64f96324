#include "api/endpoint_config.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace zv {

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool ParsePort(const std::string& text, int& port) {
  if (text.empty() || text.size() > 5) return false;
  for (char c : text)
    if (c < '0' || c > '9') return false;
  int value = std::atoi(text.c_str());
  if (value < 1 || value > 65535) return false;
  port = value;
  return true;
}

// Host names and addresses go into URLs unescaped, so only their own characters are allowed.
bool ValidHost(const std::string& host) {
  if (host.empty()) return false;
  for (char c : host) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
    if (!ok) return false;
  }
  return true;
}

bool ValidUrl(const std::string& url) {
  return (url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0) && url.find_first_of(" \t") == std::string::npos;
}

// Sets one key; false with a reason when the key or value is not acceptable.
bool SetValue(EndpointConfig& config, const std::string& key, const std::string& value, std::string& why) {
  if (key == "account_host" || key == "payment_host") {
    if (!ValidHost(value)) {
      why = "'" + value + "' is not a host name or address";
      return false;
    }
    (key == "account_host" ? config.accountHost : config.paymentHost) = value;
  } else if (key == "account_port" || key == "payment_port") {
    int port = 0;
    if (!ParsePort(value, port)) {
      why = "'" + value + "' is not a port number (1-65535)";
      return false;
    }
    (key == "account_port" ? config.accountPort : config.paymentPort) = port;
  } else if (key == "web_base" || key == "chat_url") {
    if (!ValidUrl(value)) {
      why = "'" + value + "' is not an http:// or https:// address";
      return false;
    }
    std::string v = value;
    if (key == "web_base")
      while (!v.empty() && v.back() == '/') v.pop_back();
    (key == "web_base" ? config.webBase : config.chatUrl) = v;
  } else {
    why = "unknown key '" + key + "'";
    return false;
  }
  return true;
}

}  // namespace

std::string EndpointConfig::AccountBaseUrl() const {
  return "https://" + accountHost + ":" + std::to_string(accountPort) + "/zelvaneauth";
}

std::string EndpointConfig::PaymentGatewayUrl() const {
  return "http://" + paymentHost + ":" + std::to_string(paymentPort) + "/gateway.html";
}

EndpointConfig ParseEndpointConfig(const std::string& text, const std::string& fileName, std::ostream& err) {
  EndpointConfig config;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    std::string content = Trim(line.substr(0, line.find('#')));
    if (content.empty()) continue;
    size_t eq = content.find('=');
    std::string why;
    if (eq == std::string::npos) {
      why = "expected 'key = value'";
    } else {
      std::string key = Trim(content.substr(0, eq));
      std::string value = Trim(content.substr(eq + 1));
      SetValue(config, key, value, why);
    }
    if (!why.empty()) {
      err << fileName << ":" << number << ": " << why << "; using the default endpoints\n";
      return EndpointConfig();
    }
  }
  return config;
}

void ApplyEndpointEnvironment(EndpointConfig& config, std::ostream& err) {
  static const struct {
    const char* variable;
    const char* key;
  } kVariables[] = {
      {"ZELVANE_ACCOUNT_HOST", "account_host"}, {"ZELVANE_ACCOUNT_PORT", "account_port"},
      {"ZELVANE_PAYMENT_HOST", "payment_host"}, {"ZELVANE_PAYMENT_PORT", "payment_port"},
      {"ZELVANE_WEB_BASE", "web_base"},         {"ZELVANE_CHAT_URL", "chat_url"},
  };
  for (const auto& v : kVariables) {
    const char* value = std::getenv(v.variable);
    if (!value) continue;
    std::string why;
    if (!SetValue(config, v.key, Trim(value), why)) err << v.variable << ": " << why << "; ignored\n";
  }
}

std::string ExecutableDir() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  if (n <= 0) return "./";
  std::string exe(path, static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "./" : exe.substr(0, slash + 1);
}

EndpointConfig LoadEndpointConfig(std::ostream& err) {
  EndpointConfig config;
  std::string fileName = ExecutableDir() + "zelvane.conf";
  std::ifstream file(fileName);
  if (file) {
    std::stringstream text;
    text << file.rdbuf();
    config = ParseEndpointConfig(text.str(), fileName, err);
  }
  ApplyEndpointEnvironment(config, err);
  return config;
}

}  // namespace zv
