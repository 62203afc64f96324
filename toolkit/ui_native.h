// Controls backed by a native Qt widget (edits, rich text, web view) share this: the
// widget lives on the window, follows the control's place, visibility and enabled state,
// and reports focus and clicks back to the paint manager.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "toolkit/ui_control.h"

namespace DuiLib {

class CNativeBridge : public QObject {
 public:
  std::function<void()> onFocusIn;
  std::function<void(QPoint windowPoint, bool doubleClick)> onClick;
  std::function<bool(int key)> onKey;  // answers true when the key was consumed

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// Places `widget` over `rc` (inset by `pad`) of the control and shows it when the control
// is effectively visible.
void SyncNativeWidget(QWidget* widget, const CControlUI& control, const RECT& pad);

}  // namespace DuiLib
