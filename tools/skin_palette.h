// The skin's palette, read from one JSON file: every colour an image uses comes from here.
#pragma once

#include <QColor>
#include <QMap>
#include <QString>

namespace zv::skin {

class CPalette {
 public:
  // False (with the reason) when the file is unreadable or a role is missing or invalid.
  bool Load(const QString& path, QString& error);
  QColor operator[](const char* role) const;
  QString Font() const { return m_font; }

 private:
  QMap<QString, QColor> m_colors;
  QString m_font;
};

}  // namespace zv::skin
