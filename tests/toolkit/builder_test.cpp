// The skin builder and the paint manager: lookups, tabs, options, lists, broken skins.
#include <gtest/gtest.h>

#include <QLineEdit>

#include "tests/toolkit/toolkit_fixture.h"
#include "toolkit/ui_activex.h"
#include "toolkit/ui_attributes.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_combo.h"
#include "toolkit/ui_container.h"
#include "toolkit/ui_diagnostics.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_list.h"
#include "toolkit/ui_progress.h"
#include "toolkit/ui_render.h"

using namespace DuiLib;
using zvtest::CTestWindow;

namespace {

// Captures the toolkit's diagnostics for the lifetime of the object.
struct DiagnosticCapture {
  std::vector<std::string> lines;
  DiagnosticCapture() {
    SetDiagnosticSink([this](const std::string& s) { lines.push_back(s); });
  }
  ~DiagnosticCapture() { SetDiagnosticSink(nullptr); }
  size_t Count(const std::string& part) const {
    size_t n = 0;
    for (const auto& l : lines) n += l.find(part) != std::string::npos;
    return n;
  }
};

class CCustomControl : public CControlUI {
 public:
  std::wstring GetClass() const override { return L"CustomThingUI"; }
};

}  // namespace

TEST(Builder, FindsControlsLaysThemOutAndMissingNamesAreNotFound) {
  CTestWindow w;
  w.factory = [](const std::wstring& cls) -> CControlUI* { return cls == L"CustomThing" ? new CCustomControl : nullptr; };
  w.Open();
  ASSERT_NE(w.GetHWND(), nullptr);
  EXPECT_EQ(w.GetHWND()->width(), 400);
  EXPECT_EQ(w.GetHWND()->height(), 300);
  CControlUI* hello = w.Find(L"Button_Hello");
  ASSERT_NE(hello, nullptr);
  EXPECT_EQ(hello->GetText(), L"Hello");
  EXPECT_EQ(hello->GetPos(), (RECT{10, 40, 130, 72}));
  EXPECT_EQ(hello->GetToolTip(), L"greets");
  // The Default element gave every button its colour.
  EXPECT_EQ(hello->GetBkColor(), 0xFF2F7BFFu);
  EXPECT_EQ(w.Find(L"Button_Nothing"), nullptr);
  EXPECT_EQ(w.Find(L""), nullptr);
  CControlUI* page2 = w.Find(L"Page2");
  ASSERT_NE(page2, nullptr);
  EXPECT_NE(w.Manager().FindSubControlByName(page2, L"Combo_Test"), nullptr);
  EXPECT_EQ(w.Manager().FindSubControlByName(page2, L"Button_Hello"), nullptr);
  EXPECT_EQ(w.Find(L"Custom_One")->GetClass(), L"CustomThingUI");
  auto* combo = static_cast<CComboUI*>(w.Find(L"Combo_Test")->GetInterface(L"Combo"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->ItemTexts(), (std::vector<std::wstring>{L"一", L"二"}));
  EXPECT_EQ(combo->GetDropBoxSize().cy, 90);
  EXPECT_EQ(static_cast<CProgressUI*>(w.Find(L"Progress_Test"))->GetValue(), 50);
}

TEST(Builder, BrokenSkinGivesFileAndLineAndNoTree) {
  DiagnosticCapture diag;
  CPaintManagerUI pm;
  CDialogBuilder builder;
  EXPECT_EQ(builder.Create(L"broken.xml", nullptr, &pm), nullptr);
  const std::string& err = builder.GetLastErrorMessage();
  EXPECT_NE(err.find("broken.xml:"), std::string::npos) << err;
  EXPECT_NE(err.find(":4:"), std::string::npos) << err;
  EXPECT_GE(diag.Count("broken.xml"), 1u);

  EXPECT_EQ(builder.Create(L"\\no\\such_file.xml", nullptr, &pm), nullptr);
  EXPECT_NE(builder.GetLastErrorMessage().find("no/such_file.xml"), std::string::npos);

  // A window whose skin is broken still opens, empty.
  CTestWindow w(L"broken.xml");
  w.Open();
  ASSERT_NE(w.GetHWND(), nullptr);
  ASSERT_NE(w.Manager().GetRoot(), nullptr);
  EXPECT_EQ(w.Find(L"b"), nullptr);
}

TEST(Builder, UnknownAttributeIsWarnedOnce) {
  DiagnosticCapture diag;
  CDialogBuilder builder;
  CControlUI* root = builder.Create(L"unknown_attr.xml");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(diag.Count("sparkle"), 1u);
  EXPECT_NE(root->FindByName(L"l2"), nullptr);
  delete root;
}

TEST(Builder, InlineXmlAndAttributeLists) {
  CDialogBuilder builder;
  CControlUI* root = builder.Create(
      L"<HorizontalLayout name=\"h\" childpadding=\"4\"><Button name=\"x\" width=\"10\"/><Button name=\"y\"/>"
      L"</HorizontalLayout>");
  ASSERT_NE(root, nullptr);
  root->SetPos(RECT{0, 0, 100, 20});
  EXPECT_EQ(root->FindByName(L"x")->GetPos(), (RECT{0, 0, 10, 20}));
  EXPECT_EQ(root->FindByName(L"y")->GetPos(), (RECT{14, 0, 100, 20}));
  delete root;
  auto attrs = ParseAttributeList(L"a=\"1\" b='two words' c=\"\"");
  ASSERT_EQ(attrs.size(), 3u);
  EXPECT_EQ(attrs[1].second, L"two words");
}

TEST(PaintManager, TabSelectionShowsOnePage) {
  CTestWindow w;
  w.Open();
  auto* tab = static_cast<CTabLayoutUI*>(w.Find(L"switch_Main")->GetInterface(L"TabLayout"));
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->GetCurSel(), 0);
  EXPECT_TRUE(w.Find(L"Button_Hello")->IsEffectivelyVisible());
  EXPECT_FALSE(w.Find(L"List_Test")->IsEffectivelyVisible());
  EXPECT_TRUE(tab->SelectItem(1));
  EXPECT_EQ(tab->GetCurSel(), 1);
  EXPECT_FALSE(w.Find(L"Button_Hello")->IsEffectivelyVisible());
  EXPECT_TRUE(w.Find(L"List_Test")->IsEffectivelyVisible());
  EXPECT_FALSE(tab->SelectItem(7));
  EXPECT_EQ(tab->GetCurSel(), 1);
  // A hidden page's native edit is hidden too.
  auto* edit = static_cast<CEditUI*>(w.Find(L"Edit_Name"));
  zvtest::Pump(20);
  ASSERT_NE(edit->GetNativeEdit(), nullptr);
  EXPECT_FALSE(edit->GetNativeEdit()->isVisible());
  tab->SelectItem(0);
  zvtest::Pump(20);
  EXPECT_TRUE(edit->GetNativeEdit()->isVisible());
}

