// A client of the player's automation socket (ZELVANE_AUTOMATION): one JSON command per
// line, one JSON answer per line. Used by the demo walk-through, the end-to-end tests and
// the latency benchmark, so every call has a deadline and failures come back as answers
// with "ok": false instead of hanging the caller.
#pragma once

#include <json/json.h>

#include <functional>
#include <string>

namespace zv::automation {

class CAutomationClient {
 public:
  CAutomationClient() = default;
  ~CAutomationClient();
  CAutomationClient(const CAutomationClient&) = delete;
  CAutomationClient& operator=(const CAutomationClient&) = delete;

  // Retries until the socket accepts or the time is up (the program creates it with its
  // first window, some time after it started).
  bool Connect(const std::string& path, int timeoutMs, std::string& error);
  void Close();
  bool IsConnected() const { return m_fd >= 0; }

  // One command and its answer; {"ok":false,"error":...} when the socket fails, the
  // answer is not JSON or it does not arrive in time.
  Json::Value Call(const Json::Value& command, int timeoutMs = 60000);

  Json::Value State();
  Json::Value Tree();
  Json::Value Boxes();  // the "boxes" array of open message boxes
  bool Click(const std::string& name, std::string& error, const std::string& window = "");
  bool DbClick(const std::string& name, std::string& error, const std::string& window = "");
  bool Type(const std::string& name, const std::string& text, std::string& error);
  bool Key(const std::string& key, std::string& error, const std::string& window = "");
  // Window coordinates; action is down, up, move or dbl.
  bool Mouse(int x, int y, const std::string& action, std::string& error, const std::string& window = "");
  bool Answer(const std::string& button, std::string& error);
  bool Screenshot(const std::string& path, std::string& error, const std::string& window = "");

  using StatePredicate = std::function<bool(const Json::Value& state)>;
  // Polls the state until the predicate holds; the last state read goes to *last.
  bool WaitForState(const StatePredicate& predicate, int timeoutMs, Json::Value* last = nullptr, int pollMs = 50);
  // Polls the tree until a visible control of that name exists; its description to *control.
  bool WaitForControl(const std::string& name, int timeoutMs, Json::Value* control = nullptr);
  // Polls until a message box is open; the innermost one (the last listed) to *box.
  bool WaitForBox(int timeoutMs, Json::Value* box = nullptr);

 private:
  bool Check(const Json::Value& answer, std::string& error);

  int m_fd = -1;
  std::string m_buffer;
};

// The control of that name in a "tree" answer, depth first over every window (the last
// window first, as the server looks them up); null when there is none. With visibleOnly
// only controls shown on screen count.
Json::Value FindControl(const Json::Value& tree, const std::string& name, bool visibleOnly = true);
// The name of the window that holds the main frame's page switch (switch_Login); "" when
// no window does. Mouse and screenshot commands name it: other top-level windows (the
// layered shadow frame) may be listed after it.
std::string MainWindowName(CAutomationClient& client);
// The value at a dotted path of a state answer ("frame.loggedIn"); null when absent.
Json::Value StateAt(const Json::Value& state, const std::string& path);
// The four numbers of a control's "rect" (x, y, width, height) in window coordinates.
bool ControlRect(const Json::Value& control, int& x, int& y, int& width, int& height);

std::string ToJsonLine(const Json::Value& value);
bool ParseJson(const std::string& text, Json::Value& value);

}  // namespace zv::automation
