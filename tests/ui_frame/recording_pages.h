// Small pages that record what the main frame asks of them, built by a test page
// factory in place of the real ones, so that the frame's routing and order of steps
// can be read from one journal.
#pragma once

#include <QIcon>
#include <QRect>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/ui_container.h"
#include "ui/page_interfaces.h"
#include "ui/system_tray.h"

namespace zvtest {

// What the pages and the frame's surroundings did, in order.
struct Journal {
  std::vector<std::string> entries;
  void Add(const std::string& entry) { entries.push_back(entry); }
  bool Has(const std::string& entry) const;
  // Index of the first entry equal to entry, or -1.
  int IndexOf(const std::string& entry) const;
  void Clear() { entries.clear(); }
};

std::string Narrow(const std::wstring& text);

class CRecordingPage : public DuiLib::CContainerUI {
 public:
  CRecordingPage(const std::wstring& name, Journal& journal);
  void Note(const std::string& what) { m_journal.Add(m_tag + "." + what); }
  void NoteNotify(DuiLib::TNotifyUI& msg) {
    Note("Notify(" + Narrow(msg.pSender ? msg.pSender->GetName() : L"") + ")");
  }

 private:
  Journal& m_journal;
  std::string m_tag;
};

class CLoginPageRecorder : public CRecordingPage, public zv::ui::ILoginPage {
 public:
  explicit CLoginPageRecorder(Journal& j) : CRecordingPage(L"LoginWindow", j) {}
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void Init(bool allowAutoLogin, DuiLib::HWND wnd) override;
  bool Login(DuiLib::HWND) override;
  void SetLoginResult(int code, const std::string& message) override;
  zv::ui::LoginRequest GetRequest() const override { return request; }
  int IsWaiting() const override { return waiting; }
  void SetWaiting(int w) override;
  void SetLoginButtonEnabled(bool enabled) override;
  void SetCredentials(const std::string& userName, const std::string& password) override;
  void ShowBindMobileWindow(int mode, DuiLib::HWND) override;

  zv::ui::LoginRequest request;
  int waiting = 0;
  bool loginAnswer = true;
};

class CServicePanelRecorder : public CRecordingPage, public zv::ui::IServicePanel {
 public:
  explicit CServicePanelRecorder(Journal& j);
  void Notify(DuiLib::TNotifyUI& msg, DuiLib::HWND) override { NoteNotify(msg); }
  void RefreshBeans() override { Note("RefreshBeans"); }
  void SetMode(int mode) override { Note("SetMode(" + std::to_string(mode) + ")"); }
  void ShowNoticeWindow(int mode) override { Note("ShowNoticeWindow(" + std::to_string(mode) + ")"); }
  void FlickerNotice() override { Note("FlickerNotice"); }
  void StopNoticeFlicker() override { Note("StopNoticeFlicker"); }
  void CloseNoticeWindow() override { Note("CloseNoticeWindow"); }
};

class CPlayerPageRecorder : public CRecordingPage, public zv::ui::IPlayerPage {
 public:
  explicit CPlayerPageRecorder(Journal& j) : CRecordingPage(L"ShowPlayerWindow", j) {}
  void OnVideoSize(int w, int h) override {
    Note("OnVideoSize(" + std::to_string(w) + "," + std::to_string(h) + ")");
  }
  void OnVideoFrame(const zv::VideoFrame*) override { Note("OnVideoFrame"); }
  void StartPlayback(DuiLib::HWND) override { Note("StartPlayback"); }
  void OnAdTick(DuiLib::HWND) override { Note("OnAdTick"); }
  void SetFrameReceived(bool received) override {
    Note(std::string("SetFrameReceived(") + (received ? "1" : "0") + ")");
  }
};

class CWaitingPageRecorder : public CRecordingPage, public zv::ui::IWaitingPage {
 public:
  explicit CWaitingPageRecorder(Journal& j) : CRecordingPage(L"WaitingPageWindow", j) {}
  void UpdateQueue(int length, int minutes) override {
    Note("UpdateQueue(" + std::to_string(length) + "," + std::to_string(minutes) + ")");
  }
};

// Builds the recorders for the main skin's page classes.
class CRecordingPageFactory : public zv::ui::IPageFactory {
 public:
  explicit CRecordingPageFactory(Journal& j) : m_journal(j) {}
  DuiLib::CControlUI* CreatePage(const std::wstring& cls, DuiLib::CPaintManagerUI& manager) override;
  CLoginPageRecorder* login = nullptr;

 private:
  Journal& m_journal;
};

// A desktop tray the test holds: it records balloons and can click the icon.
struct TrayState {
  bool shown = false;
  std::wstring tip;
  std::vector<zv::TrayBalloonRecord> balloons;
  std::function<void(zv::ITrayBackend::Click)> click;
};

class CTestTray : public zv::ITrayBackend {
 public:
  explicit CTestTray(std::shared_ptr<TrayState> s) : m_s(std::move(s)) {}
  bool IsAvailable() const override { return true; }
  bool SupportsBalloons() const override { return true; }
  bool Add(const QIcon&, const std::wstring& tip, std::function<void(Click)> onClick) override;
  bool Modify(const std::wstring& tip) override;
  bool ShowBalloon(const std::wstring& text, const std::wstring& title, int kind, int timeoutMs) override;
  bool Delete() override;
  QRect Geometry() const override { return {}; }

 private:
  std::shared_ptr<TrayState> m_s;
};

}  // namespace zvtest
