#include "tools/skin_painters.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace zv::skin {

namespace {

using Draw = std::function<void(QPainter&, const CPalette&, const QRectF&)>;

QColor Mix(QColor a, QColor b, double t) {
  return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                          a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QColor Alpha(QColor c, double a) {
  c.setAlphaF(a);
  return c;
}

void Round(QPainter& p, const QRectF& r, double radius, const QColor& fill, const QColor& border = Qt::transparent,
           double width = 1.0, Qt::PenStyle style = Qt::SolidLine) {
  QPen pen(border, width, style);
  p.setPen(border.alpha() ? pen : QPen(Qt::NoPen));
  p.setBrush(fill.alpha() ? QBrush(fill) : QBrush(Qt::NoBrush));
  double inset = border.alpha() ? width / 2 : 0;
  p.drawRoundedRect(r.adjusted(inset, inset, -inset, -inset), radius, radius);
}

void Text(QPainter& p, const CPalette& pal, const QRectF& r, const QString& text, const QColor& c, int px,
          bool bold = false, int align = Qt::AlignCenter) {
  QFont f(pal.Font());
  f.setPixelSize(px);
  f.setBold(bold);
  p.setFont(f);
  p.setPen(c);
  p.drawText(r, align, text);
}

void Chevron(QPainter& p, const QRectF& r, bool right, const QColor& c, double width = 2.5) {
  QPointF m = r.center();
  double s = std::min(r.width(), r.height()) * 0.18;
  QPen pen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  double dx = right ? s : -s;
  QPointF pts[3] = {m + QPointF(-dx * 0.6, -s * 1.6), m + QPointF(dx * 0.9, 0), m + QPointF(-dx * 0.6, s * 1.6)};
  p.drawPolyline(pts, 3);
}

void Phone(QPainter& p, const QRectF& r, const QColor& body, const QColor& screen) {
  Round(p, r, r.width() * 0.14, body);
  QRectF s = r.adjusted(r.width() * 0.08, r.height() * 0.09, -r.width() * 0.08, -r.height() * 0.12);
  Round(p, s, 3, screen);
  p.setBrush(screen);
  p.setPen(Qt::NoPen);
  double d = r.width() * 0.12;
  p.drawEllipse(QPointF(r.center().x(), r.bottom() - r.height() * 0.06), d / 2, d / 2);
}

void Dot(QPainter& p, QPointF c, double radius, const QColor& color) {
  p.setPen(Qt::NoPen);
  p.setBrush(color);
  p.drawEllipse(c, radius, radius);
}

void Bell(QPainter& p, const QRectF& r, const QColor& c) {
  QPainterPath path;
  double x = r.left(), y = r.top(), w = r.width(), h = r.height();
  path.moveTo(x + w * 0.15, y + h * 0.75);
  path.cubicTo(x + w * 0.25, y + h * 0.6, x + w * 0.2, y + h * 0.1, x + w * 0.5, y + h * 0.1);
  path.cubicTo(x + w * 0.8, y + h * 0.1, x + w * 0.75, y + h * 0.6, x + w * 0.85, y + h * 0.75);
  path.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPath(path);
  p.drawEllipse(QPointF(x + w * 0.5, y + h * 0.85), w * 0.1, w * 0.1);
}

// A primary or flat button face, stretched by the layouts through its corners.
Draw Button(const char* fill, const char* border, bool flat) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    // Flat faces are cards tinted by their state colour; primary faces are filled with it.
    Round(p, r, 6, flat ? pal["card"] : pal[fill], border ? pal[border] : QColor(Qt::transparent), 1);
    if (flat && std::string(fill) != "card") Round(p, r.adjusted(1, 1, -1, -1), 5, Alpha(pal[fill], 0.08));
  };
}

