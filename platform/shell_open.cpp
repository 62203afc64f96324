#include "platform/shell_open.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QUrl>
#include <mutex>

namespace zv {

namespace {
std::mutex g_mutex;
std::vector<std::wstring> g_history;

bool LooksLikeAddress(const QString& s) {
  QUrl url(s);
  return url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1 && !QFileInfo(s).isAbsolute();
}
}  // namespace

int ShellOpen(const std::wstring& target, const std::wstring& parameters, int) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_history.push_back(target);
  }
  QString t = QString::fromStdWString(target);
  if (t.isEmpty()) return SE_ERR_FNF;
  if (LooksLikeAddress(t)) return QDesktopServices::openUrl(QUrl(t)) ? SE_OPEN_OK : SE_ERR_NOASSOC;
  t.replace(QLatin1Char('\\'), QLatin1Char('/'));
  QFileInfo info(t);
  if (!info.exists()) return info.dir().exists() ? SE_ERR_FNF : SE_ERR_PNF;
  if (!info.isExecutable()) return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath())) ? SE_OPEN_OK : SE_ERR_NOASSOC;
  QStringList args = QProcess::splitCommand(QString::fromStdWString(parameters));
  return QProcess::startDetached(info.absoluteFilePath(), args, info.absolutePath()) ? SE_OPEN_OK : SE_ERR_ACCESSDENIED;
}

std::vector<std::wstring> ShellOpenHistory() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_history;
}

}  // namespace zv
