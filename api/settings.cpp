#include "api/settings.h"

#include <atomic>

#include "api/app_context.h"
#include "api/text_util.h"

namespace zv {

namespace {

const std::wstring kSection = L"ZelvanePlayer";
std::atomic<ISettingsBackend*> g_backend{nullptr};

}  // namespace

void CSettings::SetBackend(ISettingsBackend* backend) { g_backend.store(backend); }
ISettingsBackend* CSettings::GetBackend() { return g_backend.load(); }

void CSettings::LoadSettings(CAppContext& context) {
  ISettingsBackend* backend = GetBackend();
  if (!backend) {
    context.userName.clear();
    context.passwordDigest.clear();
    context.autoLogin = false;
    context.savePassword = false;
    context.qualityLevel = 2;
    context.autoQuality = 0;
    return;
  }
  context.userName = WideToAnsi(backend->ReadString(kSection, L"UserName"));
  context.passwordDigest = WideToAnsi(backend->ReadString(kSection, L"Password"));
  context.autoLogin = backend->ReadInt(kSection, L"AutoLogin", 0) != 0;
  context.savePassword = backend->ReadInt(kSection, L"SavePassword", 0) != 0;
  // Stored unchanged: consumers range-check the level.
  context.qualityLevel = backend->ReadInt(kSection, L"VideoSpeedMode", 2);
  context.autoQuality = backend->ReadInt(kSection, L"VideoSpeedAutoChange", 0) != 0;
}

void CSettings::SaveLoginSettings(const CAppContext& context) {
  ISettingsBackend* backend = GetBackend();
  if (!backend) return;
  backend->WriteInt(kSection, L"AutoLogin", context.autoLogin ? 1 : 0);
  backend->WriteInt(kSection, L"SavePassword", context.savePassword ? 1 : 0);
  backend->WriteString(kSection, L"UserName", AnsiToWide(context.userName));
  // Logging in with remember-password off erases a digest remembered earlier.
  backend->WriteString(kSection, L"Password",
                       context.savePassword ? AnsiToWide(context.passwordDigest) : std::wstring());
}

void CSettings::SaveQualitySettings(const CAppContext& context) {
  ISettingsBackend* backend = GetBackend();
  if (!backend) return;
  backend->WriteInt(kSection, L"VideoSpeedMode", context.qualityLevel.load());
  backend->WriteInt(kSection, L"VideoSpeedAutoChange", context.autoQuality.load() ? 1 : 0);
}

bool CSettings::WriteVersionKey() {
  ISettingsBackend* backend = GetBackend();
  return backend && backend->WriteVersionRecord(AnsiToWide(kClientVersion));
}

}  // namespace zv