TEST(PaintManager, OptionReportsClickBeforeItChanges) {
  CTestWindow w;
  COptionUI* a = nullptr;
  std::vector<bool> selectedAtClick;
  w.onNotify = [&](TNotifyUI& msg) {
    if (msg.sType == L"click" && msg.pSender->GetName() == L"Option_B")
      selectedAtClick.push_back(static_cast<COptionUI*>(msg.pSender)->IsSelected());
  };
  w.Open();
  a = static_cast<COptionUI*>(w.Find(L"Option_A"));
  auto* b = static_cast<COptionUI*>(w.Find(L"Option_B"));
  ASSERT_TRUE(a->IsSelected());
  w.notes.clear();
  zvtest::ClickControl(b);
  EXPECT_TRUE(b->IsSelected());
  EXPECT_FALSE(a->IsSelected());
  ASSERT_EQ(selectedAtClick, std::vector<bool>{false});
  std::vector<std::string> order;
  for (const auto& n : w.notes)
    if (n.rfind("Option_", 0) == 0 && n.find("focus") == std::string::npos) order.push_back(n);
  EXPECT_EQ(order, (std::vector<std::string>{"Option_B:click", "Option_A:selectchanged", "Option_B:selectchanged"}));
  // Clicking the selected member of a group keeps it selected and changes nothing.
  w.notes.clear();
  zvtest::ClickControl(b);
  EXPECT_TRUE(b->IsSelected());
  EXPECT_FALSE(w.Has("Option_B:selectchanged"));
  // A lone option toggles.
  auto* check = static_cast<COptionUI*>(w.Find(L"Option_Check"));
  zvtest::ClickControl(check);
  EXPECT_TRUE(check->IsSelected());
  zvtest::ClickControl(check);
  EXPECT_FALSE(check->IsSelected());
}

