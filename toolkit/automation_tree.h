// What the automation reports about windows and controls, and how it finds them.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace DuiLib {

class CControlUI;
class CWindowHost;

QJsonObject DescribeControl(CControlUI* control);
QJsonArray DescribeWindows();
// A window by its name; an empty name picks the most recently created visible top-level
// window. Null when none matches.
CWindowHost* FindAutomationWindow(const QString& name);
// The first control with the name in the given window, or in any window (newest first);
// the window that holds it is returned through host.
CControlUI* FindAutomationControl(const QString& name, const QString& window, CWindowHost** host);

}  // namespace DuiLib
