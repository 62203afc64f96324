// Every message box of the client goes through this one service: a modal box with a
// nested loop, whose open boxes tests and the automation can list and answer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class QWidget;

namespace zv {

// The platform's box styles and answers.
enum : uint32_t {
  MB_OK = 0x00,
  MB_OKCANCEL = 0x01,
  MB_YESNO = 0x04,
  MB_ICONHAND = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONASTERISK = 0x40,
  MB_ICONINFORMATION = 0x40,
};
enum : int { ID_OK = 1, ID_CANCEL = 2, ID_YES = 6, ID_NO = 7 };

struct MessageBoxInfo {
  std::wstring caption;
  std::wstring text;
  std::string icon;  // "none", "error", "question", "warning", "information"
};

class CMessageBoxService {
 public:
  static CMessageBoxService& Instance();
  // Shows the box over owner (or centred on the screen) and waits in a nested loop until
  // it is answered; returns ID_OK, ID_CANCEL, ID_YES or ID_NO.
  int Show(QWidget* owner, const std::wstring& text, const std::wstring& caption, uint32_t type = MB_OK);
  // Open boxes, outermost first.
  std::vector<MessageBoxInfo> OpenBoxes() const;
  size_t OpenCount() const;
  // Presses the default (OK or Yes) button of the innermost box; false when none is open.
  bool AnswerInnermost(int answer = ID_OK);

 private:
  CMessageBoxService() = default;
  struct Entry;
  std::vector<Entry*> m_open;
};

// The pages' box: owner, text, caption "提示" unless given, OK button.
int ShowMessageBox(QWidget* owner, const std::wstring& text, const std::wstring& caption = L"提示",
                   uint32_t type = MB_OK);

}  // namespace zv
