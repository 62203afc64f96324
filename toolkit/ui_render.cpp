#include "toolkit/ui_render.h"

#include <QFileInfo>
#include <QPainter>
#include <map>
#include <mutex>
#include <set>

#include "toolkit/ui_diagnostics.h"
#include "toolkit/ui_manager.h"

namespace DuiLib {

bool IntersectRect(RECT& out, const RECT& a, const RECT& b) {
  out.left = std::max(a.left, b.left);
  out.top = std::max(a.top, b.top);
  out.right = std::min(a.right, b.right);
  out.bottom = std::min(a.bottom, b.bottom);
  if (out.IsEmpty()) {
    out = RECT{};
    return false;
  }
  return true;
}

RECT UnionRect(const RECT& a, const RECT& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

bool ParseColor(const std::wstring& text, uint32_t& argb) {
  std::wstring s = text;
  if (!s.empty() && s[0] == L'#') s = s.substr(1);
  else if (s.size() > 2 && s[0] == L'0' && (s[1] == L'x' || s[1] == L'X')) s = s.substr(2);
  if (s.size() != 6 && s.size() != 8) return false;
  uint32_t v = 0;
  for (wchar_t c : s) {
    v <<= 4;
    if (c >= L'0' && c <= L'9') v |= static_cast<uint32_t>(c - L'0');
    else if (c >= L'a' && c <= L'f') v |= static_cast<uint32_t>(c - L'a' + 10);
    else if (c >= L'A' && c <= L'F') v |= static_cast<uint32_t>(c - L'A' + 10);
    else return false;
  }
  argb = s.size() == 6 ? (0xFF000000u | v) : v;
  return true;
}

QColor ToQColor(uint32_t argb) {
  return QColor((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF);
}

static bool ParseInts(const std::wstring& text, int* out, int count) {
  size_t i = 0;
  for (int n = 0; n < count; ++n) {
    while (i < text.size() && text[i] == L' ') ++i;
    bool neg = false;
    if (i < text.size() && text[i] == L'-') {
      neg = true;
      ++i;
    }
    if (i >= text.size() || text[i] < L'0' || text[i] > L'9') return false;
    long v = 0;
    while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
      v = v * 10 + (text[i] - L'0');
      if (v > 1000000) return false;
      ++i;
    }
    out[n] = static_cast<int>(neg ? -v : v);
    while (i < text.size() && text[i] == L' ') ++i;
    if (n + 1 < count) {
      if (i >= text.size()) return false;
      ++i;  // the single separator
    }
  }
  return true;
}

bool ParseRect(const std::wstring& text, RECT& rc) {
  int v[4];
  if (!ParseInts(text, v, 4)) return false;
  rc = RECT{v[0], v[1], v[2], v[3]};
  return true;
}

bool ParseSize(const std::wstring& text, SIZE& sz) {
  int v[2];
  if (!ParseInts(text, v, 2)) return false;
  sz = SIZE{v[0], v[1]};
  return true;
}

QRect ToQRect(const RECT& rc) { return QRect(rc.left, rc.top, rc.Width(), rc.Height()); }
RECT FromQRect(const QRect& rc) { return RECT{rc.left(), rc.top(), rc.left() + rc.width(), rc.top() + rc.height()}; }

QString SkinPath(const QString& folder, const std::wstring& file) {
  QString f = QString::fromStdWString(file);
  f.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (QFileInfo(f).isAbsolute() && QFileInfo::exists(f)) return f;
  while (f.startsWith(QLatin1Char('/'))) f.remove(0, 1);
  QString base = folder;
  base.replace(QLatin1Char('\\'), QLatin1Char('/'));
  if (!base.isEmpty() && !base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');
  return base + f;
}

struct CImageCache::Impl {
  std::mutex mutex;
  std::map<QString, std::shared_ptr<const QImage>> images;
  std::set<QString> failed;
};

CImageCache::CImageCache() : m_impl(std::make_unique<Impl>()) {}
CImageCache::~CImageCache() = default;

CImageCache& CImageCache::Instance() {
  static CImageCache cache;
  return cache;
}

std::shared_ptr<const QImage> CImageCache::Get(const QString& fullPath) {
  std::lock_guard<std::mutex> lock(m_impl->mutex);
  auto it = m_impl->images.find(fullPath);
  if (it != m_impl->images.end()) return it->second;
  if (m_impl->failed.count(fullPath)) return nullptr;
  QImage image(fullPath);
  if (image.isNull()) {
    m_impl->failed.insert(fullPath);
    ReportDiagnostic("skin image not found: " + fullPath.toStdString());
    return nullptr;
  }
  ++m_loads;
  auto shared = std::make_shared<const QImage>(image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
  m_impl->images.emplace(fullPath, shared);
  return shared;
}

void CImageCache::Clear() {
  std::lock_guard<std::mutex> lock(m_impl->mutex);
  m_impl->images.clear();
  m_impl->failed.clear();
}

// Reads `key='value'` pairs; a text without any '=' is a plain file name.
bool ParseImageString(const std::wstring& text, TImageDraw& out) {
  out = TImageDraw{};
  if (text.find(L'=') == std::wstring::npos) {
    out.file = text;
    return !text.empty();
  }
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && text[i] == L' ') ++i;
    size_t eq = text.find(L'=', i);
    if (eq == std::wstring::npos) break;
    std::wstring key = text.substr(i, eq - i);
    while (!key.empty() && key.back() == L' ') key.pop_back();
    size_t q = eq + 1;
    if (q >= text.size() || (text[q] != L'\'' && text[q] != L'"')) return false;
    wchar_t quote = text[q];
    size_t end = text.find(quote, q + 1);
    if (end == std::wstring::npos) return false;
    std::wstring value = text.substr(q + 1, end - q - 1);
    if (key == L"file") out.file = value;
    else if (key == L"dest") out.hasDest = ParseRect(value, out.dest);
    else if (key == L"source") out.hasSource = ParseRect(value, out.source);
    else if (key == L"corner") ParseRect(value, out.corner);
    else if (key == L"fade") out.fade = std::clamp(static_cast<int>(wcstol(value.c_str(), nullptr, 10)), 0, 255);
    i = end + 1;
  }
  return !out.file.empty();
}

static void DrawNinePatch(QPainter& p, const QImage& img, const QRect& src, const QRect& dst, const RECT& c) {
  if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
    p.drawImage(dst, img, src);
    return;
  }
  const int sx[4] = {src.left(), src.left() + c.left, src.right() + 1 - c.right, src.right() + 1};
  const int sy[4] = {src.top(), src.top() + c.top, src.bottom() + 1 - c.bottom, src.bottom() + 1};
  const int dx[4] = {dst.left(), dst.left() + c.left, dst.right() + 1 - c.right, dst.right() + 1};
  const int dy[4] = {dst.top(), dst.top() + c.top, dst.bottom() + 1 - c.bottom, dst.bottom() + 1};
  for (int r = 0; r < 3; ++r) {
    for (int k = 0; k < 3; ++k) {
      QRect s(sx[k], sy[r], sx[k + 1] - sx[k], sy[r + 1] - sy[r]);
      QRect d(dx[k], dy[r], dx[k + 1] - dx[k], dy[r + 1] - dy[r]);
      if (s.width() > 0 && s.height() > 0 && d.width() > 0 && d.height() > 0) p.drawImage(d, img, s);
    }
  }
}

bool CRenderEngine::DrawImageString(QPainter& painter, CPaintManagerUI* manager, const RECT& rcItem,
                                    const RECT& rcPaint, const std::wstring& image) {
  if (image.empty()) return false;
  TImageDraw draw;
  if (!ParseImageString(image, draw)) return false;
  QString folder = manager ? manager->GetResourceFolder() : CPaintManagerUI::GetResourcePath();
  auto img = CImageCache::Instance().Get(SkinPath(folder, draw.file));
  if (!img) return false;
  RECT dest = rcItem;
  if (draw.hasDest) {
    dest = RECT{rcItem.left + draw.dest.left, rcItem.top + draw.dest.top, rcItem.left + draw.dest.right,
                rcItem.top + draw.dest.bottom};
    dest.right = std::min(dest.right, rcItem.right);
    dest.bottom = std::min(dest.bottom, rcItem.bottom);
  }
  RECT clip;
  if (!IntersectRect(clip, dest, rcPaint)) return true;
  QRect src = draw.hasSource ? ToQRect(draw.source).intersected(img->rect()) : img->rect();
  painter.save();
  painter.setClipRect(ToQRect(clip), Qt::IntersectClip);
  painter.setOpacity(painter.opacity() * draw.fade / 255.0);
  DrawNinePatch(painter, *img, src, ToQRect(dest), draw.corner);
  painter.restore();
  return true;
}

void CRenderEngine::DrawColor(QPainter& painter, const RECT& rc, uint32_t argb, int round) {
  if ((argb >> 24) == 0 || rc.IsEmpty()) return;
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(ToQColor(argb));
  if (round > 0) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRoundedRect(ToQRect(rc), round, round);
  } else {
    painter.fillRect(ToQRect(rc), ToQColor(argb));
  }
  painter.restore();
}

