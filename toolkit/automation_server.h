// The automation interface: when ZELVANE_AUTOMATION names a path, a UNIX stream socket
// there (mode 0600, removed at exit) takes one JSON command per line and answers one JSON
// object per line. Input is delivered as real mouse and key events through the windows'
// normal input path; tests and demos drive the client only through it and the screen.
#pragma once

#include <QJsonValue>
#include <QString>
#include <functional>
#include <string>

namespace DuiLib {

class CAutomationServer {
 public:
  using StateProvider = std::function<QJsonValue()>;

  // Starts once, on the window thread, when the environment asks for it.
  static bool StartFromEnvironment();
  static bool Start(const QString& path);
  static void Stop();
  static bool IsRunning();
  // Adds a field to the answer of {"cmd":"state"}; a later registration replaces it.
  static void RegisterStateField(const std::string& key, StateProvider provider);
  static void UnregisterStateField(const std::string& key);
};

}  // namespace DuiLib
