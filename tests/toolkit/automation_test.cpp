// The automation socket end to end: a window built from the sample skin is driven by
// JSON lines from another thread, as a test driver or the demo would.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>
#include <atomic>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

#include "platform/message_box.h"
#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/automation_server.h"
#include "toolkit/ui_edit.h"

using namespace DuiLib;
using zvtest::CTestWindow;

namespace {

// A blocking line client over the UNIX socket, used from a worker thread.
class LineClient {
 public:
  explicit LineClient(const std::string& path) {
    m_fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
    m_ok = ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0;
  }
  ~LineClient() {
    if (m_fd >= 0) ::close(m_fd);
  }
  bool Connected() const { return m_ok; }
  QJsonObject Call(const QJsonObject& cmd) {
    QByteArray line = QJsonDocument(cmd).toJson(QJsonDocument::Compact) + '\n';
    if (::write(m_fd, line.constData(), static_cast<size_t>(line.size())) != line.size()) return {};
    for (;;) {
      int nl = m_buffer.indexOf('\n');
      if (nl >= 0) {
        QByteArray answer = m_buffer.left(nl);
        m_buffer.remove(0, nl + 1);
        return QJsonDocument::fromJson(answer).object();
      }
      char buf[4096];
      ssize_t n = ::read(m_fd, buf, sizeof(buf));
      if (n <= 0) return {};
      m_buffer.append(buf, static_cast<int>(n));
    }
  }

 private:
  int m_fd = -1;
  bool m_ok = false;
  QByteArray m_buffer;
};

QJsonObject FindInTree(const QJsonValue& node, const QString& name) {
  QJsonObject o = node.toObject();
  if (o.value("name").toString() == name) return o;
  for (const QJsonValue& c : o.value("children").toArray()) {
    QJsonObject f = FindInTree(c, name);
    if (!f.isEmpty()) return f;
  }
  return {};
}

class AutomationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_dir.isValid());
    m_path = m_dir.filePath("automation.sock");
    ASSERT_TRUE(CAutomationServer::Start(m_path));
  }
  void TearDown() override {
    CAutomationServer::Stop();
    CAutomationServer::UnregisterStateField("notes");
  }
  // Runs the script on a worker while the window thread keeps its loop going.
  void Drive(const std::function<void(LineClient&)>& script) {
    std::atomic<bool> done{false};
    std::thread t([&] {
      LineClient client(m_path.toStdString());
      EXPECT_TRUE(client.Connected());
      if (client.Connected()) script(client);
      done = true;
    });
    EXPECT_TRUE(zvtest::PumpUntil([&] { return done.load(); }, 60000));
    t.join();
  }
  QTemporaryDir m_dir;
  QString m_path;
};

}  // namespace