Draw Tile(const char* accent, int state, bool empty) {
  // state: 0 normal, 1 hot, 2 selected
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    QRectF card = r.adjusted(2, 2, -2, -2);
    Round(p, card.translated(0, 2), 6, pal["shadow"]);
    QColor a = pal[accent];
    if (empty) {
      Round(p, card, 6, state == 2 ? Alpha(pal["accentDisabled"], 0.15) : pal["card"],
            state == 0 ? pal["accentDisabled"] : pal["accent"], 1.5, Qt::DashLine);
      QPointF c(card.center().x(), card.top() + 90);
      QPen pen(state == 0 ? pal["accentDisabled"] : pal["accent"], 4, Qt::SolidLine, Qt::RoundCap);
      p.setPen(pen);
      p.drawLine(c + QPointF(-18, 0), c + QPointF(18, 0));
      p.drawLine(c + QPointF(0, -18), c + QPointF(0, 18));
      return;
    }
    Round(p, card, 6, state == 2 ? Mix(pal["card"], a, 0.08) : pal["card"],
          state == 0 ? pal["inputBorder"] : a, state == 2 ? 2.5 : 1.5);
    QRectF phone(card.center().x() - 34, card.top() + 24, 68, 124);
    Phone(p, phone, state == 0 ? Mix(a, pal["text"], 0.25) : a, Mix(pal["card"], a, 0.15));
    if (std::string(accent) == "warning") Text(p, pal, QRectF(card.left(), card.top() + 6, card.width() - 10, 18), "VIP",
                                             a, 12, true, Qt::AlignRight | Qt::AlignVCenter);
  };
}

Draw Status(const char* role, const QString& text) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r, r.height() / 2, Alpha(pal[role], 0.14));
    Dot(p, QPointF(r.left() + 11, r.center().y()), 4, pal[role]);
    Text(p, pal, r.adjusted(18, 0, -4, 0), text, pal[role], 12, true);
  };
}

Draw Arrow(bool right, const char* fill, const char* glyph) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r.adjusted(1, 1, -1, -1), r.width() / 2, pal[fill], pal["inputBorder"], 1);
    Chevron(p, r, right, pal[glyph]);
  };
}

Draw Spinner(int frame) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    QPointF c = r.center();
    for (int i = 0; i < 12; ++i) {
      // The brightest spoke moves one step per frame.
      int age = (frame - i + 12) % 12;
      double a = std::max(0.15, 1.0 - age / 11.0);
      double ang = i * M_PI / 6 - M_PI / 2;
      QPointF d(std::cos(ang), std::sin(ang));
      QPen pen(Alpha(pal["accent"], a), 4, Qt::SolidLine, Qt::RoundCap);
      p.setPen(pen);
      p.drawLine(c + d * (r.width() * 0.22), c + d * (r.width() * 0.42));
    }
  };
}

Draw NoticeButton(int badge) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    Bell(p, QRectF(r.left() + 24, r.top() + 12, 20, 20), pal["captionText"]);
    if (badge > 0) {
      double radius = 3 + badge;
      Dot(p, QPointF(r.left() + 42, r.top() + 14), radius + 2, Alpha(pal["danger"], 0.25 * badge));
      Dot(p, QPointF(r.left() + 42, r.top() + 14), radius, pal["danger"]);
    }
  };
}

Draw Network(const char* role) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r, r.height() / 2, Alpha(pal["captionText"], 0.08));
    Dot(p, QPointF(r.left() + 12, r.center().y()), 5, pal[role]);
  };
}

Draw Gear(const char* role) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    QPointF c = r.center();
    QPen pen(pal[role], 3, Qt::SolidLine, Qt::RoundCap);
    p.setPen(pen);
    for (int i = 0; i < 8; ++i) {
      double ang = i * M_PI / 4;
      QPointF d(std::cos(ang), std::sin(ang));
      p.drawLine(c + d * 7, c + d * 10);
    }
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 6.5, 6.5);
    Dot(p, c, 2.5, pal[role]);
  };
}

