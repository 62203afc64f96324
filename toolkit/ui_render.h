// Drawing helpers shared by every control: colours, fonts, skin images and the image
// description strings of the skins ("file='a.png' dest='0,0,10,10' corner='4,4,4,4'").
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>
#include <memory>

#include "toolkit/ui_base.h"

class QPainter;

namespace DuiLib {

class CPaintManagerUI;

// Colours are written in the skins as #AARRGGBB, #RRGGBB or 0xAARRGGBB.
bool ParseColor(const std::wstring& text, uint32_t& argb);
QColor ToQColor(uint32_t argb);
// Four integers separated by single non-digit characters ("1,2,3,4").
bool ParseRect(const std::wstring& text, RECT& rc);
bool ParseSize(const std::wstring& text, SIZE& sz);
QRect ToQRect(const RECT& rc);
RECT FromQRect(const QRect& rc);

// The skins' paths use backslashes and often a leading one; both map onto the folder.
QString SkinPath(const QString& folder, const std::wstring& file);

// Every skin image is read from disk once and shared from then on.
class CImageCache {
 public:
  static CImageCache& Instance();
  // Null image when the file cannot be read; the failure is reported once per path.
  std::shared_ptr<const QImage> Get(const QString& fullPath);
  size_t LoadCount() const { return m_loads; }
  void Clear();

 private:
  struct Impl;
  CImageCache();
  ~CImageCache();
  std::unique_ptr<Impl> m_impl;
  size_t m_loads = 0;
};

struct TImageDraw {
  std::wstring file;
  RECT dest{};       // relative to the control; empty means the whole control
  bool hasDest = false;
  RECT source{};     // part of the image; empty means all of it
  bool hasSource = false;
  RECT corner{};     // nine-patch borders kept unscaled
  int fade = 255;
};

bool ParseImageString(const std::wstring& text, TImageDraw& out);

class CRenderEngine {
 public:
  // Draws the image that `image` describes into rcItem (window client coordinates).
  // Answers false when the image could not be loaded.
  static bool DrawImageString(QPainter& painter, CPaintManagerUI* manager, const RECT& rcItem,
                              const RECT& rcPaint, const std::wstring& image);
  static void DrawColor(QPainter& painter, const RECT& rc, uint32_t argb, int round = 0);
  static void DrawBorder(QPainter& painter, const RECT& rc, int size, uint32_t argb, int round = 0);
  static void DrawText(QPainter& painter, const RECT& rc, const std::wstring& text, uint32_t argb,
                       const QFont& font, UINT style);
};

}  // namespace DuiLib
