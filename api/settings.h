// The handful of values the client remembers per user between runs, and its version
// record. The storage itself is a backend (the platform's per-user settings store);
// without one, reading gives the defaults and writing does nothing.
#pragma once

#include <string>

namespace zv {

class CAppContext;

class ISettingsBackend {
 public:
  virtual ~ISettingsBackend() = default;
  // Values of the program's profile area; a missing value gives def or the empty text.
  virtual int ReadInt(const std::wstring& section, const std::wstring& entry, int def) = 0;
  virtual std::wstring ReadString(const std::wstring& section, const std::wstring& entry) = 0;
  virtual bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) = 0;
  virtual bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) = 0;
  // The version record beside the profile area (software\ZelvanePlayer, value "Version").
  virtual bool WriteVersionRecord(const std::wstring& version) = 0;
};

class CSettings {
 public:
  // Start-up installs the platform's backend before CAppContext::Initialize.
  static void SetBackend(ISettingsBackend* backend);
  static ISettingsBackend* GetBackend();

  static void LoadSettings(CAppContext& context);
  static void SaveLoginSettings(const CAppContext& context);
  static void SaveQualitySettings(const CAppContext& context);
  static bool WriteVersionKey();
};

}  // namespace zv
