// The player's and the waiting page's figures in the automation's "state" answer, read
// over the real socket from another thread while the window thread runs.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "tests/pages_player/player_host.h"
#include "toolkit/automation_server.h"

namespace zv::test {
namespace {

QJsonObject StateOverSocket(const std::string& path) {
  QJsonObject answer;
  std::atomic<bool> done{false};
  std::thread client([&] {
    int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
      const char cmd[] = "{\"cmd\":\"state\"}\n";
      if (::write(fd, cmd, sizeof(cmd) - 1) == static_cast<ssize_t>(sizeof(cmd) - 1)) {
        QByteArray buffer;
        char chunk[4096];
        while (!buffer.contains('\n')) {
          ssize_t n = ::read(fd, chunk, sizeof(chunk));
          if (n <= 0) break;
          buffer.append(chunk, static_cast<int>(n));
        }
        answer = QJsonDocument::fromJson(buffer.left(buffer.indexOf('\n'))).object();
      }
    }
    ::close(fd);
    done = true;
  });
  PumpUntil([&] { return done.load(); }, 10000);
  client.join();
  return answer;
}

TEST(PagesAutomationState, PlayerAndWaitingFiguresAreReported) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.filePath("automation.sock").toStdString();
  ASSERT_TRUE(DuiLib::CAutomationServer::Start(QString::fromStdString(path)));
  {
    CPageHost player;
    player.Open();
    CPageHost waiting(L"WaitingPageWindow");
    waiting.Open();
    ASSERT_NE(player.player, nullptr);
    ASSERT_NE(waiting.waiting, nullptr);
    CTestPicture picture(360, 640);
    player.player->OnVideoSize(360, 640);
    player.player->OnVideoFrame(picture.Frame());
    player.Grab();
    waiting.waiting->UpdateQueue(10, 20);
    waiting.waiting->UpdateQueue(8, 16);

    QJsonObject state = StateOverSocket(path);
    ASSERT_TRUE(state.value("ok").toBool()) << QJsonDocument(state).toJson().toStdString();
    QJsonObject p = state.value("player").toObject();
    EXPECT_TRUE(p.value("frameReceived").toBool());
    EXPECT_EQ(p.value("width").toInt(), 360);
    EXPECT_EQ(p.value("height").toInt(), 640);
    EXPECT_EQ(p.value("framesShown").toInt(), 1);
    EXPECT_GT(p.value("lastFrameShownMs").toDouble(), 0.0);
    EXPECT_EQ(p.value("playerTab").toInt(), 1);
    EXPECT_EQ(p.value("adTime").toInt(), 0);
    EXPECT_EQ(p.value("adElapsed").toInt(), 0);
    EXPECT_FALSE(p.value("adPopup").toBool());
    QJsonArray frames = p.value("recentFrames").toArray();
    ASSERT_EQ(frames.size(), 1);
    EXPECT_EQ(frames[0].toObject().value("shownMs").toDouble(), p.value("lastFrameShownMs").toDouble());
    EXPECT_TRUE(frames[0].toObject().value("marker").isNull());
    QJsonObject w = state.value("waiting").toObject();
    EXPECT_EQ(w.value("count").toInt(), 8);
    EXPECT_EQ(w.value("time").toInt(), 16);
    EXPECT_EQ(w.value("progress").toInt(), 20);
    EXPECT_EQ(w.value("largest").toInt(), 10);
  }
  // Without the pages the fields are gone.
  QJsonObject after = StateOverSocket(path);
  EXPECT_FALSE(after.contains("player"));
  EXPECT_FALSE(after.contains("waiting"));
  DuiLib::CAutomationServer::Stop();
}

}  // namespace
}  // namespace zv::test