void CRenderEngine::DrawBorder(QPainter& painter, const RECT& rc, int size, uint32_t argb, int round) {
  if (size <= 0 || (argb >> 24) == 0 || rc.IsEmpty()) return;
  painter.save();
  QPen pen(ToQColor(argb));
  pen.setWidth(size);
  pen.setJoinStyle(Qt::MiterJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  QRectF r(rc.left + size / 2.0, rc.top + size / 2.0, rc.Width() - size, rc.Height() - size);
  if (round > 0) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.drawRoundedRect(r, round, round);
  } else {
    painter.drawRect(r);
  }
  painter.restore();
}

void CRenderEngine::DrawText(QPainter& painter, const RECT& rc, const std::wstring& text, uint32_t argb,
                             const QFont& font, UINT style) {
  if (text.empty() || rc.IsEmpty()) return;
  int flags = 0;
  flags |= (style & DT_CENTER) ? Qt::AlignHCenter : (style & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
  flags |= (style & DT_VCENTER) ? Qt::AlignVCenter : (style & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
  if (style & DT_WORDBREAK) flags |= Qt::TextWordWrap;
  painter.save();
  painter.setFont(font);
  painter.setPen(ToQColor(argb));
  QString s = QString::fromStdWString(text);
  if ((style & DT_END_ELLIPSIS) && !(style & DT_WORDBREAK))
    s = painter.fontMetrics().elidedText(s, Qt::ElideRight, rc.Width());
  painter.drawText(ToQRect(rc), flags, s);
  painter.restore();
}

}  // namespace DuiLib
