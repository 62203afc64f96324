#include "tools/automation_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>
#include <thread>

namespace zv::automation {
namespace {

using Clock = std::chrono::steady_clock;

Json::Value Failure(const std::string& why) {
  Json::Value answer(Json::objectValue);
  answer["ok"] = false;
  answer["error"] = why;
  return answer;
}

int MsLeft(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

int OpenUnixSocket(const std::string& path) {
  sockaddr_un address{};
  if (path.size() >= sizeof(address.sun_path)) return -1;
  int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

Json::Value Command(const char* name) {
  Json::Value command(Json::objectValue);
  command["cmd"] = name;
  return command;
}

Json::Value NamedCommand(const char* name, const std::string& control, const std::string& window) {
  Json::Value command = Command(name);
  command["name"] = control;
  if (!window.empty()) command["window"] = window;
  return command;
}

Json::Value FindIn(const Json::Value& control, const std::string& name, bool visibleOnly) {
  if (!control.isObject()) return Json::Value();
  if (control["name"].asString() == name && (!visibleOnly || control["visible"].asBool())) return control;
  for (const Json::Value& child : control["children"]) {
    Json::Value found = FindIn(child, name, visibleOnly);
    if (!found.isNull()) return found;
  }
  return Json::Value();
}

}  // namespace

std::string ToJsonLine(const Json::Value& value) {
  Json::StreamWriterBuilder builder;
  builder["indentation"] = "";
  builder["emitUTF8"] = true;
  return Json::writeString(builder, value);
}

bool ParseJson(const std::string& text, Json::Value& value) {
  Json::CharReaderBuilder builder;
  std::string errors;
  std::istringstream in(text);
  return Json::parseFromStream(builder, in, &value, &errors);
}

CAutomationClient::~CAutomationClient() { Close(); }

bool CAutomationClient::Connect(const std::string& path, int timeoutMs, std::string& error) {
  Close();
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    m_fd = OpenUnixSocket(path);
    if (m_fd >= 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  } while (Clock::now() < deadline);
  error = "no automation socket at " + path + " after " + std::to_string(timeoutMs) + " ms";
  return false;
}

void CAutomationClient::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_buffer.clear();
}

Json::Value CAutomationClient::Call(const Json::Value& command, int timeoutMs) {
  if (m_fd < 0) return Failure("not connected");
  if (!WriteAll(m_fd, ToJsonLine(command) + "\n")) {
    Close();
    return Failure("the automation socket closed");
  }
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  size_t newline;
  while ((newline = m_buffer.find('\n')) == std::string::npos) {
    pollfd p{m_fd, POLLIN, 0};
    int ready = ::poll(&p, 1, MsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      // A late answer would be taken for the next command's, so the connection is spent.
      Close();
      return Failure("no answer to " + command["cmd"].asString() + " within " + std::to_string(timeoutMs) + " ms");
    }
    char chunk[65536];
    ssize_t n = ::recv(m_fd, chunk, sizeof(chunk), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Close();
      return Failure("the automation socket closed");
    }
    m_buffer.append(chunk, static_cast<size_t>(n));
  }
  std::string line = m_buffer.substr(0, newline);
  m_buffer.erase(0, newline + 1);
  Json::Value answer;
  if (!ParseJson(line, answer) || !answer.isObject()) return Failure("answer is not a JSON object: " + line);
  return answer;
}

bool CAutomationClient::Check(const Json::Value& answer, std::string& error) {
  if (answer["ok"].asBool()) return true;
  error = answer["error"].asString();
  if (error.empty()) error = "command failed";
  return false;
}

Json::Value CAutomationClient::State() { return Call(Command("state")); }
Json::Value CAutomationClient::Tree() { return Call(Command("tree")); }
Json::Value CAutomationClient::Boxes() { return Call(Command("boxes"))["boxes"]; }

bool CAutomationClient::Click(const std::string& name, std::string& error, const std::string& window) {
  return Check(Call(NamedCommand("click", name, window)), error);
}

bool CAutomationClient::DbClick(const std::string& name, std::string& error, const std::string& window) {
  return Check(Call(NamedCommand("dbclick", name, window)), error);
}

bool CAutomationClient::Type(const std::string& name, const std::string& text, std::string& error) {
  Json::Value command = NamedCommand("type", name, "");
  command["text"] = text;
  return Check(Call(command), error);
}

bool CAutomationClient::Key(const std::string& key, std::string& error, const std::string& window) {
  Json::Value command = Command("key");
  command["key"] = key;
  if (!window.empty()) command["window"] = window;
  return Check(Call(command), error);
}

bool CAutomationClient::Mouse(int x, int y, const std::string& action, std::string& error,
                              const std::string& window) {
  Json::Value command = Command("mouse");
  command["x"] = x;
  command["y"] = y;
  command["action"] = action;
  if (!window.empty()) command["window"] = window;
  return Check(Call(command), error);
}

bool CAutomationClient::Answer(const std::string& button, std::string& error) {
  Json::Value command = Command("answer");
  if (!button.empty()) command["button"] = button;
  return Check(Call(command), error);
}

bool CAutomationClient::Screenshot(const std::string& path, std::string& error, const std::string& window) {
  Json::Value command = Command("screenshot");
  command["path"] = path;
  if (!window.empty()) command["window"] = window;
  return Check(Call(command), error);
}

bool CAutomationClient::WaitForState(const StatePredicate& predicate, int timeoutMs, Json::Value* last,
                                     int pollMs) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Json::Value state = State();
    bool held = state["ok"].asBool() && predicate(state);
    if (last) *last = state;
    if (held) return true;
    if (!IsConnected() || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(pollMs));
  }
}

bool CAutomationClient::WaitForControl(const std::string& name, int timeoutMs, Json::Value* control) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Json::Value found = FindControl(Tree(), name);
    if (!found.isNull()) {
      if (control) *control = found;
      return true;
    }
    if (!IsConnected() || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

bool CAutomationClient::WaitForBox(int timeoutMs, Json::Value* box) {
  auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    Json::Value boxes = Boxes();
    if (boxes.isArray() && !boxes.empty()) {
      if (box) *box = boxes[boxes.size() - 1];
      return true;
    }
    if (!IsConnected() || Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

Json::Value FindControl(const Json::Value& tree, const std::string& name, bool visibleOnly) {
  const Json::Value& windows = tree["windows"];
  if (!windows.isArray()) return Json::Value();
  for (Json::ArrayIndex i = windows.size(); i-- > 0;) {
    const Json::Value& window = windows[i];
    if (visibleOnly && !window["visible"].asBool()) continue;
    Json::Value found = FindIn(window["root"], name, visibleOnly);
    if (!found.isNull()) {
      found["window"] = window["name"];
      return found;
    }
  }
  return Json::Value();
}

std::string MainWindowName(CAutomationClient& client) {
  return FindControl(client.Tree(), "switch_Login", false)["window"].asString();
}

Json::Value StateAt(const Json::Value& state, const std::string& path) {
  const Json::Value* node = &state;
  std::istringstream parts(path);
  std::string part;
  while (std::getline(parts, part, '.')) {
    if (!node->isObject() || !node->isMember(part)) return Json::Value();
    node = &(*node)[part];
  }
  return *node;
}

bool ControlRect(const Json::Value& control, int& x, int& y, int& width, int& height) {
  const Json::Value& rect = control["rect"];
  if (!rect.isArray() || rect.size() != 4) return false;
  x = rect[0].asInt();
  y = rect[1].asInt();
  width = rect[2].asInt();
  height = rect[3].asInt();
  return true;
}

}  // namespace zv::automation
