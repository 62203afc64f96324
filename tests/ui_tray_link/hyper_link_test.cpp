// The link opener: the shell's open, the registered browser when it fails, the beeps and
// the framework's box when both fail, and the real lookup of the desktop's web handler.
#include "ui/hyper_link.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdlib>
#include <fstream>

#include "platform/message_box.h"
#include "platform/shell_open.h"
#include "tests/ui_tray_link/qt_fixture.h"

using zv::CHyperLink;
using zv::HyperLinkDesktop;

namespace {

const std::wstring kUrl = L"http://127.0.0.1:9/recharge?uid=7&next=a b";

// A desktop that records what the link asked of it.
struct Desktop {
  int shellResult = zv::SE_OPEN_OK;
  std::wstring command;
  int launchResult = zv::SE_OPEN_OK;
  std::vector<std::wstring> shellOpened;
  std::vector<std::vector<std::wstring>> launched;
  int beeps = 0;
  std::vector<std::wstring> errors;

  HyperLinkDesktop Make(bool realBox = false) {
    HyperLinkDesktop d;
    d.shellOpen = [this](const std::wstring& url, int show) {
      EXPECT_EQ(show, 5);
      shellOpened.push_back(url);
      return shellResult;
    };
    d.browserCommand = [this] { return command; };
    d.launch = [this](const std::vector<std::wstring>& argv) {
      launched.push_back(argv);
      return launchResult;
    };
    d.beep = [this] { ++beeps; };
    if (!realBox) d.showError = [this](const std::wstring& text) { errors.push_back(text); };
    return d;
  }
};

// Answers the first box that opens and keeps what it showed.
struct BoxWatcher {
  std::vector<zv::MessageBoxInfo> seen;
  void Arm() {
    QTimer::singleShot(20, [this] { Poll(); });
  }
  void Poll() {
    auto& service = zv::CMessageBoxService::Instance();
    if (service.OpenCount() == 0) {
      QTimer::singleShot(20, [this] { Poll(); });
      return;
    }
    seen = service.OpenBoxes();
    service.AnswerInnermost();
  }
};

TEST(HyperLink, UrlTheShellOpensIsVisited) {
  Desktop desktop;
  CHyperLink link(desktop.Make());
  link.SetURL(kUrl);
  EXPECT_FALSE(link.IsVisited());
  EXPECT_TRUE(link.Open());
  EXPECT_TRUE(link.IsVisited());
  EXPECT_EQ(link.GetLastResult(), zv::SE_OPEN_OK);
  EXPECT_EQ(desktop.shellOpened, std::vector<std::wstring>{kUrl});
  EXPECT_TRUE(desktop.launched.empty());
  EXPECT_EQ(desktop.beeps, 0);
  EXPECT_TRUE(desktop.errors.empty());
}

TEST(HyperLink, ShellFailureFallsBackToTheRegisteredBrowser) {
  Desktop desktop;
  desktop.shellResult = zv::SE_ERR_NOASSOC;
  desktop.command = L"/usr/bin/web-browser --new-window \"%u\"";
  CHyperLink link(desktop.Make());
  link.SetURL(kUrl);
  EXPECT_TRUE(link.Open());
  EXPECT_TRUE(link.IsVisited());
  ASSERT_EQ(desktop.launched.size(), 1u);
  EXPECT_EQ(desktop.launched[0], (std::vector<std::wstring>{L"/usr/bin/web-browser", L"--new-window", kUrl}));
  EXPECT_EQ(desktop.beeps, 0);
}

TEST(HyperLink, DoubleFailureBeepsTwiceAndShowsTheBoxForItsCode) {
  struct Case {
    std::wstring command;
    int launchResult;
    int want;
  } cases[] = {
      {L"web-browser %U", zv::SE_ERR_FNF, 2},  // the registered program is missing
      {L"web-browser %U", zv::SE_ERR_ACCESSDENIED, 5},
      {L"", 0, zv::SE_ERR_NOASSOC},  // no registered browser: the shell's code stands
  };
  for (const Case& c : cases) {
    Desktop desktop;
    desktop.shellResult = zv::SE_ERR_NOASSOC;
    desktop.command = c.command;
    desktop.launchResult = c.launchResult;
    CHyperLink link(desktop.Make(true));
    link.SetURL(kUrl);
    BoxWatcher watcher;
    watcher.Arm();
    EXPECT_FALSE(link.Open());
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(link.GetLastResult(), c.want);
    EXPECT_EQ(desktop.beeps, 2);
    ASSERT_EQ(watcher.seen.size(), 1u);
    EXPECT_EQ(watcher.seen[0].text, zv::HyperLinkErrorText(c.want));
    EXPECT_EQ(watcher.seen[0].icon, "warning");
    EXPECT_EQ(desktop.launched.size(), c.command.empty() ? 0u : 1u);
  }
}

TEST(HyperLink, ErrorTextsByResultCode) {
  struct Case {
    int code;
    const wchar_t* text;
  } cases[] = {
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
      {1, L"Unknown Error (1) occurred."},
      {4, L"Unknown Error (4) occurred."},
      {-1, L"Unknown Error (-1) occurred."},
  };
  for (const Case& c : cases) EXPECT_EQ(zv::HyperLinkErrorText(c.code), c.text) << c.code;
}

TEST(HyperLink, BrowserCommandIsCutAtItsPlaceholderAndTheUrlIsOneWord) {
  const std::wstring url = L"http://127.0.0.1/x?a=1;touch /tmp/p&b=\"q\" $(id)";
  struct Case {
    std::wstring command;
    std::vector<std::wstring> want;
  } cases[] = {
      {L"web %u", {L"web", url}},
      {L"web --new %U --after", {L"web", L"--new", url}},
      {L"\"/opt/My Browser/run\" \"%u\" --after", {L"/opt/My Browser/run", url}},
      {L"web %f \"%u\"", {L"web", url}},  // a quoted placeholder wins over an earlier bare one
      {L"web --profile", {L"web", L"--profile", url}},
      {L"env A=1 web %i --name=100%% %F", {L"env", L"A=1", L"web", L"--name=100%", url}},
      {L"\"web \\\"x\\\"\" %u", {L"web \"x\"", url}},
      {L"", {}},
      {L"%u", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(zv::BrowserArgv(c.command, url), c.want) << std::string(c.command.begin(), c.command.end());
}

// The real lookup and launch: a stand-in xdg-mime names a desktop entry whose program
// records the arguments it got.
class RegisteredBrowser : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string oldPath, oldData;
  QString recordFile;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    const QString root = dir.path();
    QDir().mkpath(root + "/bin");
    QDir().mkpath(root + "/data/applications/vendor");
    recordFile = root + "/args.txt";
    WriteScript(root + "/bin/xdg-mime",
                "#!/bin/sh\n[ \"$3\" = x-scheme-handler/http ] && echo vendor-web.desktop\nexit 0\n");
    WriteScript(root + "/bin/recorder", "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"" +
                                            recordFile.toStdString() + ".tmp\"\nmv \"" +
                                            recordFile.toStdString() + ".tmp\" \"" +
                                            recordFile.toStdString() + "\"\n");
    WriteFile(root + "/data/applications/vendor/web.desktop",
              "[Desktop Action New]\nExec=wrong %u\n[Desktop Entry]\nName=Web\nExec=\"" + root.toStdString() +
                  "/bin/recorder\" --first %U\n");
    const char* path = std::getenv("PATH");
    const char* data = std::getenv("XDG_DATA_HOME");
    oldPath = path ? path : "";
    oldData = data ? data : "";
    setenv("PATH", (root.toStdString() + "/bin:" + oldPath).c_str(), 1);
    setenv("XDG_DATA_HOME", (root.toStdString() + "/data").c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath.c_str(), 1);
    if (oldData.empty())
      unsetenv("XDG_DATA_HOME");
    else
      setenv("XDG_DATA_HOME", oldData.c_str(), 1);
  }
  static void WriteFile(const QString& file, const std::string& text) {
    std::ofstream(file.toStdString()) << text;
  }
  static void WriteScript(const QString& file, const std::string& text) {
    WriteFile(file, text);
    QFile(file).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
};

TEST_F(RegisteredBrowser, FallbackFindsTheHandlerAndRunsItWithoutAShell) {
  EXPECT_EQ(zv::DefaultHyperLinkDesktop().browserCommand(),
            L"\"" + dir.path().toStdWString() + L"/bin/recorder\" --first %U");
  Desktop desktop;
  desktop.shellResult = zv::SE_ERR_NOASSOC;
  HyperLinkDesktop d = desktop.Make();
  HyperLinkDesktop real = zv::DefaultHyperLinkDesktop();
  d.browserCommand = real.browserCommand;
  d.launch = real.launch;
  CHyperLink link(d);
  const std::wstring url = L"http://127.0.0.1:9/a?b=1;touch x&c=$(id)";
  link.SetURL(url);
  EXPECT_TRUE(link.Open());
  EXPECT_TRUE(link.IsVisited());
  ASSERT_TRUE(zvtest::PumpUntil([&] { return QFile::exists(recordFile); }));
  QFile f(recordFile);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(QString::fromUtf8(f.readAll()), "--first\n" + QString::fromStdWString(url) + "\n");
  EXPECT_EQ(desktop.beeps, 0);
}

TEST_F(RegisteredBrowser, LaunchFailuresMapOntoShellCodes) {
  auto launch = zv::DefaultHyperLinkDesktop().launch;
  const std::wstring root = dir.path().toStdWString();
  WriteFile(dir.path() + "/plain", "not a program\n");
  EXPECT_EQ(launch({L"no-such-browser-zv"}), zv::SE_ERR_FNF);
  EXPECT_EQ(launch({root + L"/bin/absent"}), zv::SE_ERR_FNF);
  EXPECT_EQ(launch({root + L"/nowhere/absent"}), zv::SE_ERR_PNF);
  EXPECT_EQ(launch({root + L"/plain"}), zv::SE_ERR_ACCESSDENIED);
  EXPECT_EQ(launch({}), zv::SE_ERR_NOASSOC);
}

TEST_F(RegisteredBrowser, NoHandlerRegisteredGivesNoCommand) {
  WriteScript(dir.path() + "/bin/xdg-mime", "#!/bin/sh\nexit 0\n");
  EXPECT_EQ(zv::DefaultHyperLinkDesktop().browserCommand(), L"");
}

}  // namespace
