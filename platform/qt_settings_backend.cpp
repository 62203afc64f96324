#include "platform/qt_settings_backend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace zv {

namespace {

QString Key(const std::wstring& section, const std::wstring& entry) {
  return QString::fromStdWString(section) + QLatin1Char('/') + QString::fromStdWString(entry);
}

// The remembered digest is a credential: the file and its folder are the user's alone,
// from the moment they exist.
void PrepareOwnerOnlyFile(const QString& path) {
  QFileInfo info(path);
  QDir().mkpath(info.absolutePath());
  ::chmod(QFile::encodeName(info.absolutePath()).constData(), 0700);
  int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
  ::chmod(QFile::encodeName(path).constData(), 0600);
}

bool Commit(QSettings& settings) {
  settings.sync();
  const QString path = settings.fileName();
  ::chmod(QFile::encodeName(path).constData(), 0600);
  return settings.status() == QSettings::NoError;
}

}  // namespace

CQtSettingsBackend::CQtSettingsBackend(const QString& organization, const QString& application)
    : m_organization(organization), m_application(application) {}

QString CQtSettingsBackend::ProfileFile() const {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application).fileName();
}

QString CQtSettingsBackend::VersionFile() const {
  return QSettings(QSettings::NativeFormat, QSettings::UserScope, m_organization).fileName();
}

int CQtSettingsBackend::ReadInt(const std::wstring& section, const std::wstring& entry, int def) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
  bool ok = false;
  int value = settings.value(Key(section, entry)).toInt(&ok);
  return ok ? value : def;
}

std::wstring CQtSettingsBackend::ReadString(const std::wstring& section, const std::wstring& entry) {
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
  return settings.value(Key(section, entry)).toString().toStdWString();
}

bool CQtSettingsBackend::Write(const std::wstring& section, const std::wstring& entry, const QVariant& value) {
  PrepareOwnerOnlyFile(ProfileFile());
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_organization, m_application);
  settings.setValue(Key(section, entry), value);
  return Commit(settings);
}

bool CQtSettingsBackend::WriteInt(const std::wstring& section, const std::wstring& entry, int value) {
  return Write(section, entry, QVariant(value));
}

bool CQtSettingsBackend::WriteString(const std::wstring& section, const std::wstring& entry,
                                     const std::wstring& value) {
  return Write(section, entry, QVariant(QString::fromStdWString(value)));
}

bool CQtSettingsBackend::WriteVersionRecord(const std::wstring& version) {
  PrepareOwnerOnlyFile(VersionFile());
  QSettings settings(QSettings::NativeFormat, QSettings::UserScope, m_organization);
  settings.setValue(QStringLiteral("Version"), QString::fromStdWString(version));
  return Commit(settings);
}

}  // namespace zv
