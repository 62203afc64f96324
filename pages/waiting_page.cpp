#include "pages/waiting_page.h"

#include <QJsonObject>

#include "toolkit/automation_server.h"
#include "toolkit/ui_button_gif.h"
#include "toolkit/ui_progress.h"

namespace zv::pages {

namespace {

CWaitingPageUI* g_statePage = nullptr;

QJsonValue WaitingState() {
  const CWaitingPageUI* page = g_statePage;
  if (!page) return QJsonValue();
  QJsonObject state;
  state["count"] = page->LastLength();
  state["time"] = page->LastMinutes();
  state["progress"] = page->Progress();
  state["largest"] = page->Largest();
  return state;
}

}  // namespace

CWaitingPageUI::CWaitingPageUI(const std::wstring& skinFile, const std::wstring& name,
                               DuiLib::CPaintManagerUI& manager) {
  DuiLib::CDialogBuilder builder;
  DuiLib::CControlUI* root = builder.Create(skinFile, this, &manager);
  if (root) {
    SetName(name);
    Add(root);
    if (DuiLib::CControlUI* c = root->FindByName(L"Progress_Waiting"))
      m_progressBar = static_cast<DuiLib::CProgressUI*>(c->GetInterface(L"Progress"));
    m_timeLabel = root->FindByName(L"Label_Waiting_Time");
    m_countLabel = root->FindByName(L"Label_Waiting_Count");
    m_queue = root->FindByName(L"waitingqueue");
  } else {
    RemoveAll();
  }
  g_statePage = this;
  DuiLib::CAutomationServer::RegisterStateField("waiting", WaitingState);
}

CWaitingPageUI::~CWaitingPageUI() {
  if (g_statePage != this) return;
  g_statePage = nullptr;
  DuiLib::CAutomationServer::UnregisterStateField("waiting");
}

DuiLib::CControlUI* CWaitingPageUI::GetInterface(const std::wstring& name) {
  if (name == L"WaitingPage") return this;
  return CContainerUI::GetInterface(name);
}

DuiLib::CControlUI* CWaitingPageUI::CreateControl(const wchar_t* pstrClass) {
  if (!pstrClass || std::wstring(pstrClass) != L"ButtonGif") return nullptr;
  m_gif = new DuiLib::CButtonGifUI;
  return m_gif;
}

int CWaitingPageUI::ProgressOf(int length, int largest) {
  if (largest <= 0) return 100;
  return static_cast<int>((static_cast<int64_t>(largest) - length) * 100 / largest);
}

void CWaitingPageUI::UpdateQueue(int length, int minutes) {
  if (length > m_largest) m_largest = length;
  m_length = length;
  m_minutes = minutes;
  m_progress = ProgressOf(length, m_largest);
  if (m_countLabel) m_countLabel->SetText(L"当前排队人数  " + std::to_wstring(length) + L" 人");
  if (m_timeLabel) m_timeLabel->SetText(L"预计剩余时间  " + std::to_wstring(minutes) + L" 分钟");
  if (m_progressBar) m_progressBar->SetValue(m_progress);
}

}  // namespace zv::pages
