// The automation interface of a whole program: started by ZELVANE_AUTOMATION, private,
// driven by a client, and its socket gone once the program has ended.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

int Connect(const QString& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.toLocal8Bit().constData());
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

QJsonObject Call(int fd, const QJsonObject& cmd) {
  QByteArray line = QJsonDocument(cmd).toJson(QJsonDocument::Compact) + '\n';
  if (::write(fd, line.constData(), static_cast<size_t>(line.size())) != line.size()) return {};
  QByteArray buffer;
  while (!buffer.contains('\n')) {
    char buf[4096];
    ssize_t n = ::read(fd, buf, sizeof(buf));
    if (n <= 0) return {};
    buffer.append(buf, static_cast<int>(n));
  }
  return QJsonDocument::fromJson(buffer.left(buffer.indexOf('\n'))).object();
}

}  // namespace

TEST(AutomationProcess, EnvironmentStartsItAndExitRemovesTheSocket) {
  QTemporaryDir dir;
  QString sock = dir.filePath("client.sock");
  QProcess viewer;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("ZELVANE_AUTOMATION", sock);
  env.insert("QT_QPA_PLATFORM", "offscreen");
  viewer.setProcessEnvironment(env);
  viewer.start(QStringLiteral(ZV_SKIN_VIEWER),
               {QString::fromLocal8Bit(qgetenv("ZELVANE_SOURCE_DIR")) + "/tests/toolkit/skin/main.xml"});
  ASSERT_TRUE(viewer.waitForStarted(30000));
  int fd = -1;
  for (int i = 0; i < 600 && fd < 0; ++i) {
    fd = Connect(sock);
    if (fd < 0) QThread::msleep(50);
  }
  ASSERT_GE(fd, 0) << "no automation socket at " << sock.toStdString();
  struct stat st{};
  ASSERT_EQ(::stat(sock.toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  QJsonObject tree = Call(fd, {{"cmd", "tree"}});
  ASSERT_TRUE(tree.value("ok").toBool());
  EXPECT_EQ(tree.value("windows").toArray().at(0).toObject().value("name").toString(), "SkinViewer");
  QJsonObject broken = Call(fd, {{"cmd", "click"}});
  EXPECT_FALSE(broken.value("ok").toBool());
  EXPECT_TRUE(broken.contains("error"));
  EXPECT_TRUE(Call(fd, {{"cmd", "click"}, {"name", "closebtn"}}).value("ok").toBool());
  ::close(fd);
  ASSERT_TRUE(viewer.waitForFinished(30000));
  EXPECT_EQ(viewer.exitCode(), 0);
  EXPECT_TRUE(viewer.readAllStandardOutput().contains("click closebtn"));
  EXPECT_NE(::stat(sock.toLocal8Bit().constData(), &st), 0);
}
