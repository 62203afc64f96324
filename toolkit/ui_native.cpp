#include "toolkit/ui_native.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "toolkit/ui_manager.h"

namespace DuiLib {

bool CNativeBridge::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::FocusIn:
      if (onFocusIn) onFocusIn();
      break;
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(event);
      auto* w = qobject_cast<QWidget*>(watched);
      if (onClick && w && me->button() == Qt::LeftButton) {
        // The point is wanted in the toolkit window's client coordinates.
        QWidget* host = w;
        while (host && !host->property("zvHost").toBool()) host = host->parentWidget();
        QPoint p = host ? w->mapTo(host, me->position().toPoint()) : me->position().toPoint();
        onClick(p, event->type() == QEvent::MouseButtonDblClick);
      }
      break;
    }
    case QEvent::KeyPress:
      if (onKey && onKey(static_cast<QKeyEvent*>(event)->key())) return true;
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

void SyncNativeWidget(QWidget* widget, const CControlUI& control, const RECT& pad) {
  if (!widget) return;
  const RECT& rc = control.GetPos();
  QRect r(rc.left + pad.left, rc.top + pad.top, rc.Width() - pad.left - pad.right, rc.Height() - pad.top - pad.bottom);
  bool show = control.IsEffectivelyVisible() && r.width() > 0 && r.height() > 0;
  if (widget->geometry() != r) widget->setGeometry(r);
  widget->setEnabled(control.IsEnabled());
  if (show != widget->isVisible()) widget->setVisible(show);
}

}  // namespace DuiLib
