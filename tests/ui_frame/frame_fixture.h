// The main frame built from the real main skin with recording pages and a tray the test
// holds; message boxes are answered as they open, with the frame's state noted at that
// moment.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/message_box.h"
#include "tests/ui_frame/recording_pages.h"
#include "ui/main_frame_page.h"

namespace zvtest {

bool PumpUntil(const std::function<bool()>& pred, int timeoutMs = 5000);
void Pump(int ms);

// What the test saw when a box opened.
struct BoxSeen {
  zv::MessageBoxInfo box;
  std::vector<std::string> journal;
  int loginTab = -2;
  int accountTab = -2;
  int inSession = -1;
  int loggedIn = -1;
  std::string extra;  // whatever the test's own probe reported
};

// Runs action; every box that opens meanwhile is noted (probe adds its own finding) and
// answered with OK.
std::vector<BoxSeen> WithBoxes(zv::ui::CMainFramePage* frame, Journal& journal,
                               const std::function<void()>& action,
                               const std::function<std::string()>& probe = nullptr);

class FrameTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sent as the window thread does: a direct call of the frame's handler.
  intptr_t Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
  // The login page's stored result is success, as after a login.
  void LoginSucceeded();
  // Logged in through the frame's own login-result path (no service behind it here).
  void LogIn();
  // A device opened from the list: the player page with its session.
  void OpenDevice();
  void Click(const std::wstring& name, const std::wstring& kind = L"click");
  DuiLib::CControlUI* Find(const wchar_t* name);

  Journal m_journal;
  std::shared_ptr<TrayState> m_tray;
  std::unique_ptr<CRecordingPageFactory> m_factory;
  zv::ui::CMainFramePage* m_frame = nullptr;
  DuiLib::HWND m_hwnd = nullptr;
  uint32_t m_tick = 100000;
};

}  // namespace zvtest
