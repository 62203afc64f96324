// The application object: owns the QApplication, runs InitInstance (where the client
// starts and runs its main window modally) and names the application for its boxes.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/message_box.h"

class QApplication;

namespace zv {

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual bool InitInstance() { return true; }
  virtual int ExitInstance() { return 0; }
  // Creates the Qt application (or uses the one that exists), runs InitInstance and
  // ExitInstance, and answers the process's exit code.
  int Run(int argc, char** argv);

  // The executable's file name without its extension.
  const std::wstring& GetAppName() const { return m_appName; }
  // Arguments after the program name.
  const std::vector<std::wstring>& GetArguments() const { return m_arguments; }
  static CWinApp* Get();

 private:
  std::unique_ptr<QApplication> m_qtApp;
  std::wstring m_appName;
  std::vector<std::wstring> m_arguments;
  int m_argc = 0;
};

CWinApp* AfxGetApp();
// The framework's box: captioned with the application's name, OK and a warning icon.
int AfxMessageBox(const std::wstring& text, uint32_t type = MB_OK | MB_ICONEXCLAMATION);

}  // namespace zv
