// What the login page tests share: the Qt application and settings store, zelvane-sim
// started once for the binary, a window that hosts the page and plays the main frame's
// part as far as the tests need it, and real input (typing, Return, clicks).
#pragma once

#include <json/value.h>

#include <QObject>
#include <QUrl>
#include <functional>
#include <string>
#include <vector>

#include "pages/login_page.h"
#include "platform/message_box.h"
#include "toolkit/window_impl_base.h"

namespace zv::test {

struct HostEvent {
  uint32_t message = 0;
  uintptr_t wParam = 0;
  zv::ui::LoginRequest request;  // UWM_LOGIN_DONE: the worker's record as it arrived
};

// The main window as far as the login page meets it.
class CLoginHost : public DuiLib::WindowImplBase {
 public:
  // layout: the page's skin file, or XML text for a page built from a layout of the test's own.
  explicit CLoginHost(std::wstring layout = L"LoginPage\\Login.xml");
  ~CLoginHost() override;

  // Creates the window (960 x 660) and waits for its first layout.
  bool Open();
  void Destroy();

  zv::pages::CLoginUI* Page() const { return m_page; }
  DuiLib::CControlUI* Find(const wchar_t* name) { return m_PaintManager.FindControl(name); }
  std::vector<HostEvent> Events() const { return m_events; }
  size_t Count(uint32_t message, uintptr_t wParam) const;
  size_t Count(uint32_t message) const;
  void ClearEvents() { m_events.clear(); }
  // The record of the newest UWM_LOGIN_DONE (a default one when none came).
  zv::ui::LoginRequest LastDone() const;

  void Notify(DuiLib::TNotifyUI& msg) override;
  DuiLib::CControlUI* CreateControl(const wchar_t* cls) override;

 protected:
  std::wstring GetSkinFolder() override { return L""; }
  std::wstring GetSkinFile() override;
  const wchar_t* GetWindowClassName() const override { return L"LoginHost"; }
  DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT m, DuiLib::WPARAM w, DuiLib::LPARAM l,
                                      bool& handled) override;
  void OnFinalMessage(DuiLib::HWND) override;

 private:
  std::wstring m_layout;
  zv::pages::CLoginUI* m_page = nullptr;
  std::vector<HostEvent> m_events;
  bool m_initialised = false;
};

// Records the addresses the desktop was asked to open, so that no browser starts.
class CUrlRecorder : public QObject {
  Q_OBJECT
 public:
  std::vector<std::string> urls;
 public slots:
  void Open(const QUrl& url) { urls.push_back(url.toString().toStdString()); }
};

// The zelvane-sim of this binary and the recorder of opened addresses.
struct LoginSim {
  static int Port(const std::string& name);
  static Json::Value Admin(const std::string& route,
                           const Json::Value& body = Json::Value(Json::objectValue));
  // The account requests of the log whose path ends with suffix, oldest first.
  static std::vector<Json::Value> Requests(const std::string& suffix);
  // GET of a web-site address on loopback; the HTTP status or 0.
  static long HttpStatus(const std::string& url);
  static CUrlRecorder& Urls();
  static const std::string& StartError();
};

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 10000);
void Pump(int ms);

// Key presses into the edit's native box, as a user types them.
void TypeInto(DuiLib::CControlUI* edit, const std::string& utf8);
void PressReturn(DuiLib::CControlUI* edit);
void Click(DuiLib::CControlUI* control);

// Answers every message box that opens from now on, recording what it showed.
class CBoxAnswerer {
 public:
  CBoxAnswerer();
  ~CBoxAnswerer();
  std::vector<zv::MessageBoxInfo> seen;

 private:
  QObject* m_timer;
};

// The remembered values of a fresh profile (context and settings store).
void ForgetEverything();
// The start of every test: the sim running, its scenario and log reset, nothing remembered.
// Fails the test (fatally) when the sim did not start.
void StartClean();
std::string DigestOf(const std::string& userIdText, const std::string& password);
// The text of the settings file (empty when none was written).
std::string SettingsFileText();

}  // namespace zv::test