Draw MoreDots(const char* role) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    for (int i = -1; i <= 1; ++i) Dot(p, r.center() + QPointF(i * 7, 0), 2.5, pal[role]);
  };
}

Draw Goods(const char* accent, int state) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    QColor a = pal[accent];
    Round(p, r.adjusted(1, 1, -1, -1), 6, state == 2 ? Mix(pal["card"], a, 0.12) : pal["card"],
          state == 0 ? pal["inputBorder"] : a, state == 2 ? 2 : 1.5);
    if (state == 2) {
      QPainterPath tick;
      QRectF corner(r.right() - 22, r.bottom() - 22, 20, 20);
      tick.moveTo(corner.bottomLeft() + QPointF(0, 0));
      tick.lineTo(corner.bottomRight());
      tick.lineTo(corner.topRight());
      tick.closeSubpath();
      p.setPen(Qt::NoPen);
      p.setBrush(a);
      p.drawPath(tick);
    }
  };
}

Draw PayType(const char* role, int kind) {
  return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
    QRectF icon(r.left() + 4, r.top() + 4, r.height() - 8, r.height() - 8);
    Round(p, icon, 6, pal[role]);
    QPen pen(pal["textOnAccent"], 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    QRectF in = icon.adjusted(7, 7, -7, -7);
    if (kind == 0) {  // wallet
      p.drawRoundedRect(in, 3, 3);
      p.drawLine(QPointF(in.right() - 6, in.center().y()), QPointF(in.right(), in.center().y()));
    } else if (kind == 1) {  // speech bubble
      p.drawEllipse(in.adjusted(0, 0, 0, -4));
      p.drawLine(QPointF(in.left() + 4, in.bottom() - 5), QPointF(in.left() + 2, in.bottom()));
    } else {  // card
      p.drawRoundedRect(in.adjusted(0, 3, 0, -3), 2, 2);
      p.drawLine(QPointF(in.left(), in.top() + 8), QPointF(in.right(), in.top() + 8));
    }
    for (int i = 0; i < 3; ++i)
      Round(p, QRectF(icon.right() + 10, r.top() + 10 + i * 8, 52 - i * 12, 4), 2, Alpha(pal[role], 0.35));
  };
}

void StrokeStyle(QPainter& p, const QColor& c, double w = 2) {
  p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
}

