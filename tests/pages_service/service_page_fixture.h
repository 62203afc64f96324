// The account area hosted alone: a small window whose control factory builds the account
// panel (which builds the device list and the other right-hand pages), which forwards the
// notifications as the main frame does and records the page commands and message boxes.
#pragma once

#include <gtest/gtest.h>

#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "pages/device_list_page.h"
#include "pages/service_panel.h"
#include "tests/sim_core/sim_process.h"
#include "tests/support/recording_window.h"
#include "toolkit/window_impl_base.h"

namespace zv::test {

// Runs the window thread's loop until pred holds or the time is up.
bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 10000);

class CPanelHost : public DuiLib::WindowImplBase {
 public:
  struct Command {
    uint32_t sub = 0;
    intptr_t lParam = 0;
    std::string text;  // the narrow string of sub-codes 9 and 12
  };

  CPanelHost();
  ~CPanelHost() override;

  // In order: "cmd:N" for page commands and "box:<text>" for message boxes (UTF-8).
  std::vector<std::string> log;
  std::vector<Command> commands;

  void Open();
  pages::CServiceUI* Panel() const { return m_panel; }
  pages::CServiceStatusUI* List() const { return m_list; }
  DuiLib::CControlUI* Find(const wchar_t* name) { return m_PaintManager.FindControl(name); }
  std::wstring TextOf(const wchar_t* name);
  // A real press and release (twice for a double click) at the control's centre.
  void Click(const wchar_t* name, bool doubleClick = false);
  void Notify(DuiLib::TNotifyUI& msg) override;
  DuiLib::CControlUI* CreateControl(const wchar_t* cls) override;

 protected:
  std::wstring GetSkinFolder() override;
  std::wstring GetSkinFile() override;
  const wchar_t* GetWindowClassName() const override { return L"PanelHost"; }
  DuiLib::LRESULT HandleCustomMessage(DuiLib::UINT m, DuiLib::WPARAM w, DuiLib::LPARAM l,
                                      bool& handled) override;
  void OnFinalMessage(DuiLib::HWND) override;

 private:
  void AnswerBoxes();

  pages::CServiceUI* m_panel = nullptr;
  pages::CServiceStatusUI* m_list = nullptr;
  bool m_initialized = false;
  QTimer m_boxTimer;
};

// The simulated platform of a suite, with the client's transport pointed at it.
class CPagesSim {
 public:
  static bool Start(const std::string& scenarioFile, std::string& error);
  static void Stop();
  static sim::test::CSimProcess* Process();
  // Signs the process-wide account model in as the user (password "123456").
  static bool SignIn(const std::string& userName);
  static Json::Value Admin(const std::string& route,
                           const Json::Value& body = Json::Value(Json::objectValue));
};

// A fresh account area in its window for every test, on an emptied account model.
class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Fills the model's device list and the slots from it, as a refresh would.
  void ShowPads(const std::vector<PadInfo>& pads);
  static PadInfo Pad(const std::string& code, int32_t status = 1, const std::string& grade = "0",
                     int32_t controlSeconds = 3600, const std::string& recovery = "1");
  std::unique_ptr<CPanelHost> host;
};

// The same against the suite's simulated platform; the notifier's events go to a recorder.
class SimPageTest : public PanelTest {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;
  void SignInAndShow(const std::string& userName);
  RecordingWindow window;
  static std::string startError;
};

std::string SettingsFolder();
std::string Utf8(const std::wstring& text);

}  // namespace zv::test