TEST(PaintManager, PressOutsideAndDisabledButtonsDoNotClick) {
  CTestWindow w;
  w.Open();
  CControlUI* hello = w.Find(L"Button_Hello");
  QWidget* host = w.GetHWND();
  w.notes.clear();
  // Pressed on the button, released elsewhere: no click.
  zvtest::MouseAt(host, QEvent::MouseButtonPress, QPoint(20, 50));
  zvtest::MouseAt(host, QEvent::MouseMove, QPoint(300, 250));
  zvtest::MouseAt(host, QEvent::MouseButtonRelease, QPoint(300, 250));
  EXPECT_FALSE(w.Has("Button_Hello:click"));
  hello->SetEnabled(false);
  zvtest::ClickControl(hello);
  EXPECT_FALSE(w.Has("Button_Hello:click"));
  hello->SetEnabled(true);
  zvtest::ClickControl(hello);
  EXPECT_TRUE(w.Has("Button_Hello:click"));
  // Hidden controls take no clicks either.
  hello->SetVisible(false);
  w.notes.clear();
  w.Manager().UpdateLayout();
  zvtest::MouseAt(host, QEvent::MouseButtonPress, QPoint(20, 50));
  zvtest::MouseAt(host, QEvent::MouseButtonRelease, QPoint(20, 50));
  EXPECT_FALSE(w.Has("Button_Hello:click"));
}

TEST(PaintManager, ListItemsFromTheirOwnSkinReportSelectionAndActivation) {
  CTestWindow w;
  std::vector<int> selAtItemClick;
  CListUI* list = nullptr;
  w.onNotify = [&](TNotifyUI& msg) {
    if (msg.sType == L"itemclick") selAtItemClick.push_back(list->GetCurSel());
  };
  w.Open();
  static_cast<CTabLayoutUI*>(w.Find(L"switch_Main"))->SelectItem(1);
  list = static_cast<CListUI*>(w.Find(L"List_Test")->GetInterface(L"List"));
  ASSERT_NE(list, nullptr);
  for (int i = 0; i < 8; ++i) {
    CDialogBuilder builder;
    auto* item = builder.Create(L"item.xml", nullptr, &w.Manager());
    ASSERT_NE(item, nullptr);
    item->SetTag(static_cast<uintptr_t>(i));
    ASSERT_TRUE(list->Add(item));
    w.Manager().FindSubControlByName(item, L"Label_Item")->SetText(L"row " + std::to_wstring(i));
  }
  w.Manager().UpdateLayout();
  EXPECT_EQ(list->ItemTexts()[2], L"row 2");
  CControlUI* label2 = w.Manager().FindSubControlByName(list->GetItemAt(2), L"Label_Item");
  w.notes.clear();
  zvtest::ClickControl(label2);
  EXPECT_EQ(list->GetCurSel(), 2);
  EXPECT_EQ(selAtItemClick, std::vector<int>{2});
  EXPECT_TRUE(w.Has("Item:itemclick"));
  EXPECT_FALSE(w.Has("Item:itemactivate"));
  zvtest::ClickControl(label2, true);
  EXPECT_TRUE(w.Has("Item:itemactivate"));
  // A button inside a row keeps its own click and leaves the selection alone.
  w.notes.clear();
  zvtest::ClickControl(w.Manager().FindSubControlByName(list->GetItemAt(0), L"Button_Item"));
  EXPECT_TRUE(w.Has("Button_Item:click"));
  EXPECT_FALSE(w.Has("Item:itemclick"));
  EXPECT_EQ(list->GetCurSel(), 2);

  // Eight rows of 40 px in a 270 px list: scrolling works once enabled.
  EXPECT_FALSE(list->IsVerticalScrollBarShown());
  list->EnableScrollBar(true, false);
  w.Manager().UpdateLayout();
  EXPECT_TRUE(list->IsVerticalScrollBarShown());
  EXPECT_GT(list->GetScrollRange(), 0);
  list->EnableScrollBar(false, false);
  w.Manager().UpdateLayout();
  EXPECT_FALSE(list->IsVerticalScrollBarShown());
  EXPECT_EQ(list->GetScrollPos(), 0);
}

TEST(PaintManager, EmptyingAListFromItsOwnNotificationIsSafe) {
  CTestWindow w;
  CListUI* list = nullptr;
  w.onNotify = [&](TNotifyUI& msg) {
    if (msg.sType == L"itemclick") list->RemoveAll();
  };
  w.Open();
  static_cast<CTabLayoutUI*>(w.Find(L"switch_Main"))->SelectItem(1);
  list = static_cast<CListUI*>(w.Find(L"List_Test"));
  CDialogBuilder builder;
  list->Add(builder.Create(L"item.xml", nullptr, &w.Manager()));
  w.Manager().UpdateLayout();
  zvtest::ClickControl(list->GetItemAt(0), true);
  EXPECT_EQ(list->GetCount(), 0);
  EXPECT_EQ(list->GetCurSel(), -1);
  zvtest::Pump(20);
  EXPECT_EQ(w.Manager().FindControl(L"Item"), nullptr);
}