std::vector<CImageRecipe> Build() {
  std::vector<CImageRecipe> v;
  auto add = [&](const QString& path, int w, int h, Draw d) { v.push_back(CImageRecipe{path, w, h, std::move(d)}); };

  // Device tiles, 156 x 236, in the tile folder.
  const QString info = "ServicePage/right/ServiceInfo/";
  const char* states[3] = {"nochoose", "focused", "choosed"};
  const int order[3] = {0, 1, 2};
  for (int s : order) {
    add(info + "service_" + states[s] + ".png", 156, 236, Tile("accent", s, false));
    add(info + "vipdevice_" + states[s] + ".png", 156, 236, Tile("warning", s, false));
    add(info + "emptyservice_" + states[s] + ".png", 156, 236, Tile("accentDisabled", s, true));
  }
  // Status images, 64 x 20.
  add("online.png", 64, 20, Status("success", QString::fromUtf8("在线")));
  add("offline.png", 64, 20, Status("danger", QString::fromUtf8("离线")));
  add("nomoney.png", 64, 20, Status("warning", QString::fromUtf8("欠费")));
  // Page arrows, 32 x 32, where the device list names them and in the tile folder.
  for (const QString& dir : {QString(), info}) {
    add(dir + "Arrow-left.png", 32, 32, Arrow(false, "card", "text"));
    add(dir + "Arrow-left-active.png", 32, 32, Arrow(false, "accent", "textOnAccent"));
    add(dir + "Arrow-left-grey.png", 32, 32, Arrow(false, "window", "accentDisabled"));
    add(dir + "Arrow-Right.png", 32, 32, Arrow(true, "card", "text"));
    add(dir + "Arrow-Right-active.png", 32, 32, Arrow(true, "accent", "textOnAccent"));
    add(dir + "Arrow-Right-grey.png", 32, 32, Arrow(true, "window", "accentDisabled"));
  }
  // The 12-frame spinner, 48 x 48.
  for (int i = 0; i < 12; ++i) add(QString("Login_Gif/%1.png").arg(i + 1, 2, 10, QChar('0')), 48, 48, Spinner(i));
  // The notice button of the left panel (220 x 44): bell, and a badge that pulses.
  add("ShowNotice/notice_normal.png", 220, 44, NoticeButton(0));
  for (int i = 1; i <= 3; ++i) add(QString("ShowNotice/notice_flickered_%1.png").arg(i), 220, 44, NoticeButton(i));
  add("ShowNotice/icon_notread.png", 16, 16, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Dot(p, r.center(), 5, pal["danger"]);
  });
  add("ShowNotice/icon_read.png", 16, 16, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["accentDisabled"], 1.5);
    p.drawEllipse(r.center(), 4.5, 4.5);
  });
  // The network indicator behind Label_VideoSpeedShow (80 x 24; the label draws the text).
  add("VideoSpeedShow/green.png", 80, 24, Network("success"));
  add("VideoSpeedShow/yellow.png", 80, 24, Network("warning"));
  add("VideoSpeedShow/red.png", 80, 24, Network("danger"));
  add("VideoSpeedShow/VideoSettingButton.png", 32, 32, Gear("captionText"));
  add("VideoSpeedShow/VideoSettingButton_Active.png", 32, 32, Gear("accentHot"));
  add("VideoSpeedShow/VideoSettingButton_Disable.png", 32, 32, Gear("textSecondary"));
  add("morebutton.png", 32, 32, MoreDots("captionText"));
  add("morebutton_choose.png", 32, 32, MoreDots("accentHot"));
  // Apply page status icons, 24 x 24.
  const QString apply = "ServicePage/right/ApplyService/";
  add(apply + "devicestatus_green.png", 24, 24, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Dot(p, r.center(), 11, pal["success"]);
    StrokeStyle(p, pal["textOnAccent"], 2.5);
    QPointF pts[3] = {r.center() + QPointF(-5, 0), r.center() + QPointF(-1, 4), r.center() + QPointF(5, -4)};
    p.drawPolyline(pts, 3);
  });
  add(apply + "devicestatus_red.png", 24, 24, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Dot(p, r.center(), 11, pal["danger"]);
    StrokeStyle(p, pal["textOnAccent"], 2.5);
    p.drawLine(r.center() + QPointF(-4, -4), r.center() + QPointF(4, 4));
    p.drawLine(r.center() + QPointF(4, -4), r.center() + QPointF(-4, 4));
  });
  // Recharge: goods tiles 160 x 64, pay-type pictures 120 x 40.
  const QString charge = "ServicePage/right/ChargePage/";
  const char* goodsStates[3] = {"normal", "actived", "pushed"};
  for (int s = 0; s < 3; ++s) {
    add(charge + "Goods_label_" + goodsStates[s] + ".png", 160, 64, Goods("accent", s));
    add(charge + "ExpGoods_label_" + goodsStates[s] + ".png", 160, 64, Goods("warning", s));
  }
  add(charge + "Alipay_normal.png", 120, 40, PayType("accent", 0));
  add(charge + "weixin_normal.png", 120, 40, PayType("success", 1));
  add(charge + "bank_normal.png", 120, 40, PayType("warning", 2));

  // Common pieces of the layouts.
  add("common/logo.png", 24, 24, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r, 6, pal["accent"]);
    Phone(p, r.adjusted(7, 4, -7, -4), pal["textOnAccent"], pal["accent"]);
  });
  // The program icon (resource 128): the window's and the tray's.
  add("res128.png", 64, 64, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r.adjusted(2, 2, -2, -2), 14, pal["accent"]);
    Phone(p, QRectF(r.center().x() - 13, r.top() + 12, 26, 40), pal["textOnAccent"], pal["accent"]);
  });
  add("common/avatar.png", 64, 64, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Dot(p, r.center(), 32, Mix(pal["caption"], pal["captionText"], 0.15));
    Dot(p, r.center() + QPointF(0, -8), 11, pal["accentDisabled"]);
    p.setBrush(pal["accentDisabled"]);
    p.drawChord(QRectF(r.left() + 14, r.top() + 38, 36, 36), 0, 180 * 16);
  });
  add("common/coin.png", 16, 16, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Dot(p, r.center(), 7.5, pal["warning"]);
    Dot(p, r.center(), 4.5, Mix(pal["warning"], pal["card"], 0.4));
  });
  add("common/vip.png", 32, 16, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r, 4, pal["warning"]);
    Text(p, pal, r, "VIP", pal["textOnAccent"], 11, true);
  });
  add("common/phone_outline.png", 200, 360, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    QRectF body = r.adjusted(4, 4, -4, -4);
    Round(p, body, 28, Alpha(pal["textOnAccent"], 0.12), pal["textOnAccent"], 3);
    Round(p, body.adjusted(14, 34, -14, -48), 6, Alpha(pal["textOnAccent"], 0.10));
    Dot(p, QPointF(body.center().x(), body.bottom() - 24), 9, Alpha(pal["textOnAccent"], 0.5));
  });
  add("common/login_panel.png", 480, 660, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, pal["accentHot"]);
    g.setColorAt(1, pal["accentPushed"]);
    p.fillRect(r, g);
    QRectF body(r.center().x() - 100, 120, 200, 360);
    Round(p, body, 28, Alpha(pal["textOnAccent"], 0.12), pal["textOnAccent"], 3);
    Round(p, body.adjusted(14, 34, -14, -48), 6, Alpha(pal["textOnAccent"], 0.10));
    Text(p, pal, QRectF(r.left(), 510, r.width(), 40), QString::fromUtf8("云端手机，随时在手"), pal["textOnAccent"], 22, true);
  });
  struct Face {
    const char* name;
    const char* fill;
    const char* border;
    bool flat;
  };
  const Face faces[] = {{"btn_primary_normal", "accent", nullptr, false},
                        {"btn_primary_hot", "accentHot", nullptr, false},
                        {"btn_primary_pushed", "accentPushed", nullptr, false},
                        {"btn_primary_disabled", "accentDisabled", nullptr, false},
                        {"btn_flat_normal", "card", "inputBorder", true},
                        {"btn_flat_hot", "accentHot", "accentHot", true},
                        {"btn_flat_pushed", "accentPushed", "accentPushed", true},
                        {"btn_flat_disabled", "card", "separator", true}};
  for (const Face& f : faces) add(QString("common/%1.png").arg(f.name), 64, 40, Button(f.fill, f.border, f.flat));
  add("common/input_normal.png", 64, 40, Button("card", "inputBorder", true));
  add("common/input_focused.png", 64, 40, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r, 6, pal["card"], pal["inputFocused"], 1.5);
  });
  add("common/card.png", 64, 64, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r.adjusted(4, 5, -4, -1), 6, pal["shadow"]);
    Round(p, r.adjusted(4, 2, -4, -6), 6, pal["card"]);
  });
  add("common/check_normal.png", 16, 16, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r.adjusted(1, 1, -1, -1), 3, pal["card"], pal["inputBorder"], 1.5);
  });
  add("common/check_selected.png", 16, 16, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r.adjusted(1, 1, -1, -1), 3, pal["accent"]);
    StrokeStyle(p, pal["textOnAccent"], 2);
    QPointF pts[3] = {QPointF(4, 8), QPointF(7, 11), QPointF(12, 5)};
    p.drawPolyline(pts, 3);
  });
  add("common/segment_normal.png", 80, 36, Button("card", "inputBorder", true));
  add("common/segment_hot.png", 80, 36, Button("accentHot", "accentHot", true));
  add("common/segment_selected.png", 80, 36, Button("accent", nullptr, false));
  add("common/min_normal.png", 32, 32, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["captionText"], 1.5);
    p.drawLine(r.center() + QPointF(-6, 0), r.center() + QPointF(6, 0));
  });
  add("common/min_hot.png", 32, 32, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Round(p, r, 4, Alpha(pal["captionText"], 0.15));
    StrokeStyle(p, pal["captionText"], 1.5);
    p.drawLine(r.center() + QPointF(-6, 0), r.center() + QPointF(6, 0));
  });
  auto cross = [](const char* bg, const char* fg, double s) {
    return [=](QPainter& p, const CPalette& pal, const QRectF& r) {
      if (bg) Round(p, r, 4, pal[bg]);
      StrokeStyle(p, pal[fg], 1.5);
      p.drawLine(r.center() + QPointF(-s, -s), r.center() + QPointF(s, s));
      p.drawLine(r.center() + QPointF(s, -s), r.center() + QPointF(-s, s));
    };
  };
  add("common/close_normal.png", 32, 32, cross(nullptr, "captionText", 5));
  add("common/close_hot.png", 32, 32, cross("danger", "textOnAccent", 5));
  add("common/close_small.png", 20, 20, cross(nullptr, "textSecondary", 4));
  // The ring around the 960 x 700 main window: the cards' shadow (0 2 8) blurred as a
  // Gaussian of the window's rectangle; the window itself covers the middle.
  add("common/window_shadow.png", 960 + 32, 700 + 32, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    const int w = static_cast<int>(r.width()), h = static_cast<int>(r.height()), ring = 16;
    const double sigma = 4.0, dy = 2.0;
    auto cover = [sigma](double v, double lo, double hi) {
      return 0.5 * (std::erf((v - lo) / (sigma * std::sqrt(2.0))) - std::erf((v - hi) / (sigma * std::sqrt(2.0))));
    };
    QColor shadow = pal["shadow"];
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (int y = 0; y < h; ++y) {
      double cy = cover(y + 0.5, ring + dy, h - ring + dy);
      for (int x = 0; x < w; ++x) {
        if (x >= ring && x < w - ring && y >= ring && y < h - ring) continue;
        double a = shadow.alphaF() * cy * cover(x + 0.5, ring, w - ring);
        img.setPixelColor(x, y, QColor::fromRgbF(shadow.redF(), shadow.greenF(), shadow.blueF(), a));
      }
    }
    p.drawImage(r.topLeft(), img);
  });
  add("common/refresh.png", 24, 24, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["accent"], 2);
    p.drawArc(r.adjusted(5, 5, -5, -5), 60 * 16, 290 * 16);
    QPointF tip = r.center() + QPointF(3.5, -6.1);
    p.drawLine(tip, tip + QPointF(4, 1));
    p.drawLine(tip, tip + QPointF(1, 4));
  });
  add("common/update.png", 16, 16, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Dot(p, r.center(), 7.5, pal["danger"]);
    StrokeStyle(p, pal["textOnAccent"], 1.8);
    p.drawLine(r.center() + QPointF(0, 4), r.center() + QPointF(0, -4));
    p.drawLine(r.center() + QPointF(0, -4), r.center() + QPointF(-3, -1));
    p.drawLine(r.center() + QPointF(0, -4), r.center() + QPointF(3, -1));
  });
  add("common/back.png", 20, 20, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["accent"], 2);
    p.drawLine(r.center() + QPointF(6, 0), r.center() + QPointF(-6, 0));
    p.drawLine(r.center() + QPointF(-6, 0), r.center() + QPointF(-1, -5));
    p.drawLine(r.center() + QPointF(-6, 0), r.center() + QPointF(-1, 5));
  });
  add("common/left_button_hot.png", 220, 44, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    p.fillRect(r, Alpha(pal["captionText"], 0.08));
  });
  add("common/left_button_pushed.png", 220, 44, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    p.fillRect(r, Alpha(pal["accent"], 0.35));
    p.fillRect(QRectF(r.left(), r.top(), 3, r.height()), pal["accent"]);
  });
  // Left panel icons, 20 x 20, drawn in the caption text colour.
  auto leftIcon = [&](const char* name, Draw d) { add(QString("common/icon_%1.png").arg(name), 20, 20, std::move(d)); };
  leftIcon("add_service", [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Phone(p, r.adjusted(4, 1, -6, -1), pal["captionText"], pal["caption"]);
    StrokeStyle(p, pal["captionText"], 1.8);
    p.drawLine(QPointF(15, 12), QPointF(19, 12));
    p.drawLine(QPointF(17, 10), QPointF(17, 14));
  });
  leftIcon("add_money", [](QPainter& p, const CPalette& pal, const QRectF& r) {
    Dot(p, r.center(), 8, pal["captionText"]);
    Text(p, pal, r, QString::fromUtf8("¥"), pal["caption"], 12, true);
  });
  leftIcon("order_list", [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["captionText"], 1.8);
    p.drawRoundedRect(r.adjusted(3, 2, -3, -2), 2, 2);
    for (int i = 0; i < 3; ++i) p.drawLine(QPointF(7, 7 + i * 3.5), QPointF(13, 7 + i * 3.5));
  });
  leftIcon("daily_attendance", [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["captionText"], 1.8);
    p.drawRoundedRect(r.adjusted(2, 4, -2, -2), 2, 2);
    p.drawLine(QPointF(2, 8), QPointF(18, 8));
    p.drawLine(QPointF(6, 2), QPointF(6, 6));
    p.drawLine(QPointF(14, 2), QPointF(14, 6));
  });
  leftIcon("contact", [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["captionText"], 1.8);
    p.drawArc(r.adjusted(3, 3, -3, -3), 0, 180 * 16);
    p.drawRoundedRect(QRectF(2, 9, 4, 6), 1, 1);
    p.drawRoundedRect(QRectF(14, 9, 4, 6), 1, 1);
  });
  leftIcon("service_qq", [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["captionText"], 1.8);
    p.drawEllipse(r.adjusted(2, 3, -2, -5));
    p.drawLine(QPointF(6, 15), QPointF(4, 19));
  });
  leftIcon("switch_account", [](QPainter& p, const CPalette& pal, const QRectF& r) {
    StrokeStyle(p, pal["captionText"], 1.8);
    p.drawArc(r.adjusted(3, 3, -3, -3), 30 * 16, 300 * 16);
    p.drawLine(QPointF(15, 4), QPointF(15, 8));
    p.drawLine(QPointF(15, 8), QPointF(11, 8));
  });
  add("common/queue.png", 64, 64, [](QPainter& p, const CPalette& pal, const QRectF& r) {
    for (int i = 0; i < 3; ++i) {
      QColor c = i == 0 ? pal["accent"] : Alpha(pal["accent"], 0.4 - i * 0.1);
      Dot(p, QPointF(r.left() + 14 + i * 18, r.top() + 24), 7, c);
      p.setBrush(c);
      p.drawChord(QRectF(r.left() + 4 + i * 18, r.top() + 34, 20, 22), 0, 180 * 16);
    }
  });
  return v;
}

}  // namespace

std::vector<CImageRecipe> AllImages() { return Build(); }

QImage Render(const CImageRecipe& recipe, const CPalette& palette) {
  QImage img(recipe.width, recipe.height, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  recipe.draw(p, palette, QRectF(0, 0, recipe.width, recipe.height));
  p.end();
  return img;
}

}  // namespace zv::skin
