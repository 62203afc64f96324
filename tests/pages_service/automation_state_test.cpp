// The device list's "devices" field of the automation state, read over the real socket as
// the end-to-end tests and the demo read it.
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

#include "tests/pages_service/service_page_fixture.h"
#include "toolkit/automation_server.h"

namespace zv::test {
namespace {

// One command line and its answer line over the UNIX socket.
QJsonObject Call(const std::string& path, const QByteArray& line) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
  QByteArray answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
      ::write(fd, line.constData(), static_cast<size_t>(line.size())) == line.size()) {
    char buf[4096];
    while (!answer.contains('\n')) {
      const ssize_t n = ::read(fd, buf, sizeof(buf));
      if (n <= 0) break;
      answer.append(buf, static_cast<int>(n));
    }
  }
  ::close(fd);
  return QJsonDocument::fromJson(answer.left(answer.indexOf('\n'))).object();
}

using AutomationStateTest = PanelTest;

TEST_F(AutomationStateTest, DevicesFieldDescribesTilesAndDetails) {
  PadInfo vip = Pad("V-1", 2, "1", 150);
  vip.padName = "云机";
  ShowPads({Pad("N-1", 0), vip, Pad("N-2"), Pad("N-3"), Pad("N-4")});
  host->List()->SelectSlot(1);

  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.filePath("automation.sock").toStdString();
  ASSERT_TRUE(DuiLib::CAutomationServer::Start(QString::fromStdString(path)));
  std::atomic<bool> done{false};
  QJsonObject answer;
  std::thread client([&] {
    answer = Call(path, "{\"cmd\":\"state\"}\n");
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }, 30000));
  client.join();
  DuiLib::CAutomationServer::Stop();

  const QJsonObject devices = answer.value("devices").toObject();
  ASSERT_FALSE(devices.isEmpty()) << QJsonDocument(answer).toJson().toStdString();
  EXPECT_EQ(devices.value("pageIndex").toInt(), 0);
  EXPECT_EQ(devices.value("pageCount").toInt(), 2);
  EXPECT_EQ(devices.value("selected").toInt(), 1);
  EXPECT_EQ(devices.value("detailsTab").toInt(), 1);
  EXPECT_EQ(devices.value("name").toString(), QStringLiteral("云机"));
  EXPECT_EQ(devices.value("status").toString(), QStringLiteral("在线"));
  EXPECT_EQ(devices.value("controlTime").toString(), QStringLiteral("2分"));
  EXPECT_EQ(devices.value("onlineTime").toString(), QStringLiteral("30天"));
  const QJsonArray slots_ = devices.value("slots").toArray();
  ASSERT_EQ(slots_.size(), 4);
  const QJsonObject second = slots_.at(1).toObject();
  EXPECT_EQ(second.value("used").toInt(), 1);
  EXPECT_EQ(second.value("padCode").toString(), QStringLiteral("V-1"));
  EXPECT_EQ(second.value("text").toString(), QStringLiteral("设备2"));
  EXPECT_EQ(second.value("statusImage").toString(), QStringLiteral("online.png"));
  EXPECT_EQ(second.value("tooltip").toString(), QStringLiteral("双击可控制设备"));
  EXPECT_EQ(slots_.at(0).toObject().value("statusImage").toString(), QStringLiteral("offline.png"));
}

}  // namespace
}  // namespace zv::test
