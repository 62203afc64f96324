#include "toolkit/automation_server.h"

#include <QCoreApplication>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMouseEvent>
#include <QPointer>
#include <QTextBrowser>
#include <QTimer>
#include <map>
#include <sys/stat.h>

#include "platform/message_box.h"
#include "platform/shell_open.h"
#include "platform/tray_icon.h"
#include "toolkit/automation_tree.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_rich_edit.h"
#include "toolkit/ui_window_host.h"

namespace DuiLib {

namespace {

QJsonObject Ok() { return QJsonObject{{"ok", true}}; }
QJsonObject Fail(const QString& error) { return QJsonObject{{"ok", false}, {"error", error}}; }

std::map<std::string, CAutomationServer::StateProvider>& StateFields() {
  static std::map<std::string, CAutomationServer::StateProvider> fields;
  return fields;
}

// The widget that really receives input at a point of the window: a native child (an
// edit, a rich text view) or the window itself.
QWidget* WidgetAt(CWindowHost* host, QPoint p, QPoint& local) {
  QWidget* w = host->childAt(p);
  if (!w) w = host;
  local = w->mapFrom(host, p);
  return w;
}

void PostMouse(QWidget* w, QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QPointF global = w->mapToGlobal(QPointF(local));
  QCoreApplication::postEvent(w, new QMouseEvent(type, QPointF(local), global, button, buttons, Qt::NoModifier));
}

void PostKey(QWidget* w, int key, const QString& text) {
  QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
  QCoreApplication::postEvent(w, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
}

class CConnection : public QObject {
 public:
  explicit CConnection(QLocalSocket* socket) : m_socket(socket) {
    socket->setParent(this);
    connect(socket, &QLocalSocket::readyRead, this, [this] { OnReadyRead(); });
    connect(socket, &QLocalSocket::disconnected, this, [this] { deleteLater(); });
  }

 private:
  void OnReadyRead() {
    m_buffer += m_socket->readAll();
    if (m_buffer.size() > (1 << 20)) {
      Reply(Fail("command too long"));
      m_buffer.clear();
    }
    ProcessNext();
  }

  void ProcessNext() {
    while (!m_busy) {
      int nl = m_buffer.indexOf('\n');
      if (nl < 0) return;
      QByteArray line = m_buffer.left(nl).trimmed();
      m_buffer.remove(0, nl + 1);
      if (line.isEmpty()) continue;
      QJsonParseError err{};
      QJsonDocument doc = QJsonDocument::fromJson(line, &err);
      if (err.error != QJsonParseError::NoError || !doc.isObject()) {
        Reply(Fail("not a JSON object: " + err.errorString()));
        continue;
      }
      Execute(doc.object());
    }
  }

  void Reply(const QJsonObject& answer) {
    if (m_socket && m_socket->state() == QLocalSocket::ConnectedState) {
      m_socket->write(QJsonDocument(answer).toJson(QJsonDocument::Compact) + '\n');
      m_socket->flush();
    }
  }

  // Answers once every event queued before has been handled (or a nested loop runs).
  void ReplyAfterQueue(QJsonObject answer) {
    m_busy = true;
    QPointer<CConnection> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, answer] {
          if (!self) return;
          self->m_busy = false;
          self->Reply(answer);
          self->ProcessNext();
        },
        Qt::QueuedConnection);
  }

  void Execute(const QJsonObject& cmd) {
    const QString name = cmd.value("cmd").toString();
    if (name == "tree") Reply(QJsonObject{{"ok", true}, {"windows", DescribeWindows()}});
    else if (name == "click" || name == "dbclick" || name == "rclick") Click(cmd, name);
    else if (name == "mouse") Mouse(cmd);
    else if (name == "type") Type(cmd);
    else if (name == "key") Key(cmd);
    else if (name == "boxes") Boxes();
    else if (name == "answer") Answer(cmd);
    else if (name == "screenshot") Screenshot(cmd);
    else if (name == "state") State();
    else if (name == "wait") Wait(cmd);
    else Reply(Fail("unknown command '" + name + "'"));
  }

