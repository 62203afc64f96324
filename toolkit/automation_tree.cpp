#include "toolkit/automation_tree.h"

#include "toolkit/ui_button.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_list.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_progress.h"
#include "toolkit/ui_window.h"
#include "toolkit/ui_window_host.h"

namespace DuiLib {

static QJsonArray RectArray(int x, int y, int w, int h) { return QJsonArray{x, y, w, h}; }

static QJsonArray TextArray(const std::vector<std::wstring>& texts) {
  QJsonArray out;
  for (const auto& t : texts) out.append(QString::fromStdWString(t));
  return out;
}

QJsonObject DescribeControl(CControlUI* c) {
  QJsonObject o;
  const RECT& r = c->GetPos();
  o["name"] = QString::fromStdWString(c->GetName());
  o["class"] = QString::fromStdWString(c->GetClass());
  o["rect"] = RectArray(r.left, r.top, r.Width(), r.Height());
  o["visible"] = c->IsEffectivelyVisible();
  o["enabled"] = c->IsEnabled();
  o["text"] = QString::fromStdWString(c->GetText());
  o["bkimage"] = QString::fromStdWString(c->GetBkImage());
  o["tooltip"] = QString::fromStdWString(c->GetToolTip());
  if (auto* opt = static_cast<COptionUI*>(c->GetInterface(L"Option"))) o["selected"] = opt->IsSelected();
  if (auto* tab = static_cast<CTabLayoutUI*>(c->GetInterface(L"TabLayout"))) o["tab"] = tab->GetCurSel();
  if (auto* bar = static_cast<CProgressUI*>(c->GetInterface(L"Progress"))) o["value"] = bar->GetValue();
  if (auto* list = static_cast<CListUI*>(c->GetInterface(L"List"))) {
    o["items"] = TextArray(list->ItemTexts());
    o["cursel"] = list->GetCurSel();
    o["vscroll"] = list->IsVerticalScrollBarEnabled();
  }
  if (auto* combo = static_cast<CComboUI*>(c->GetInterface(L"Combo"))) {
    o["items"] = TextArray(combo->ItemTexts());
    o["cursel"] = combo->GetCurSel();
  } else if (c->ChildCount() > 0) {
    QJsonArray children;
    for (int i = 0; i < c->ChildCount(); ++i) children.append(DescribeControl(c->ChildAt(i)));
    o["children"] = children;
  }
  return o;
}

QJsonArray DescribeWindows() {
  QJsonArray out;
  for (CWindowHost* host : CWindowHost::All()) {
    QJsonObject w;
    CWindowWnd* wnd = host->Window();
    w["name"] = wnd ? QString::fromStdWString(wnd->GetName()) : host->objectName();
    QPoint g = host->mapToGlobal(QPoint(0, 0));
    w["rect"] = RectArray(g.x(), g.y(), host->width(), host->height());
    w["visible"] = host->isVisible();
    w["child"] = !host->isWindow();
    if (auto* parent = dynamic_cast<CWindowHost*>(host->parentWidget()))
      if (parent->Window()) w["parent"] = QString::fromStdWString(parent->Window()->GetName());
    if (CPaintManagerUI* pm = host->PaintManager()) {
      if (CControlUI* root = pm->GetRoot()) w["root"] = DescribeControl(root);
    }
    out.append(w);
  }
  return out;
}

CWindowHost* FindAutomationWindow(const QString& name) {
  std::vector<CWindowHost*> all = CWindowHost::All();
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    CWindowHost* h = *it;
    if (name.isEmpty()) {
      if (h->isWindow() && h->isVisible()) return h;
      continue;
    }
    if ((h->Window() && QString::fromStdWString(h->Window()->GetName()) == name) || h->objectName() == name) return h;
  }
  return nullptr;
}

CControlUI* FindAutomationControl(const QString& name, const QString& window, CWindowHost** host) {
  std::vector<CWindowHost*> all = CWindowHost::All();
  CControlUI* hidden = nullptr;
  CWindowHost* hiddenHost = nullptr;
  for (auto it = all.rbegin(); it != all.rend(); ++it) {
    CWindowHost* h = *it;
    if (!window.isEmpty() && !((h->Window() && QString::fromStdWString(h->Window()->GetName()) == window) ||
                               h->objectName() == window))
      continue;
    CPaintManagerUI* pm = h->PaintManager();
    if (!pm || !pm->GetRoot()) continue;
    // Prefer a visible control of that name, since hidden pages often repeat names.
    CControlUI* found = nullptr;
    std::wstring wanted = name.toStdWString();
    pm->GetRoot()->ForEach([&](CControlUI* c) {
      if (!found && c->GetName() == wanted && c->IsEffectivelyVisible() && h->isVisible()) found = c;
    });
    if (found) {
      *host = h;
      return found;
    }
    if (!hidden) {
      if (CControlUI* c = pm->FindControl(wanted)) {
        hidden = c;
        hiddenHost = h;
      }
    }
  }
  *host = hiddenHost;
  return hidden;
}

}  // namespace DuiLib
