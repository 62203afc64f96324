// The one message-box service: modal with a nested loop, visible to tests, answerable.
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/shell_open.h"
#include "platform/tray_icon.h"
#include "platform/win_app.h"

namespace {
int g_argc = 1;
char g_arg0[] = "platform_tests";
char* g_argv[] = {g_arg0, nullptr};

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { m_app = new QApplication(g_argc, g_argv); }
  void TearDown() override { delete m_app; }

 private:
  QApplication* m_app = nullptr;
};
[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new QtEnvironment);
}  // namespace

TEST(MessageBox, NestedBoxesAreListedInnermostLastAndAnswered) {
  auto& service = zv::CMessageBoxService::Instance();
  std::vector<std::vector<zv::MessageBoxInfo>> snapshots;
  int innerResult = -1;
  QTimer::singleShot(10, [&] {
    snapshots.push_back(service.OpenBoxes());
    QTimer::singleShot(10, [&] {
      snapshots.push_back(service.OpenBoxes());
      EXPECT_TRUE(service.AnswerInnermost());
      QTimer::singleShot(10, [&] { EXPECT_TRUE(service.AnswerInnermost(zv::ID_NO)); });
    });
    innerResult = zv::ShowMessageBox(nullptr, L"内层", L"提示", zv::MB_ICONEXCLAMATION);
  });
  int outer = zv::ShowMessageBox(nullptr, L"外层", L"提示", zv::MB_YESNO | zv::MB_ICONQUESTION);
  EXPECT_EQ(innerResult, zv::ID_OK);
  EXPECT_EQ(outer, zv::ID_NO);
  ASSERT_EQ(snapshots.size(), 2u);
  ASSERT_EQ(snapshots[0].size(), 1u);
  EXPECT_EQ(snapshots[0][0].text, L"外层");
  EXPECT_EQ(snapshots[0][0].icon, "question");
  ASSERT_EQ(snapshots[1].size(), 2u);
  EXPECT_EQ(snapshots[1][1].text, L"内层");
  EXPECT_EQ(snapshots[1][1].caption, L"提示");
  EXPECT_EQ(snapshots[1][1].icon, "warning");
  EXPECT_EQ(service.OpenCount(), 0u);
  EXPECT_FALSE(service.AnswerInnermost());
}

TEST(MessageBox, FrameworkBoxIsCaptionedWithTheApplicationName) {
  struct App : zv::CWinApp {
    std::wstring caption;
    bool InitInstance() override {
      QTimer::singleShot(10, [this] {
        caption = zv::CMessageBoxService::Instance().OpenBoxes().at(0).caption;
        zv::CMessageBoxService::Instance().AnswerInnermost();
      });
      zv::AfxMessageBox(L"连接断开");
      return true;
    }
  } app;
  char name[] = "/opt/zelvane/ZelvanePlayer.exe";
  char arg[] = "UpdateBegin";
  char* argv[] = {name, arg, nullptr};
  EXPECT_EQ(app.Run(2, argv), 0);
  EXPECT_EQ(app.GetAppName(), L"ZelvanePlayer");
  EXPECT_EQ(app.GetArguments(), std::vector<std::wstring>{L"UpdateBegin"});
  EXPECT_EQ(app.caption, L"ZelvanePlayer");
  EXPECT_EQ(zv::AfxGetApp(), &app);
}

TEST(Shell, MissingProgramsAreReportedWithTheirCode) {
  EXPECT_EQ(zv::ShellOpen(L"/nonexistent-dir/Update.exe"), zv::SE_ERR_PNF);
  EXPECT_EQ(zv::ShellOpen(L"/tmp/zelvane-no-such-file.exe"), zv::SE_ERR_FNF);
  EXPECT_EQ(zv::ShellOpen(L""), zv::SE_ERR_FNF);
  auto history = zv::ShellOpenHistory();
  ASSERT_GE(history.size(), 2u);
  EXPECT_EQ(history[0], L"/nonexistent-dir/Update.exe");
}

TEST(Shell, ProgramsStartDetached) {
  char dir[] = "/tmp/zvshellXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  std::string script = std::string(dir) + "/Update.exe";
  std::string marker = std::string(dir) + "/ran";
  FILE* f = std::fopen(script.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fprintf(f, "#!/bin/sh\ntouch \"$1\"\n");
  std::fclose(f);
  chmod(script.c_str(), 0755);
  EXPECT_GT(zv::ShellOpen(QString::fromStdString(script).toStdWString(), QString::fromStdString(marker).toStdWString()),
            32);
  bool ran = false;
  for (int i = 0; i < 200 && !ran; ++i) {
    ran = access(marker.c_str(), F_OK) == 0;
    if (!ran) usleep(10000);
  }
  EXPECT_TRUE(ran);
  std::remove(marker.c_str());
  std::remove(script.c_str());
  rmdir(dir);
}

TEST(Tray, WithoutATrayNothingIsShownButTheBalloonIsRecorded) {
  zv::CTrayIcon tray;
  if (zv::CTrayIcon::IsAvailable()) GTEST_SKIP() << "this desktop has a tray";
  EXPECT_FALSE(tray.Create(QIcon(), L"Zelvane", nullptr));
  EXPECT_FALSE(tray.IsShown());
  EXPECT_FALSE(tray.ShowBalloon(std::wstring(300, L'x'), L"画质", 1, 10000));
  zv::TrayBalloon b = zv::CTrayIcon::LastBalloon();
  EXPECT_EQ(b.text.size(), 255u);
  EXPECT_EQ(b.title, L"画质");
  EXPECT_FALSE(b.shown);
}
