#include "ui/hyper_link.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QTextStream>
#include <array>
#include <utility>

#include "platform/shell_open.h"
#include "platform/win_app.h"

namespace zv {

namespace {

constexpr int kQueryMs = 3000;

struct ErrorText {
  int code;
  const wchar_t* text;
};

constexpr std::array<ErrorText, 13> kErrorTexts{{
    {0, L"The operating system is out\nof memory or resources."},
    {2, L"The specified file was not found."},
    {3, L"The specified path was not found."},
    {5, L"The operating system denied\naccess to the specified file."},
    {8, L"There was not enough memory to complete the operation."},
    {11, L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image)."},
    {26, L"A sharing violation occurred. "},
    {27, L"The filename association is\nincomplete or invalid."},
    {28, L"The DDE transaction could not\nbe completed because the request timed out."},
    {29, L"The DDE transaction failed."},
    {30,
     L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed."},
    {31, L"There is no application associated\nwith the given filename extension."},
    {32, L"The specified dynamic-link library was not found."},
}};

bool IsUrlCode(wchar_t c) {
  return c == L'u' || c == L'U' || c == L'f' || c == L'F';
}

// Where the URL goes: before the quote that opens a quoted placeholder, else at the first
// bare placeholder, else the end.
size_t CutPosition(const std::wstring& command) {
  for (size_t i = 0; i + 3 < command.size(); ++i) {
    if (command[i] == L'"' && command[i + 1] == L'%' && IsUrlCode(command[i + 2]) && command[i + 3] == L'"')
      return i;
  }
  for (size_t i = 0; i + 1 < command.size(); ++i) {
    if (command[i] == L'%' && command[i + 1] == L'%') {
      ++i;
      continue;
    }
    if (command[i] == L'%' && IsUrlCode(command[i + 1])) return i;
  }
  return command.size();
}

// Other field codes of a desktop entry stand for nothing we have; "%%" is a percent sign.
std::wstring ExpandFieldCodes(const std::wstring& word) {
  std::wstring out;
  for (size_t i = 0; i < word.size(); ++i) {
    if (word[i] == L'%' && i + 1 < word.size()) {
      if (word[i + 1] == L'%') out += L'%';
      ++i;
      continue;
    }
    out += word[i];
  }
  return out;
}

QString RunQuery(const QStringList& args) {
  QProcess process;
  process.start(QStringLiteral("xdg-mime"), args);
  if (!process.waitForFinished(kQueryMs)) {
    process.kill();
    process.waitForFinished(kQueryMs);
    return {};
  }
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return {};
  return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

QStringList ApplicationDirs() {
  QStringList dirs;
  QString home = qEnvironmentVariable("XDG_DATA_HOME");
  if (home.isEmpty()) home = QDir::homePath() + QStringLiteral("/.local/share");
  dirs << home;
  QString shared = qEnvironmentVariable("XDG_DATA_DIRS");
  if (shared.isEmpty()) shared = QStringLiteral("/usr/local/share:/usr/share");
  dirs << shared.split(QLatin1Char(':'), Qt::SkipEmptyParts);
  for (QString& d : dirs) d += QStringLiteral("/applications/");
  return dirs;
}

// The desktop entry of an id: "a-b.desktop" may also live as "a/b.desktop".
QString FindDesktopFile(const QString& id) {
  for (const QString& dir : ApplicationDirs()) {
    QString name = id;
    while (true) {
      if (QFileInfo::exists(dir + name)) return dir + name;
      int dash = name.indexOf(QLatin1Char('-'));
      if (dash < 0) break;
      name[dash] = QLatin1Char('/');
    }
  }
  return {};
}

// The string level of a desktop entry's value; the quoting level is SplitCommandLine's.
QString UnescapeValue(const QString& value) {
  QString out;
  for (int i = 0; i < value.size(); ++i) {
    QChar c = value[i];
    if (c != QLatin1Char('\\') || i + 1 >= value.size()) {
      out += c;
      continue;
    }
    QChar next = value[++i];
    if (next == QLatin1Char('s'))
      out += QLatin1Char(' ');
    else if (next == QLatin1Char('t'))
      out += QLatin1Char('\t');
    else if (next == QLatin1Char('n'))
      out += QLatin1Char('\n');
    else if (next == QLatin1Char('r'))
      out += QLatin1Char('\r');
    else if (next == QLatin1Char('\\'))
      out += next;
    else
      out += QString(c) + next;
  }
  return out;
}

QString ExecLine(const QString& file) {
  QFile f(file);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
  QTextStream in(&f);
  bool inEntry = false;
  while (!in.atEnd()) {
    QString line = in.readLine().trimmed();
    if (line.startsWith(QLatin1Char('['))) {
      inEntry = line == QStringLiteral("[Desktop Entry]");
      continue;
    }
    if (inEntry && line.startsWith(QStringLiteral("Exec="))) return UnescapeValue(line.mid(5).trimmed());
  }
  return {};
}

std::wstring RegisteredBrowserCommand() {
  for (const char* type : {"x-scheme-handler/http", "text/html"}) {
    QString id = RunQuery({QStringLiteral("query"), QStringLiteral("default"), QString::fromLatin1(type)});
    if (id.isEmpty()) continue;
    QString file = FindDesktopFile(id.section(QLatin1Char('\n'), 0, 0).trimmed());
    if (file.isEmpty()) continue;
    QString exec = ExecLine(file);
    if (!exec.isEmpty()) return exec.toStdWString();
  }
  return {};
}

int LaunchDetached(const std::vector<std::wstring>& argv) {
  if (argv.empty()) return SE_ERR_NOASSOC;
  QString program = QString::fromStdWString(argv[0]);
  if (!program.contains(QLatin1Char('/'))) {
    program = QStandardPaths::findExecutable(program);
    if (program.isEmpty()) return SE_ERR_FNF;
  }
  QFileInfo info(program);
  if (!info.exists()) return info.dir().exists() ? SE_ERR_FNF : SE_ERR_PNF;
  if (!info.isExecutable() || info.isDir()) return SE_ERR_ACCESSDENIED;
  QStringList args;
  for (size_t i = 1; i < argv.size(); ++i) args << QString::fromStdWString(argv[i]);
  return QProcess::startDetached(info.absoluteFilePath(), args) ? SE_OPEN_OK : SE_ERR_ACCESSDENIED;
}

}  // namespace

HyperLinkDesktop DefaultHyperLinkDesktop() {
  HyperLinkDesktop d;
  d.shellOpen = [](const std::wstring& url, int show) { return ShellOpen(url, L"", show); };
  d.browserCommand = RegisteredBrowserCommand;
  d.launch = LaunchDetached;
  d.beep = [] { QApplication::beep(); };
  d.showError = [](const std::wstring& text) { AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION); };
  return d;
}

std::wstring HyperLinkErrorText(int result) {
  for (const ErrorText& e : kErrorTexts) {
    if (e.code == result) return e.text;
  }
  return L"Unknown Error (" + std::to_wstring(result) + L") occurred.";
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& command) {
  std::vector<std::wstring> words;
  std::wstring word;
  bool inWord = false;
  bool quoted = false;
  for (size_t i = 0; i < command.size(); ++i) {
    wchar_t c = command[i];
    if (quoted) {
      if (c == L'\\' && i + 1 < command.size())
        word += command[++i];
      else if (c == L'"')
        quoted = false;
      else
        word += c;
    } else if (c == L'"') {
      quoted = inWord = true;
    } else if (c == L' ' || c == L'\t' || c == L'\n') {
      if (inWord) words.push_back(std::exchange(word, {}));
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::vector<std::wstring> BrowserArgv(const std::wstring& command, const std::wstring& url) {
  std::vector<std::wstring> argv;
  for (const std::wstring& word : SplitCommandLine(command.substr(0, CutPosition(command)))) {
    std::wstring expanded = ExpandFieldCodes(word);
    if (!expanded.empty()) argv.push_back(expanded);
  }
  if (argv.empty()) return {};
  argv.push_back(url);
  return argv;
}

CHyperLink::CHyperLink() : m_desktop(DefaultHyperLinkDesktop()) {}

CHyperLink::CHyperLink(HyperLinkDesktop desktop) : m_desktop(std::move(desktop)) {
  HyperLinkDesktop fallback = DefaultHyperLinkDesktop();
  if (!m_desktop.shellOpen) m_desktop.shellOpen = fallback.shellOpen;
  if (!m_desktop.browserCommand) m_desktop.browserCommand = fallback.browserCommand;
  if (!m_desktop.launch) m_desktop.launch = fallback.launch;
  if (!m_desktop.beep) m_desktop.beep = fallback.beep;
  if (!m_desktop.showError) m_desktop.showError = fallback.showError;
}

int CHyperLink::OpenWithBrowser() {
  std::vector<std::wstring> argv = BrowserArgv(m_desktop.browserCommand(), m_url);
  return argv.empty() ? -1 : m_desktop.launch(argv);
}

bool CHyperLink::Open() {
  int result = m_desktop.shellOpen(m_url, kShowNormal);
  if (result <= 32) {
    // Without a registered browser the shell's own answer is the one to report.
    int browser = OpenWithBrowser();
    if (browser >= 0) result = browser;
  }
  m_lastResult = result;
  if (result > 32) {
    m_visited = true;
    return true;
  }
  m_desktop.beep();
  m_desktop.beep();
  m_desktop.showError(HyperLinkErrorText(result));
  return false;
}

}  // namespace zv
