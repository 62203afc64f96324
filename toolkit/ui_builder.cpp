#include "toolkit/ui_builder.h"

#include <QFile>
#include <pugixml.hpp>

#include "toolkit/ui_activex.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_button_gif.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_diagnostics.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_label.h"
#include "toolkit/ui_list.h"
#include "toolkit/ui_manager.h"
#include "toolkit/ui_progress.h"
#include "toolkit/ui_render.h"
#include "toolkit/ui_rich_edit.h"

namespace DuiLib {

namespace {

std::wstring Wide(const char* utf8) { return QString::fromUtf8(utf8).toStdWString(); }

bool IsTrue(const pugi::xml_attribute& a) { return std::string(a.value()) == "true"; }

// Builds one skin file; kept per call so nested includes have their own line table.
class CSkinParser {
 public:
  CSkinParser(std::string fileName, QByteArray data, IDialogBuilderCallback* cb, CPaintManagerUI* pm)
      : m_file(std::move(fileName)), m_data(std::move(data)), m_callback(cb), m_manager(pm) {}

  bool Load(std::string& error) {
    pugi::xml_parse_result r = m_doc.load_buffer(m_data.constData(), static_cast<size_t>(m_data.size()),
                                                 pugi::parse_default, pugi::encoding_auto);
    if (!r) {
      error = Where(static_cast<ptrdiff_t>(r.offset)) + ": " + r.description();
      return false;
    }
    return true;
  }

  CControlUI* Build(CControlUI* parent, std::string& error) {
    pugi::xml_node root = m_doc.document_element();
    if (!root) {
      error = m_file + ": no root element";
      return nullptr;
    }
    if (std::string(root.name()) != "Window") return ParseNodes(root, root.next_sibling(), parent, true);
    ApplyWindow(root);
    for (pugi::xml_node n = root.first_child(); n; n = n.next_sibling()) {
      if (n.type() != pugi::node_element) continue;
      std::string name = n.name();
      if (name == "Font" || name == "Default" || name == "Image" || name == "Style") continue;
      CControlUI* first = ParseNodes(n, pugi::xml_node(), parent, true);
      if (first) return first;
    }
    error = m_file + ": the Window element holds no control";
    return nullptr;
  }

 private:
  std::string Where(ptrdiff_t offset) const {
    int line = 1;
    for (ptrdiff_t i = 0; i < offset && i < m_data.size(); ++i)
      if (m_data[static_cast<int>(i)] == '\n') ++line;
    return m_file + ":" + std::to_string(line);
  }

  void ApplyWindow(const pugi::xml_node& w) {
    if (!m_manager) return;
    for (pugi::xml_attribute a : w.attributes()) {
      std::string name = a.name();
      std::wstring value = Wide(a.value());
      RECT rc{};
      SIZE sz{};
      if (name == "size" && ParseSize(value, sz)) m_manager->SetInitSize(sz.cx, sz.cy);
      else if (name == "caption" && ParseRect(value, rc)) m_manager->SetCaptionRect(rc);
    }
    for (pugi::xml_node n = w.first_child(); n; n = n.next_sibling()) {
      std::string name = n.name();
      if (name == "Font") {
        m_manager->AddFont(n.attribute("id").as_int(static_cast<int>(m_fontCount++)), Wide(n.attribute("name").value()),
                           n.attribute("size").as_int(13), IsTrue(n.attribute("bold")),
                           IsTrue(n.attribute("underline")), IsTrue(n.attribute("italic")),
                           IsTrue(n.attribute("default")));
      } else if (name == "Default") {
        m_manager->AddDefaultAttributeList(Wide(n.attribute("name").value()), Wide(n.attribute("value").value()));
      }
    }
  }

  CControlUI* Create(const std::wstring& cls) {
    if (m_callback) {
      if (CControlUI* c = m_callback->CreateControl(cls.c_str())) return c;
    }
    return CDialogBuilder::CreateBuiltinControl(cls);
  }

  // Builds `first` and its following siblings (up to `stop`) into parent.
  CControlUI* ParseNodes(pugi::xml_node first, pugi::xml_node stop, CControlUI* parent, bool onlyFirst) {
    CControlUI* result = nullptr;
    for (pugi::xml_node n = first; n && n != stop; n = n.next_sibling()) {
      if (n.type() != pugi::node_element) continue;
      CControlUI* c = ParseNode(n, parent);
      if (!result) result = c;
      if (onlyFirst && result) break;
    }
    return result;
  }

