// The login worker: one thread per login, the two-step sign-in and the settings write,
// then a blocking UWM_LOGIN_DONE so that the window thread reads the record while the
// worker still owns it.
#include <mutex>
#include <thread>

#include "api/app_context.h"
#include "api/service_api.h"
#include "api/settings.h"
#include "app/events.h"
#include "pages/login_page.h"
#include "toolkit/ui_window.h"

namespace zv::pages {

namespace {

std::atomic<int> g_running{0};

// Two logins may overlap when one is started by code while another runs; the account
// model has no lock of its own, so their sign-ins take turns.
std::mutex& SignInMutex() {
  static std::mutex mutex;
  return mutex;
}

void SignInAndRemember(zv::ui::LoginRequest& request) {
  std::lock_guard<std::mutex> lock(SignInMutex());
  CAppContext& context = CAppContext::Instance();
  // The remembered value is the digest, never the password: the placeholder is not sent.
  const bool useRememberedDigest = request.passwordChanged == 0 && !context.passwordDigest.empty();
  context.autoLogin = request.autoLogin;
  context.savePassword = request.rememberPassword;
  context.userName = request.userName;

  ApiRequest api;
  api.params[0] = request.userName;
  api.params[1] = request.password;
  const int32_t code = CServiceApi::Instance().SignIn(api, useRememberedDigest);
  if (code == 0) CSettings::SaveLoginSettings(context);
  request.resultCode = code;
  request.resultMessage = api.resultInfo;
}

}  // namespace

void RunLoginWorker(CLoginJob& job) {
  zv::ui::LoginRequest& request = job.request;
  if (!request.owner) return;
  SignInAndRemember(request);
  if (job.superseded.load()) return;
  DuiLib::SendMessage(request.owner, UWM_LOGIN_DONE, reinterpret_cast<DuiLib::WPARAM>(&request), 0);
}

void StartLoginWorker(std::shared_ptr<CLoginJob> job) {
  ++g_running;
  std::thread([job = std::move(job)] {
    RunLoginWorker(*job);
    --g_running;
  }).detach();
}

int RunningLoginWorkers() {
  return g_running.load();
}

}  // namespace zv::pages
