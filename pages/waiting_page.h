// The waiting page: where the user stands in the device's queue, with the expected
// wait and a bar that fills as the queue shrinks.
#pragma once

#include <string>

#include "toolkit/ui_builder.h"
#include "toolkit/ui_container.h"
#include "ui/page_interfaces.h"

namespace DuiLib {
class CProgressUI;
class CButtonGifUI;
}  // namespace DuiLib

namespace zv::pages {

class CWaitingPageUI : public DuiLib::CContainerUI,
                       public DuiLib::IDialogBuilderCallback,
                       public zv::ui::IWaitingPage {
 public:
  CWaitingPageUI(const std::wstring& skinFile, const std::wstring& name, DuiLib::CPaintManagerUI& manager);
  ~CWaitingPageUI() override;

  std::wstring GetClass() const override { return L"WaitingPageUI"; }
  DuiLib::CControlUI* GetInterface(const std::wstring& name) override;
  DuiLib::CControlUI* CreateControl(const wchar_t* pstrClass) override;

  void UpdateQueue(int length, int minutes) override;

  int Largest() const { return m_largest; }
  int LastLength() const { return m_length; }
  int LastMinutes() const { return m_minutes; }
  int Progress() const { return m_progress; }
  DuiLib::CButtonGifUI* QueueAnimation() const { return m_gif; }

 private:
  static int ProgressOf(int length, int largest);

  DuiLib::CProgressUI* m_progressBar = nullptr;
  DuiLib::CControlUI* m_timeLabel = nullptr;
  DuiLib::CControlUI* m_countLabel = nullptr;
  DuiLib::CControlUI* m_queue = nullptr;
  DuiLib::CButtonGifUI* m_gif = nullptr;
  int m_largest = 0;  // never reset: later queues of the run measure against it
  int m_length = 0;
  int m_minutes = 0;
  int m_progress = 0;
};

}  // namespace zv::pages
