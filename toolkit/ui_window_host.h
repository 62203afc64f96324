// The Qt widget behind each toolkit window: it turns Qt's input, paint, move, size, close
// and timer events into the window's messages.
#pragma once

#include <QEvent>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <memory>
#include <vector>

#include "toolkit/ui_base.h"

namespace DuiLib {

class CWindowWnd;
class CPaintManagerUI;

class CWindowHost : public QWidget {
 public:
  CWindowHost(CWindowWnd* window, QWidget* parent, Qt::WindowFlags flags);
  ~CWindowHost() override;

  CWindowWnd* Window() const { return m_window; }
  void DetachWindow() { m_window = nullptr; }
  void SetPaintManager(CPaintManagerUI* manager) { m_manager = manager; }
  CPaintManagerUI* PaintManager() const { return m_manager; }
  void SetLayeredPicture(const QImage& picture);
  // Every window that exists, in creation order (for the automation and handle checks).
  static std::vector<CWindowHost*> All();
  static bool IsLive(CWindowHost* host);
  // Drops the handle from the live set once its window is destroyed; the widget itself
  // is deleted later by Qt.
  void MarkDestroyed();

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void timerEvent(QTimerEvent* e) override;

 private:
  LRESULT Raw(UINT msg, WPARAM wParam, LPARAM lParam);
  CWindowWnd* m_window;
  QImage m_layered;
  CPaintManagerUI* m_manager = nullptr;
  bool m_dragging = false;
  QPoint m_dragStart;
  QPoint m_dragOrigin;
};

// A message carried through Qt's event queue; a sent message signals its waiter when it
// has been handled or dropped with its window.
class CMessageEvent : public QEvent {
 public:
  struct Waiter;
  static QEvent::Type EventType();
  CMessageEvent(UINT msg, WPARAM wParam, LPARAM lParam, std::shared_ptr<Waiter> waiter);
  ~CMessageEvent() override;
  void Deliver(CWindowWnd* window);

 private:
  UINT m_msg;
  WPARAM m_wParam;
  LPARAM m_lParam;
  std::shared_ptr<Waiter> m_waiter;
  LRESULT m_result = 0;
};

}  // namespace DuiLib
