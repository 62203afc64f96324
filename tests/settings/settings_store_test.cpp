// The remembered values through the real settings store (QSettings, native format) in a
// private configuration folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <atomic>
#include <clocale>
#include <cstdlib>
#include <memory>

#include "api/app_context.h"
#include "api/settings.h"
#include "platform/qt_settings_backend.h"

namespace zv {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new QTemporaryDir();
    ASSERT_TRUE(s_dir->isValid());
    // QSettings reads the folder once per process, before its first use.
    setenv("XDG_CONFIG_HOME", QFile::encodeName(s_dir->path()).constData(), 1);
    std::setlocale(LC_ALL, "C.UTF-8");
  }
  static void TearDownTestSuite() {
    delete s_dir;
    s_dir = nullptr;
  }

  // Every test gets a store of its own, as on a first start.
  void SetUp() override {
    static std::atomic<int> counter{0};
    m_org = QStringLiteral("ZelvaneStoreTest%1").arg(++counter);
    m_backend = std::make_unique<CQtSettingsBackend>(m_org, QStringLiteral("ZelvanePlayer"));
    CSettings::SetBackend(m_backend.get());
  }
  void TearDown() override { CSettings::SetBackend(nullptr); }

  // What another run of the program would see.
  CAppContext& Reload() {
    CAppContext& ctx = CAppContext::Instance();
    CSettings::LoadSettings(ctx);
    return ctx;
  }

  static QTemporaryDir* s_dir;
  QString m_org;
  std::unique_ptr<CQtSettingsBackend> m_backend;
};

QTemporaryDir* SettingsStoreTest::s_dir = nullptr;

TEST_F(SettingsStoreTest, FirstStartGivesTheDefaults) {
  CAppContext& ctx = Reload();
  EXPECT_EQ(ctx.userName, "");
  EXPECT_EQ(ctx.passwordDigest, "");
  EXPECT_FALSE(ctx.autoLogin);
  EXPECT_FALSE(ctx.savePassword);
  EXPECT_EQ(ctx.qualityLevel.load(), 2);
  EXPECT_EQ(ctx.autoQuality.load(), 0);
}

TEST_F(SettingsStoreTest, RememberPasswordOffErasesTheRememberedDigest) {
  CAppContext& ctx = CAppContext::Instance();
  ctx.userName = "老用户";
  ctx.passwordDigest = "0123456789abcdef0123456789abcdef";
  ctx.savePassword = true;
  ctx.autoLogin = true;
  CSettings::SaveLoginSettings(ctx);
  EXPECT_EQ(Reload().passwordDigest, "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(Reload().userName, "老用户");

  ctx.userName = "newuser";
  ctx.savePassword = false;
  ctx.autoLogin = false;
  CSettings::SaveLoginSettings(ctx);
  CAppContext& again = Reload();
  EXPECT_EQ(again.passwordDigest, "");
  EXPECT_EQ(again.userName, "newuser");
  EXPECT_FALSE(again.savePassword);
  EXPECT_FALSE(again.autoLogin);
}

TEST_F(SettingsStoreTest, StoredNumbersAreReadAsTheRulesSay) {
  m_backend->WriteInt(L"ZelvanePlayer", L"VideoSpeedMode", 7);
  m_backend->WriteInt(L"ZelvanePlayer", L"AutoLogin", 5);
  CAppContext& ctx = Reload();
  EXPECT_EQ(ctx.qualityLevel.load(), 7);
  EXPECT_TRUE(ctx.autoLogin);
  // Written back as 1 at the next successful login.
  CSettings::SaveLoginSettings(ctx);
  EXPECT_EQ(m_backend->ReadInt(L"ZelvanePlayer", L"AutoLogin", -1), 1);
}

TEST_F(SettingsStoreTest, QualityChoiceIsRemembered) {
  CAppContext& ctx = CAppContext::Instance();
  ctx.qualityLevel = 0;
  ctx.autoQuality = 1;
  CSettings::SaveQualitySettings(ctx);
  ctx.qualityLevel = 3;
  ctx.autoQuality = 0;
  CAppContext& again = Reload();
  EXPECT_EQ(again.qualityLevel.load(), 0);
  EXPECT_EQ(again.autoQuality.load(), 1);
}

TEST_F(SettingsStoreTest, FilesAreTheOwnersAloneAndHoldTheVersion) {
  CAppContext& ctx = CAppContext::Instance();
  ctx.userName = "demo";
  CSettings::SaveLoginSettings(ctx);
  ASSERT_TRUE(CSettings::WriteVersionKey());
  for (const QString& path : {m_backend->ProfileFile(), m_backend->VersionFile()}) {
    struct stat st {};
    ASSERT_EQ(stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    EXPECT_EQ(st.st_mode & 0777, 0600u) << path.toStdString();
    EXPECT_TRUE(path.startsWith(s_dir->path()));
  }
  struct stat folder {};
  ASSERT_EQ(stat(QFile::encodeName(s_dir->path() + "/" + m_org).constData(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
  QSettings version(m_backend->VersionFile(), QSettings::IniFormat);
  EXPECT_EQ(version.value("Version").toString(), QStringLiteral("1.2.3"));
}

TEST_F(SettingsStoreTest, ProductionLocationIsTheProgramsProfileKey) {
  CQtSettingsBackend backend(QStringLiteral("ZelvanePlayer"), QStringLiteral("ZelvanePlayer"));
  EXPECT_EQ(backend.ProfileFile(), s_dir->path() + "/ZelvanePlayer/ZelvanePlayer.conf");
  EXPECT_EQ(backend.VersionFile(), s_dir->path() + "/ZelvanePlayer.conf");
}

}  // namespace
}  // namespace zv
