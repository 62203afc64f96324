#include "tools/skin_palette.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

namespace zv::skin {

namespace {
const char* const kRoles[] = {"caption", "captionText", "window", "card", "inputBorder", "inputFocused", "accent",
                              "accentHot", "accentPushed", "accentDisabled", "text", "textSecondary",
                              "textOnAccent", "success", "warning", "danger", "video", "separator", "shadow"};
}

bool CPalette::Load(const QString& path, QString& error) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    error = path + ": cannot open";
    return false;
  }
  QJsonParseError pe{};
  QJsonObject o = QJsonDocument::fromJson(f.readAll(), &pe).object();
  if (pe.error != QJsonParseError::NoError) {
    error = path + ": " + pe.errorString();
    return false;
  }
  for (const char* role : kRoles) {
    QString text = o.value(role).toString();
    // #AARRGGBB and #RRGGBB are both accepted, as QColor reads them.
    QColor c = QColor::fromString(text);
    if (!c.isValid()) {
      error = path + ": role '" + role + "' is missing or not a colour";
      return false;
    }
    m_colors.insert(role, c);
  }
  m_font = o.value("font").toString("WenQuanYi Micro Hei");
  return true;
}

QColor CPalette::operator[](const char* role) const { return m_colors.value(role, QColor(Qt::magenta)); }

}  // namespace zv::skin
