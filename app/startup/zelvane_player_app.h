// CZelvanePlayerApp: the client's whole run happens in InitInstance. It starts the
// process-wide services in a fixed order, hands over to the updater when the service
// knows a newer version, then runs the main window modally.
#pragma once

#include <string>

#include "platform/win_app.h"

namespace zv {

class CZelvanePlayerApp : public CWinApp {
 public:
  CZelvanePlayerApp() = default;

  bool InitInstance() override;
  int ExitInstance() override { return m_exitCode; }

  // "Update.exe" beside the executable through the shell's open; true when it started.
  static bool StartUpdater();
  // No argument: ask the service; true when the updater was started.
  static bool CheckForUpdate();
  // "UpdateBegin": the updater's leftover goes.
  static void RemoveUpdaterLeftover();

 private:
  static void InitLocale();
  // Connects the stream player and the control session to each other.
  static void WireSessions();
  void RunMainWindow();

  int m_exitCode = 0;
};

}  // namespace zv