  CControlUI* ParseNode(const pugi::xml_node& node, CControlUI* parent, int depth = 0) {
    if (depth > kMaxDepth) {
      ReportDiagnostic(Where(node.offset_debug()) + ": controls nested too deeply");
      return nullptr;
    }
    std::wstring cls = Wide(node.name());
    if (cls == L"Include") return ParseInclude(node, parent);
    CControlUI* control = Create(cls);
    if (!control) {
      ReportDiagnostic(Where(node.offset_debug()) + ": unknown control class '" + node.name() + "'");
      return nullptr;
    }
    // Children first, so that attributes such as a tab's selectedid find them.
    if (m_manager) control->SetManager(m_manager, parent, false);
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
      if (child.type() != pugi::node_element) continue;
      ParseNode(child, control, depth + 1);
    }
    if (m_manager) {
      std::wstring defaults = m_manager->GetDefaultAttributeList(cls);
      if (!defaults.empty()) control->ApplyAttributeList(defaults);
    }
    for (pugi::xml_attribute a : node.attributes()) control->SetAttribute(Wide(a.name()), Wide(a.value()));
    AddTo(parent, control);
    return control;
  }

  CControlUI* ParseInclude(const pugi::xml_node& node, CControlUI* parent) {
    std::wstring source = Wide(node.attribute("source").value());
    int count = std::clamp(node.attribute("count").as_int(1), 1, 100);
    if (++m_depth > 8) {
      ReportDiagnostic(Where(node.offset_debug()) + ": includes nested too deeply");
      return nullptr;
    }
    CControlUI* first = nullptr;
    for (int i = 0; i < count; ++i) {
      CDialogBuilder sub;
      CControlUI* c = sub.Create(source, m_callback, m_manager, parent);
      if (!first) first = c;
    }
    --m_depth;
    return first;
  }

  static void AddTo(CControlUI* parent, CControlUI* control) {
    if (!parent) return;
    if (auto* box = static_cast<CContainerUI*>(parent->GetInterface(L"Container"))) box->Add(control);
    else {
      ReportDiagnostic("a " + QString::fromStdWString(parent->GetClass()).toStdString() + " cannot hold children");
      delete control;
    }
  }

  static constexpr int kMaxDepth = 200;
  std::string m_file;
  QByteArray m_data;
  IDialogBuilderCallback* m_callback;
  CPaintManagerUI* m_manager;
  pugi::xml_document m_doc;
  unsigned m_fontCount = 0;
  int m_depth = 0;
};

}  // namespace

CControlUI* CDialogBuilder::CreateBuiltinControl(const std::wstring& c) {
  if (c == L"Control") return new CControlUI;
  if (c == L"Container") return new CContainerUI;
  if (c == L"VerticalLayout") return new CVerticalLayoutUI;
  if (c == L"HorizontalLayout" || c == L"ListHeader") return new CHorizontalLayoutUI;
  if (c == L"TabLayout") return new CTabLayoutUI;
  if (c == L"Label" || c == L"ListHeaderItem") return new CLabelUI;
  if (c == L"Text") return new CTextUI;
  if (c == L"Button") return new CButtonUI;
  if (c == L"Option") return new COptionUI;
  if (c == L"Edit") return new CEditUI;
  if (c == L"RichEdit") return new CRichEditUI;
  if (c == L"Combo") return new CComboUI;
  if (c == L"Progress") return new CProgressUI;
  if (c == L"List") return new CListUI;
  if (c == L"ListContainerElement") return new CListContainerElementUI;
  if (c == L"ListLabelElement") return new CListLabelElementUI;
  if (c == L"ButtonGif") return new CButtonGifUI;
  if (c == L"ActiveX") return new CActiveXUI;
  if (c == L"WebBrowser") return new CWebBrowserUI;
  return nullptr;
}

CControlUI* CDialogBuilder::Create(const std::wstring& xml, IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                   CControlUI* parent) {
  m_error.clear();
  QByteArray data;
  std::string name;
  if (!xml.empty() && xml[0] == L'<') {
    data = QString::fromStdWString(xml).toUtf8();
    name = "<inline skin>";
  } else {
    QString folder = manager ? manager->GetResourceFolder() : CPaintManagerUI::GetResourcePath();
    QString path = SkinPath(folder, xml);
    name = path.toStdString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
      m_error = name + ":0: cannot open skin file";
      ReportDiagnostic(m_error);
      return nullptr;
    }
    data = file.readAll();
  }
  CSkinParser parser(name, data, callback, manager);
  if (!parser.Load(m_error)) {
    ReportDiagnostic(m_error);
    return nullptr;
  }
  CControlUI* root = parser.Build(parent, m_error);
  if (!root && !m_error.empty()) ReportDiagnostic(m_error);
  return root;
}

}  // namespace DuiLib
