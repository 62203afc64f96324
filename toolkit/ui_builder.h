// Builds a control tree from an XML skin file: the Window element's size, caption, fonts
// and per-class default attributes, then the controls, asking the callback first for
// every class name so that the program can put its own controls in.
#pragma once

#include <string>

#include "toolkit/ui_control.h"

namespace DuiLib {

class CPaintManagerUI;

class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  // A new control for the skin class, or null to let the toolkit build its own.
  virtual CControlUI* CreateControl(const wchar_t* pstrClass) = 0;
};

class CDialogBuilder {
 public:
  // xml is a file below the resource folder (backslashes accepted) or XML text that
  // starts with '<'. With a container as parent the built controls are added to it.
  // Answers the first control, or null when the file is missing or broken (see
  // GetLastErrorMessage; the problem is reported as a diagnostic too).
  CControlUI* Create(const std::wstring& xml, IDialogBuilderCallback* callback = nullptr,
                     CPaintManagerUI* manager = nullptr, CControlUI* parent = nullptr);
  const std::string& GetLastErrorMessage() const { return m_error; }

  // The toolkit's own controls by skin class name ("Button", "VerticalLayout", ...).
  static CControlUI* CreateBuiltinControl(const std::wstring& className);

 private:
  std::string m_error;
};

}  // namespace DuiLib