TEST_F(AutomationTest, SocketIsPrivateAndRemovedWhenStopped) {
  struct stat st{};
  ASSERT_EQ(::stat(m_path.toLocal8Bit().constData(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  CAutomationServer::Stop();
  EXPECT_NE(::stat(m_path.toLocal8Bit().constData(), &st), 0);
}

TEST_F(AutomationTest, DrivesATestWindowEndToEnd) {
  CTestWindow w;
  w.onNotify = [&](TNotifyUI& msg) {
    if (msg.sType == L"click" && msg.pSender->GetName() == L"Button_Box")
      zv::ShowMessageBox(w.GetHWND(), L"已发送", L"提示", zv::MB_ICONINFORMATION);
  };
  CAutomationServer::RegisterStateField("notes", [&] {
    QJsonArray a;
    for (const auto& n : w.notes) a.append(QString::fromStdString(n));
    return QJsonValue(a);
  });
  w.Open();
  QString shot = m_dir.filePath("shot.png");
  Drive([&](LineClient& c) {
    QJsonObject tree = c.Call({{"cmd", "tree"}});
    ASSERT_TRUE(tree.value("ok").toBool());
    QJsonArray windows = tree.value("windows").toArray();
    ASSERT_FALSE(windows.isEmpty());
    QJsonObject hello = FindInTree(windows.last().toObject().value("root"), "Button_Hello");
    EXPECT_EQ(hello.value("text").toString(), "Hello");
    EXPECT_EQ(hello.value("rect").toArray(), (QJsonArray{10, 40, 120, 32}));
    EXPECT_TRUE(hello.value("visible").toBool());
    EXPECT_EQ(FindInTree(windows.last().toObject().value("root"), "switch_Main").value("tab").toInt(), 0);
    EXPECT_TRUE(FindInTree(windows.last().toObject().value("root"), "Option_A").value("selected").toBool());
    EXPECT_EQ(FindInTree(windows.last().toObject().value("root"), "Progress_Test").value("value").toInt(), 50);

    EXPECT_TRUE(c.Call({{"cmd", "click"}, {"name", "Button_Hello"}}).value("ok").toBool());
    QJsonArray notes = c.Call({{"cmd", "state"}}).value("notes").toArray();
    EXPECT_TRUE(notes.contains(QJsonValue("Button_Hello:click")));

    QJsonObject missing = c.Call({{"cmd", "click"}, {"name", "Button_Nowhere"}});
    EXPECT_FALSE(missing.value("ok").toBool());
    EXPECT_FALSE(missing.value("error").toString().isEmpty());
    QJsonObject hidden = c.Call({{"cmd", "click"}, {"name", "List_Test"}});
    EXPECT_FALSE(hidden.value("ok").toBool());
    EXPECT_TRUE(hidden.value("error").toString().contains("not visible"));

    EXPECT_TRUE(c.Call({{"cmd", "type"}, {"name", "Edit_Name"}, {"text", "张三abc"}}).value("ok").toBool());
    EXPECT_TRUE(c.Call({{"cmd", "key"}, {"key", "Return"}}).value("ok").toBool());
    QJsonObject edit = FindInTree(c.Call({{"cmd", "tree"}}).value("windows").toArray().last().toObject().value("root"),
                                  "Edit_Name");
    EXPECT_EQ(edit.value("text").toString(), QString::fromUtf8("张三abc"));
    notes = c.Call({{"cmd", "state"}}).value("notes").toArray();
    EXPECT_TRUE(notes.contains(QJsonValue("Edit_Name:setfocus")));
    EXPECT_TRUE(notes.contains(QJsonValue("Edit_Name:textchanged")));
    EXPECT_TRUE(notes.contains(QJsonValue("Edit_Name:return")));

    // A click that opens a box answers at once; the box is then listed and answered.
    EXPECT_TRUE(c.Call({{"cmd", "click"}, {"name", "Button_Box"}}).value("ok").toBool());
    QJsonArray boxes = c.Call({{"cmd", "boxes"}}).value("boxes").toArray();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].toObject().value("caption").toString(), QString::fromUtf8("提示"));
    EXPECT_EQ(boxes[0].toObject().value("text").toString(), QString::fromUtf8("已发送"));
    EXPECT_EQ(boxes[0].toObject().value("icon").toString(), "information");
    EXPECT_TRUE(c.Call({{"cmd", "answer"}}).value("ok").toBool());
    EXPECT_TRUE(c.Call({{"cmd", "wait"}, {"ms", 50}}).value("ok").toBool());
    EXPECT_TRUE(c.Call({{"cmd", "boxes"}}).value("boxes").toArray().isEmpty());
    EXPECT_FALSE(c.Call({{"cmd", "answer"}}).value("ok").toBool());

    // Raw input at client coordinates and a double click.
    EXPECT_TRUE(c.Call({{"cmd", "mouse"}, {"window", "TestWindow"}, {"x", 100}, {"y", 128}, {"action", "down"}})
                    .value("ok")
                    .toBool());
    EXPECT_TRUE(c.Call({{"cmd", "mouse"}, {"window", "TestWindow"}, {"x", 100}, {"y", 128}, {"action", "up"}})
                    .value("ok")
                    .toBool());
    EXPECT_TRUE(c.Call({{"cmd", "dbclick"}, {"name", "Button_Hello"}}).value("ok").toBool());
    notes = c.Call({{"cmd", "state"}}).value("notes").toArray();
    EXPECT_TRUE(notes.contains(QJsonValue("Option_B:selectchanged")));
    EXPECT_TRUE(notes.contains(QJsonValue("Button_Hello:dbclick")));

    QJsonObject s = c.Call({{"cmd", "screenshot"}, {"path", shot}});
    EXPECT_TRUE(s.value("ok").toBool());
    EXPECT_EQ(s.value("width").toInt(), 400);
    EXPECT_FALSE(c.Call({{"cmd", "bogus"}}).value("ok").toBool());
  });
  QImage image(shot);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.pixelColor(5, 5), QColor(0x1E, 0x22, 0x30));
}
