// The per-user settings store on Qt: QSettings in the platform's native format (an INI
// file under $XDG_CONFIG_HOME on Linux, the registry on Windows).
#pragma once

#include <QString>

#include "api/settings.h"

namespace zv {

class CQtSettingsBackend : public ISettingsBackend {
 public:
  // organization = the profile key ("ZelvanePlayer"); application = the executable's name.
  CQtSettingsBackend(const QString& organization, const QString& application);

  int ReadInt(const std::wstring& section, const std::wstring& entry, int def) override;
  std::wstring ReadString(const std::wstring& section, const std::wstring& entry) override;
  bool WriteInt(const std::wstring& section, const std::wstring& entry, int value) override;
  bool WriteString(const std::wstring& section, const std::wstring& entry, const std::wstring& value) override;
  bool WriteVersionRecord(const std::wstring& version) override;

  // Where the files live (for tests and diagnostics).
  QString ProfileFile() const;
  QString VersionFile() const;

 private:
  bool Write(const std::wstring& section, const std::wstring& entry, const QVariant& value);

  QString m_organization;
  QString m_application;
};

}  // namespace zv