TEST(PaintManager, FocusNotificationsAndTabOrder) {
  CTestWindow w;
  w.Open();
  w.Find(L"Button_Box")->SetFocus();
  w.notes.clear();
  auto* edit = static_cast<CEditUI*>(w.Find(L"Edit_Name"));
  edit->SetFocus();
  EXPECT_EQ(w.Manager().GetFocus(), edit);
  EXPECT_TRUE(w.Has("Edit_Name:setfocus"));
  w.Find(L"Button_Hello")->SetFocus();
  EXPECT_TRUE(w.Has("Edit_Name:killfocus"));
  EXPECT_TRUE(w.Has("Button_Hello:setfocus"));
  LRESULT res = 0;
  w.Manager().MessageHandler(WM_KEYDOWN, VK_TAB, 0, res);
  EXPECT_EQ(w.Manager().GetFocus(), edit);
}

TEST(Render, ImageStringsAndColours) {
  uint32_t c = 0;
  EXPECT_TRUE(ParseColor(L"#FF2F7BFF", c));
  EXPECT_EQ(c, 0xFF2F7BFFu);
  EXPECT_TRUE(ParseColor(L"#1E2230", c));
  EXPECT_EQ(c, 0xFF1E2230u);
  EXPECT_FALSE(ParseColor(L"#12", c));
  TImageDraw d;
  EXPECT_TRUE(ParseImageString(L"file='a\\b.png' dest='1,2,3,4' corner='2,2,2,2' fade='128'", d));
  EXPECT_EQ(d.file, L"a\\b.png");
  EXPECT_TRUE(d.hasDest);
  EXPECT_EQ(d.dest, (RECT{1, 2, 3, 4}));
  EXPECT_EQ(d.fade, 128);
  EXPECT_FALSE(ParseImageString(L"file='unterminated", d));
  EXPECT_EQ(SkinPath(QStringLiteral("/r/"), L"\\VideoSpeedShow\\green.png"), QStringLiteral("/r/VideoSpeedShow/green.png"));
  EXPECT_EQ(SkinPath(QStringLiteral("/r"), L"Login_Gif\\01.png"), QStringLiteral("/r/Login_Gif/01.png"));
}

TEST(Builder, DeeplyNestedSkinIsCutWithoutCrashing) {
  DiagnosticCapture diag;
  std::wstring xml;
  for (int i = 0; i < 5000; ++i) xml += L"<Container>";
  for (int i = 0; i < 5000; ++i) xml += L"</Container>";
  CDialogBuilder builder;
  CControlUI* root = builder.Create(xml);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(diag.Count("nested too deeply"), 1u);
  delete root;
}

TEST(Controls, EditPasswordSelectAllAndWebPlaceholder) {
  CTestWindow w;
  w.Open();
  auto* edit = static_cast<CEditUI*>(w.Find(L"Edit_Name"));
  ASSERT_NE(edit->GetNativeEdit(), nullptr);
  w.notes.clear();
  edit->SetText(L"secret");
  EXPECT_FALSE(w.Has("Edit_Name:textchanged"));  // only typing reports changes
  edit->SetPasswordMode(true);
  EXPECT_EQ(edit->GetNativeEdit()->echoMode(), QLineEdit::Password);
  EXPECT_TRUE(edit->GetNativeEdit()->testAttribute(Qt::WA_InputMethodEnabled));
  edit->SetSelAll();
  EXPECT_EQ(edit->GetNativeEdit()->selectedText(), QStringLiteral("secret"));
  EXPECT_EQ(edit->GetText(), L"secret");

  CDialogBuilder builder;
  auto* web = static_cast<CWebBrowserUI*>(builder.Create(L"<WebBrowser name=\"PlayingAd_webBrowser\"/>"));
  ASSERT_NE(web, nullptr);
  web->Navigate2(L"about:blank");
  web->Navigate2(L"http://127.0.0.1:8080/ad/index.html");
  EXPECT_EQ(web->GetLocationURL(), L"http://127.0.0.1:8080/ad/index.html");
  EXPECT_EQ(web->History().size(), 2u);
  EXPECT_EQ(web->GetText(), L"http://127.0.0.1:8080/ad/index.html");
  delete web;
}
