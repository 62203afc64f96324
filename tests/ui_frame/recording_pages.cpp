#include "tests/ui_frame/recording_pages.h"

#include <QString>

#include "toolkit/ui_label.h"

namespace zvtest {

namespace {

std::string Tag(const std::wstring& name) {
  if (name == L"LoginWindow") return "login";
  if (name == L"ServiceWindow") return "panel";
  if (name == L"ShowPlayerWindow") return "player";
  if (name == L"WaitingPageWindow") return "waiting";
  if (name == L"AddServiceWindow") return "apply";
  if (name == L"ServiceStatusWindow") return "devices";
  if (name == L"FaultFeedbackWindow") return "fault";
  if (name == L"ChargeWindow") return "charge";
  if (name == L"OrderInfoWindow") return "orders";
  if (name == L"ExChangeRBCWindow") return "exchange";
  if (name == L"AgreeServiceWindow") return "agree";
  return Narrow(name);
}

class CApplyRecorder : public CRecordingPage, public zv::ui::IApplyPage {
 public:
  explicit CApplyRecorder(Journal& j) : CRecordingPage(L"AddServiceWindow", j) {}
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void Reload() override { Note("Reload"); }
};

class CDeviceListRecorder : public CRecordingPage, public zv::ui::IDeviceListPage {
 public:
  explicit CDeviceListRecorder(Journal& j) : CRecordingPage(L"ServiceStatusWindow", j) {}
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void Reset() override { Note("Reset"); }
  void Refresh() override { Note("Refresh"); }
};

class CFaultRecorder : public CRecordingPage, public zv::ui::IFaultFeedbackPage {
 public:
  explicit CFaultRecorder(Journal& j) : CRecordingPage(L"FaultFeedbackWindow", j) {}
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void LoadData() override { Note("LoadData"); }
};

class CChargeRecorder : public CRecordingPage, public zv::ui::IChargePage {
 public:
  explicit CChargeRecorder(Journal& j) : CRecordingPage(L"ChargeWindow", j) {}
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void SetRenewal(bool renewing, const std::string& padCode) override {
    Note(std::string("SetRenewal(") + (renewing ? "1" : "0") + "," + padCode + ")");
  }
  void Load(DuiLib::HWND) override { Note("Load"); }
  void PayOrder(const std::string& orderId, DuiLib::HWND) override { Note("PayOrder(" + orderId + ")"); }
  void OnPayInfo(const void*) override { Note("OnPayInfo"); }
};

class COrderRecorder : public CRecordingPage, public zv::ui::IOrderPage {
 public:
  explicit COrderRecorder(Journal& j) : CRecordingPage(L"OrderInfoWindow", j) {}
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void Load(DuiLib::HWND) override { Note("Load"); }
};

class CExchangeRecorder : public CRecordingPage, public zv::ui::IExchangePage {
 public:
  explicit CExchangeRecorder(Journal& j) : CRecordingPage(L"ExChangeRBCWindow", j) {}
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void SetPadCode(const std::string& padCode) override { Note("SetPadCode(" + padCode + ")"); }
  void Load(DuiLib::HWND) override { Note("Load"); }
};

class CAgreementRecorder : public CRecordingPage, public zv::ui::IAgreementPage {
 public:
  explicit CAgreementRecorder(Journal& j) : CRecordingPage(L"AgreeServiceWindow", j) {}
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void SetDeviceKind(const std::wstring& kind) override { Note("SetDeviceKind(" + Narrow(kind) + ")"); }
};

}  // namespace

std::string Narrow(const std::wstring& text) {
  return QString::fromStdWString(text).toStdString();
}

bool Journal::Has(const std::string& entry) const {
  return IndexOf(entry) >= 0;
}

int Journal::IndexOf(const std::string& entry) const {
  for (size_t i = 0; i < entries.size(); ++i)
    if (entries[i] == entry) return static_cast<int>(i);
  return -1;
}

CRecordingPage::CRecordingPage(const std::wstring& name, Journal& journal)
    : m_journal(journal), m_tag(Tag(name)) {
  SetName(name);
}

void CLoginPageRecorder::Init(bool allowAutoLogin, DuiLib::HWND wnd) {
  Note(std::string("Init(") + (allowAutoLogin ? "1" : "0") + "," + (wnd ? "wnd" : "null") + ")");
}

bool CLoginPageRecorder::Login(DuiLib::HWND) {
  Note("Login");
  return loginAnswer;
}

void CLoginPageRecorder::SetLoginResult(int code, const std::string& message) {
  Note("SetLoginResult(" + std::to_string(code) + "," + message + ")");
  request.resultCode = code;
  request.resultMessage = message;
}

void CLoginPageRecorder::SetWaiting(int w) {
  Note("SetWaiting(" + std::to_string(w) + ")");
  waiting = w;
}

void CLoginPageRecorder::SetLoginButtonEnabled(bool enabled) {
  Note(std::string("SetLoginButtonEnabled(") + (enabled ? "1" : "0") + ")");
}

void CLoginPageRecorder::SetCredentials(const std::string& userName, const std::string& password) {
  Note("SetCredentials(" + userName + "," + password + ")");
}

void CLoginPageRecorder::ShowBindMobileWindow(int mode, DuiLib::HWND) {
  Note("ShowBindMobileWindow(" + std::to_string(mode) + ")");
}

CServicePanelRecorder::CServicePanelRecorder(Journal& j) : CRecordingPage(L"ServiceWindow", j) {
  auto* account = new DuiLib::CTabLayoutUI;
  account->SetName(L"switch");
  account->Add(new CApplyRecorder(j));
  account->Add(new CDeviceListRecorder(j));
  auto* bind = new DuiLib::CContainerUI;
  bind->SetName(L"BindMobileWindow");
  account->Add(bind);
  account->Add(new CFaultRecorder(j));
  account->Add(new CChargeRecorder(j));
  account->Add(new COrderRecorder(j));
  account->Add(new CExchangeRecorder(j));
  account->Add(new CAgreementRecorder(j));
  Add(account);
  // The panel's own controls that the frame writes.
  for (const wchar_t* name : {L"Label_UserName", L"Label_RBC", L"Button_AddService"}) {
    auto* label = new DuiLib::CLabelUI;
    label->SetName(name);
    Add(label);
  }
}

DuiLib::CControlUI* CRecordingPageFactory::CreatePage(const std::wstring& cls, DuiLib::CPaintManagerUI&) {
  if (cls == L"LoginWindow") return login = new CLoginPageRecorder(m_journal);
  if (cls == L"ServiceWindow") return new CServicePanelRecorder(m_journal);
  if (cls == L"ShowPlayerWindow") return new CPlayerPageRecorder(m_journal);
  if (cls == L"WaitingPageWindow") return new CWaitingPageRecorder(m_journal);
  return nullptr;
}

bool CTestTray::Add(const QIcon&, const std::wstring& tip, std::function<void(Click)> onClick) {
  m_s->tip = tip;
  m_s->click = std::move(onClick);
  return m_s->shown = true;
}

bool CTestTray::Modify(const std::wstring& tip) {
  if (!m_s->shown) return false;
  m_s->tip = tip;
  return true;
}

bool CTestTray::ShowBalloon(const std::wstring& text, const std::wstring& title, int kind, int timeoutMs) {
  if (!m_s->shown) return false;
  m_s->balloons.push_back({text, title, kind, timeoutMs, true});
  return true;
}

bool CTestTray::Delete() {
  m_s->shown = false;
  return true;
}

}  // namespace zvtest
