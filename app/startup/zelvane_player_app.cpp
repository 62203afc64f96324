#include "app/startup/zelvane_player_app.h"

#include <QFile>
#include <QString>
#include <clocale>
#include <cstdio>

#include "api/app_context.h"
#include "api/service_api.h"
#include "api/settings.h"
#include "app/main_window_notifier.h"
#include "app/startup/version_check.h"
#include "control/control_client.h"
#include "pages/page_factory.h"
#include "platform/qt_settings_backend.h"
#include "platform/shell_open.h"
#include "player/stream_player.h"
#include "player/video_decoder.h"
#include "toolkit/main_window_target.h"
#include "toolkit/ui_manager.h"
#include "ui/main_frame_page.h"
#include "ui/notice_manager.h"

namespace zv {

namespace {

constexpr DuiLib::DWORD kMainWindowStyle = 0x96CA0000u;
constexpr int kShowNormal = 5;
constexpr int kShellSuccessAbove = 32;
constexpr unsigned kProgramIcon = 128;

QString InstanceFile(const wchar_t* name) {
  return QString::fromStdWString(DuiLib::CPaintManagerUI::GetInstancePath() + name);
}

}  // namespace

void CZelvanePlayerApp::InitLocale() {
  // The ANSI code page of the text helpers is the locale's; an unusable environment
  // locale must not leave the process in "C", where Chinese texts do not convert.
  if (!std::setlocale(LC_ALL, "")) {
    std::fprintf(stderr, "ZelvanePlayer: the environment's locale is not available, using C.UTF-8\n");
    std::setlocale(LC_ALL, "C.UTF-8");
  }
}

bool CZelvanePlayerApp::StartUpdater() {
  std::wstring updater = DuiLib::CPaintManagerUI::GetInstancePath() + L"Update.exe";
  return ShellOpen(updater, L"", kShowNormal) > kShellSuccessAbove;
}

bool CZelvanePlayerApp::CheckForUpdate() {
  ApiRequest request;
  request.kind = REQ_CHECK_NEW_VERSION;
  if (CServiceApi::Instance().Execute(request) != 0) return false;
  if (!IsNewerVersion(request.results[0], kClientVersion)) return false;
  return StartUpdater();
}

void CZelvanePlayerApp::RemoveUpdaterLeftover() {
  QString leftover = InstanceFile(L"Update.exe.tmp");
  if (QFile::exists(leftover)) QFile::remove(leftover);
}

void CZelvanePlayerApp::WireSessions() {
  CControlClient::Instance().SetStreamSession(&CStreamPlayer::Instance());
  CStreamPlayer::Instance().SetQualitySender([](int32_t level) { CControlClient::Instance().SendQuality(level); });
}

void CZelvanePlayerApp::RunMainWindow() {
  auto* frame = new ui::CMainFramePage(&pages::PageFactory());
  DuiLib::HWND hwnd = frame->Create(nullptr, L"ZelvanePlayer", kMainWindowStyle, 0, 0, 0, 0, 0);
  if (!hwnd) {
    delete frame;
    return;
  }
  // Lives as long as the process: workers may report to it until the very end.
  CMainWindowNotifier::Instance().SetTarget(new DuiLib::CMainWindowTarget(hwnd));
  frame->SetIcon(kProgramIcon);
  frame->CenterWindow();
  frame->ShowModal();  // the frame deletes itself when its window is destroyed
}

bool CZelvanePlayerApp::InitInstance() {
  InitLocale();
  DuiLib::CPaintManagerUI::SetInstance(nullptr);
  CSettings::SetBackend(new CQtSettingsBackend(QStringLiteral("ZelvanePlayer"), QStringLiteral("ZelvanePlayer")));
  CAppContext::Instance().Initialize();
  CServiceApi::Instance().InitTransport();
  RegisterDecoders();
  NoticeManager::Instance().Stop();  // no notice worker runs before a login

  const std::vector<std::wstring>& args = GetArguments();
  if (args.empty()) {
    if (CheckForUpdate()) {
      m_exitCode = 0;  // handed over: no window, no settings written
      return false;
    }
  } else if (args[0] == L"UpdateBegin") {
    RemoveUpdaterLeftover();
  }

  WireSessions();
  RunMainWindow();
  CAppContext::Instance().ClearDeviceLists();
  return false;
}

}  // namespace zv