  void Click(const QJsonObject& cmd, const QString& kind) {
    QString control = cmd.value("name").toString();
    if (control.isEmpty()) return Reply(Fail(kind + " needs a control name"));
    CWindowHost* host = nullptr;
    CControlUI* c = FindAutomationControl(control, cmd.value("window").toString(), &host);
    if (!c || !host) return Reply(Fail("no control named '" + control + "'"));
    if (!c->IsEffectivelyVisible() || !host->isVisible() || c->GetPos().IsEmpty())
      return Reply(Fail("control '" + control + "' is not visible"));
    const RECT& r = c->GetPos();
    QPoint centre((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    QPoint local;
    QWidget* w = WidgetAt(host, centre, local);
    PostMouse(w, QEvent::MouseMove, local, Qt::NoButton, Qt::NoButton);
    Qt::MouseButton button = kind == "rclick" ? Qt::RightButton : Qt::LeftButton;
    PostMouse(w, QEvent::MouseButtonPress, local, button, button);
    PostMouse(w, QEvent::MouseButtonRelease, local, button, Qt::NoButton);
    if (kind == "dbclick") {
      PostMouse(w, QEvent::MouseButtonDblClick, local, button, button);
      PostMouse(w, QEvent::MouseButtonRelease, local, button, Qt::NoButton);
    }
    ReplyAfterQueue(QJsonObject{{"ok", true}, {"x", centre.x()}, {"y", centre.y()}});
  }

  void Mouse(const QJsonObject& cmd) {
    CWindowHost* host = FindAutomationWindow(cmd.value("window").toString());
    if (!host) return Reply(Fail("no such window"));
    QPoint p(cmd.value("x").toInt(), cmd.value("y").toInt());
    QString action = cmd.value("action").toString();
    QPoint local;
    QWidget* w = WidgetAt(host, p, local);
    if (action == "down") PostMouse(w, QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
    else if (action == "up") PostMouse(w, QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
    else if (action == "move") {
      Qt::MouseButtons held = cmd.value("held").toBool() ? Qt::LeftButton : Qt::NoButton;
      PostMouse(w, QEvent::MouseMove, local, Qt::NoButton, held);
    } else if (action == "dbl") PostMouse(w, QEvent::MouseButtonDblClick, local, Qt::LeftButton, Qt::LeftButton);
    else return Reply(Fail("unknown mouse action '" + action + "'"));
    ReplyAfterQueue(Ok());
  }

  void Type(const QJsonObject& cmd) {
    QString control = cmd.value("name").toString();
    if (control.isEmpty()) return Reply(Fail("type needs a control name"));
    CWindowHost* host = nullptr;
    CControlUI* c = FindAutomationControl(control, cmd.value("window").toString(), &host);
    if (!c) return Reply(Fail("no control named '" + control + "'"));
    if (!c->IsEffectivelyVisible()) return Reply(Fail("control '" + control + "' is not visible"));
    QWidget* target = nullptr;
    if (auto* edit = static_cast<CEditUI*>(c->GetInterface(L"Edit"))) target = edit->GetNativeEdit();
    else if (auto* rich = static_cast<CRichEditUI*>(c->GetInterface(L"RichEdit"))) target = rich->GetNativeBrowser();
    if (!target) return Reply(Fail("control '" + control + "' does not take text"));
    c->SetFocus();
    QString text = cmd.value("text").toString();
    for (QChar ch : text) PostKey(target, 0, QString(ch));
    ReplyAfterQueue(Ok());
  }

  void Key(const QJsonObject& cmd) {
    QString key = cmd.value("key").toString();
    int code = key == "Return" ? Qt::Key_Return : key == "Escape" ? Qt::Key_Escape : key == "Tab" ? Qt::Key_Tab : 0;
    if (!code) return Reply(Fail("unknown key '" + key + "'"));
    QWidget* target = nullptr;
    if (!cmd.value("window").toString().isEmpty()) {
      target = FindAutomationWindow(cmd.value("window").toString());
      if (!target) return Reply(Fail("no such window"));
    } else {
      target = QApplication::activeModalWidget();
      if (target) target = target->focusWidget() ? target->focusWidget() : target;
      if (!target) target = QApplication::focusWidget();
      if (!target) target = FindAutomationWindow(QString());
    }
    // A window whose focused control is an edit passes the key to the edit, as typing does.
    if (auto* host = dynamic_cast<CWindowHost*>(target)) {
      if (CPaintManagerUI* pm = host->PaintManager()) {
        CControlUI* focus = pm->GetFocus();
        auto* edit = focus ? static_cast<CEditUI*>(focus->GetInterface(L"Edit")) : nullptr;
        if (edit && edit->GetNativeEdit()) target = edit->GetNativeEdit();
      }
    }
    if (!target) return Reply(Fail("no window takes keys"));
    QString text = code == Qt::Key_Return ? "\r" : code == Qt::Key_Escape ? QString(QChar(0x1B)) : "\t";
    PostKey(target, code, text);
    ReplyAfterQueue(Ok());
  }

  void Boxes() {
    QJsonArray boxes;
    for (const zv::MessageBoxInfo& b : zv::CMessageBoxService::Instance().OpenBoxes())
      boxes.append(QJsonObject{{"caption", QString::fromStdWString(b.caption)},
                               {"text", QString::fromStdWString(b.text)},
                               {"icon", QString::fromStdString(b.icon)}});
    Reply(QJsonObject{{"ok", true}, {"boxes", boxes}});
  }

  void Answer(const QJsonObject& cmd) {
    QString which = cmd.value("button").toString();
    int answer = which == "cancel" ? zv::ID_CANCEL : which == "yes" ? zv::ID_YES : which == "no" ? zv::ID_NO : zv::ID_OK;
    if (!zv::CMessageBoxService::Instance().AnswerInnermost(answer)) return Reply(Fail("no message box is open"));
    ReplyAfterQueue(Ok());
  }

  void Screenshot(const QJsonObject& cmd) {
    QString path = cmd.value("path").toString();
    if (path.isEmpty()) return Reply(Fail("screenshot needs a path"));
    CWindowHost* host = FindAutomationWindow(cmd.value("window").toString());
    if (!host) return Reply(Fail("no such window"));
    if (CPaintManagerUI* pm = host->PaintManager()) pm->UpdateLayout();
    QPixmap shot = host->grab();
    if (!shot.save(path, "PNG")) return Reply(Fail("cannot write " + path));
    Reply(QJsonObject{{"ok", true}, {"width", shot.width()}, {"height", shot.height()}});
  }

  void State() {
    QJsonObject o{{"ok", true}};
    QJsonArray opened;
    for (const std::wstring& t : zv::ShellOpenHistory()) opened.append(QString::fromStdWString(t));
    o["shellOpened"] = opened;
    zv::TrayBalloon b = zv::CTrayIcon::LastBalloon();
    o["balloon"] = QJsonObject{{"title", QString::fromStdWString(b.title)},
                               {"text", QString::fromStdWString(b.text)},
                               {"kind", b.kind},
                               {"shown", b.shown}};
    o["boxes"] = static_cast<int>(zv::CMessageBoxService::Instance().OpenCount());
    for (const auto& [key, provider] : StateFields()) o[QString::fromStdString(key)] = provider ? provider() : QJsonValue();
    Reply(o);
  }

  void Wait(const QJsonObject& cmd) {
    int ms = std::clamp(cmd.value("ms").toInt(0), 0, 60000);
    m_busy = true;
    QPointer<CConnection> self(this);
    QTimer::singleShot(ms, this, [self] {
      if (!self) return;
      self->m_busy = false;
      self->Reply(Ok());
      self->ProcessNext();
    });
  }

  QLocalSocket* m_socket;
  QByteArray m_buffer;
  bool m_busy = false;
};

QLocalServer* g_server = nullptr;
QString g_path;

}  // namespace

bool CAutomationServer::StartFromEnvironment() {
  static bool tried = false;
  if (tried || !QCoreApplication::instance()) return g_server != nullptr;
  tried = true;
  QByteArray path = qgetenv("ZELVANE_AUTOMATION");
  if (path.isEmpty()) return false;
  return Start(QString::fromLocal8Bit(path));
}

bool CAutomationServer::Start(const QString& path) {
  if (g_server || !QCoreApplication::instance()) return false;
  QLocalServer::removeServer(path);
  auto* server = new QLocalServer;
  // The socket is created private: nobody else may even connect between bind and chmod.
  mode_t oldMask = ::umask(0177);
  bool listening = server->listen(path);
  ::umask(oldMask);
  if (!listening) {
    qWarning("automation: cannot listen on %s: %s", qPrintable(path), qPrintable(server->errorString()));
    delete server;
    return false;
  }
  ::chmod(QFile::encodeName(path).constData(), 0600);
  QObject::connect(server, &QLocalServer::newConnection, server, [server] {
    while (QLocalSocket* s = server->nextPendingConnection()) new CConnection(s);
  });
  g_server = server;
  g_path = path;
  static bool routineAdded = false;
  if (!routineAdded) {
    routineAdded = true;
    qAddPostRoutine([] { CAutomationServer::Stop(); });
  }
  return true;
}

void CAutomationServer::Stop() {
  if (!g_server) return;
  g_server->close();
  delete g_server;
  g_server = nullptr;
  QFile::remove(g_path);
}

bool CAutomationServer::IsRunning() { return g_server != nullptr; }

void CAutomationServer::RegisterStateField(const std::string& key, StateProvider provider) {
  StateFields()[key] = std::move(provider);
}

void CAutomationServer::UnregisterStateField(const std::string& key) { StateFields().erase(key); }

}  // namespace DuiLib
