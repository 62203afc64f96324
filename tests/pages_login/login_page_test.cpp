// The login page's own behaviour in its host window: the layout, what Init fills in,
// Login's refusals, Enter, the links, the version label, the bind popup and the
// automation's "login" field.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

#include "api/app_context.h"
#include "app/events.h"
#include "platform/shell_open.h"
#include "tests/pages_login/login_host.h"
#include "toolkit/automation_server.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_edit.h"
#include "toolkit/ui_window_host.h"
#include "ui/child_page.h"

namespace zv::test {
namespace {

using zv::pages::CLoginUI;

class LoginPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(StartClean());
    Open();
  }
  void TearDown() override {
    // Workers report to the host window: let them finish before it goes.
    PumpUntil([] { return zv::pages::RunningLoginWorkers() == 0; }, 30000);
    host.reset();
  }

  void Open(std::wstring layout = L"LoginPage\\Login.xml") {
    host = std::make_unique<CLoginHost>(std::move(layout));
    ASSERT_TRUE(host->Open());
    page = host->Page();
    ASSERT_NE(page, nullptr);
  }
  std::wstring Text(const wchar_t* name) {
    DuiLib::CControlUI* c = host->Find(name);
    return c ? c->GetText() : L"<missing>";
  }
  bool WaitForLoginDone(size_t count = 1) {
    return PumpUntil([&] { return host->Count(UWM_LOGIN_DONE) >= count; }, 30000);
  }
  void RememberDemo(const std::string& digest) {
    CAppContext& context = CAppContext::Instance();
    context.userName = "demo";
    context.passwordDigest = digest;
    context.savePassword = true;
  }

  std::unique_ptr<CLoginHost> host;
  CLoginUI* page = nullptr;
};

TEST_F(LoginPageTest, LayoutHoldsEveryControlAtItsPlace) {
  for (const wchar_t* name :
       {L"Edit_UserName", L"Edit_Password", L"Option_rememberPsw", L"Option_Login", L"Button_Login",
        L"Button_Register", L"Button_ForgetPsw", L"Button_QQ", L"Label_Version", L"Label_UpdateIcon"})
    ASSERT_NE(host->Find(name), nullptr) << QString::fromWCharArray(name).toStdString();
  EXPECT_EQ(page->GetName(), L"LoginWindow");
  EXPECT_EQ(page->GetWidth(), 960);
  EXPECT_EQ(page->GetHeight(), 660);

  struct Size {
    const wchar_t* name;
    int width;
    int height;
  };
  for (const Size& s :
       {Size{L"Login_Panel", 480, 660}, Size{L"Edit_UserName", 312, 40}, Size{L"Edit_Password", 312, 40},
        Size{L"Button_Login", 312, 44}, Size{L"Label_UpdateIcon", 16, 16}}) {
    DuiLib::CControlUI* c = host->Find(s.name);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->GetWidth(), s.width) << QString::fromWCharArray(s.name).toStdString();
    EXPECT_EQ(c->GetHeight(), s.height) << QString::fromWCharArray(s.name).toStdString();
  }
  // The card sits in the middle of the right half.
  DuiLib::CControlUI* card = host->Find(L"Login_Card");
  ASSERT_NE(card, nullptr);
  EXPECT_EQ(card->GetWidth(), 360);
  EXPECT_EQ(card->GetX(), 480 + (480 - 360) / 2);
  EXPECT_EQ(host->Find(L"Option_rememberPsw")->GetY(), host->Find(L"Option_Login")->GetY());
  EXPECT_TRUE(dynamic_cast<DuiLib::CEditUI*>(host->Find(L"Edit_Password"))->IsPasswordMode());

  // The layout hides the update icon; the page shows it. Both sit at the bottom right.
  DuiLib::CControlUI* icon = host->Find(L"Label_UpdateIcon");
  EXPECT_TRUE(icon->IsVisible());
  EXPECT_GT(icon->GetX(), 900);
  EXPECT_GT(icon->GetY(), 600);
  EXPECT_LT(host->Find(L"Label_Version")->GetX(), icon->GetX());
}

TEST_F(LoginPageTest, ThePagePaintsItsPanelCardAndButton) {
  page->Init(false, host->GetHWND());
  Pump(100);
  const QImage shot = host->GetHWND()->grab().toImage();
  const char* out = std::getenv("ZELVANE_LOGIN_SHOT");  // where to keep the picture for a look
  if (out) shot.save(QString::fromUtf8(out));
  auto at = [&](DuiLib::CControlUI* c, int dx, int dy) {
    return shot.pixelColor(c->GetX() + dx, c->GetY() + dy);
  };
  // The accent panel is blue, the card white on the window colour, the button in the accent.
  const QColor panel = shot.pixelColor(20, 300);
  EXPECT_GT(panel.blue(), 200);
  EXPECT_LT(panel.red(), 100);
  DuiLib::CControlUI* card = host->Find(L"Login_Card");
  EXPECT_EQ(at(card, 8, card->GetHeight() / 2), QColor(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(shot.pixelColor(490, 10), QColor(0xF3, 0xF5, 0xF9));
  DuiLib::CControlUI* button = host->Find(L"Button_Login");
  EXPECT_EQ(at(button, 20, 6), QColor(0x2F, 0x7B, 0xFF));
  // The version text is drawn: some pixel of its label differs from the background.
  DuiLib::CControlUI* version = host->Find(L"Label_Version");
  bool drawn = false;
  for (int x = 0; x < version->GetWidth() && !drawn; ++x)
    for (int y = 0; y < version->GetHeight() && !drawn; ++y)
      drawn = at(version, x, y) != QColor(0xF3, 0xF5, 0xF9);
  EXPECT_TRUE(drawn);
}

TEST_F(LoginPageTest, InitFillsTheRememberedValues) {
  RememberDemo(DigestOf("10086", "123456"));
  page->Init(false, host->GetHWND());
  EXPECT_EQ(Text(L"Edit_UserName"), L"demo");
  EXPECT_EQ(Text(L"Edit_Password"), L"********");
  EXPECT_EQ(Text(L"Label_Version"), L"V1.2.3");
  EXPECT_TRUE(dynamic_cast<DuiLib::COptionUI*>(host->Find(L"Option_rememberPsw"))->IsSelected());
  EXPECT_FALSE(dynamic_cast<DuiLib::COptionUI*>(host->Find(L"Option_Login"))->IsSelected());
  EXPECT_FALSE(page->IsPasswordEdited());
  EXPECT_EQ(page->GetRequest().resultCode, -100);
  EXPECT_EQ(page->GetRequest().resultMessage, "");
  EXPECT_EQ(host->GetPaintManager().GetFocus(), host->Find(L"Edit_UserName"));
  EXPECT_TRUE(page->IsLoginButtonEnabled());

  // Without a remembered digest the password box keeps what it holds.
  CAppContext::Instance().passwordDigest.clear();
  host->Find(L"Edit_Password")->SetText(L"typed");
  page->SetLoginResult(2, "old");
  page->Init(false, host->GetHWND());
  EXPECT_EQ(Text(L"Edit_Password"), L"typed");
  EXPECT_EQ(page->GetRequest().resultCode, -100);
}

TEST_F(LoginPageTest, TypingMarksThePasswordEditedAndANewNameClearsIt) {
  RememberDemo(DigestOf("10086", "123456"));
  page->Init(false, host->GetHWND());
  TypeInto(host->Find(L"Edit_Password"), "x");
  EXPECT_TRUE(page->IsPasswordEdited());

  page->Init(false, host->GetHWND());
  EXPECT_FALSE(page->IsPasswordEdited());
  TypeInto(host->Find(L"Edit_UserName"), "2");
  EXPECT_EQ(Text(L"Edit_UserName"), L"demo2");
  EXPECT_EQ(Text(L"Edit_Password"), L"");
  EXPECT_TRUE(page->IsPasswordEdited());

  // Focus in the password box selects all of it, so typing replaces the placeholder.
  page->Init(false, host->GetHWND());
  auto* password = dynamic_cast<DuiLib::CEditUI*>(host->Find(L"Edit_Password"));
  password->SetFocus();
  ASSERT_NE(password->GetNativeEdit(), nullptr);
  EXPECT_EQ(password->GetNativeEdit()->selectedText(), QStringLiteral("********"));

  // Credentials put in by the bind popup count as typed.
  page->Init(false, host->GetHWND());
  page->SetCredentials("bindme", "123456");
  EXPECT_EQ(Text(L"Edit_UserName"), L"bindme");
  EXPECT_EQ(Text(L"Edit_Password"), L"123456");
  EXPECT_TRUE(page->IsPasswordEdited());
}

TEST_F(LoginPageTest, EmptyUserNameShowsTheBoxAndStartsNothing) {
  page->Init(false, host->GetHWND());
  CBoxAnswerer boxes;
  Click(host->Find(L"Button_Login"));
  ASSERT_EQ(boxes.seen.size(), 1u);
  EXPECT_EQ(boxes.seen[0].text, L"请输入用户名");
  EXPECT_EQ(host->Count(UWM_PAGE_COMMAND), 0u);
  EXPECT_EQ(zv::pages::RunningLoginWorkers(), 0);
  EXPECT_TRUE(page->IsLoginButtonEnabled());
  EXPECT_EQ(host->GetPaintManager().GetFocus(), host->Find(L"Edit_UserName"));
  EXPECT_EQ(page->IsWaiting(), 0);
  Pump(100);
  EXPECT_TRUE(LoginSim::Requests("getKey.html").empty());
}

TEST_F(LoginPageTest, LoginRefusesWhileAFinishedResultWaitsForItsDisplay) {
  page->Init(false, host->GetHWND());
  host->Find(L"Edit_UserName")->SetText(L"demo");
  host->Find(L"Edit_Password")->SetText(L"123456");
  page->SetLoginResult(2, "wrong");
  page->SetWaiting(1);
  EXPECT_FALSE(page->Login(host->GetHWND()));
  EXPECT_EQ(host->Count(UWM_PAGE_COMMAND), 0u);

  // Once the wait is over the stored result no longer blocks, and the new login starts
  // with no result stored, so the next minimum wait cannot take the old one for its own.
  page->SetWaiting(0);
  ASSERT_TRUE(page->Login(host->GetHWND()));
  EXPECT_EQ(page->GetRequest().resultCode, -100);
  EXPECT_EQ(page->IsWaiting(), 1);
  EXPECT_EQ(host->Count(UWM_PAGE_COMMAND, PAGE_CMD_SHOW_WAITING), 1u);
  ASSERT_TRUE(WaitForLoginDone());
  EXPECT_EQ(page->GetRequest().resultCode, 0);
}

TEST_F(LoginPageTest, APageMissingARequiredControlDoesNothing) {
  CAppContext::Instance().userName = "demo";
  struct Case {
    const wchar_t* layout;
    bool loginStarts;
  };
  const Case cases[] = {
      // No Button_Login: neither Init nor Login.
      {L"<VerticalLayout><Edit name=\"Edit_UserName\"/><Edit name=\"Edit_Password\"/>"
       L"<Option name=\"Option_rememberPsw\"/><Option name=\"Option_Login\"/><Button "
       L"name=\"Button_Register\"/>"
       L"<Button name=\"Button_ForgetPsw\"/></VerticalLayout>",
       false},
      // No Button_Register: Init stops, Login still runs.
      {L"<VerticalLayout><Edit name=\"Edit_UserName\"/><Edit name=\"Edit_Password\"/>"
       L"<Option name=\"Option_rememberPsw\"/><Option name=\"Option_Login\"/><Button name=\"Button_Login\"/>"
       L"<Button name=\"Button_ForgetPsw\"/></VerticalLayout>",
       true},
  };
  for (const Case& c : cases) {
    host.reset();
    Open(c.layout);
    page->Init(true, host->GetHWND());
    EXPECT_EQ(Text(L"Edit_UserName"), L"");
    host->Find(L"Edit_UserName")->SetText(L"demo");
    EXPECT_EQ(page->Login(host->GetHWND()), c.loginStarts);
    EXPECT_EQ(host->Count(UWM_PAGE_COMMAND), c.loginStarts ? 1u : 0u);
    if (c.loginStarts) {
      ASSERT_TRUE(WaitForLoginDone());
    }
  }
}

TEST_F(LoginPageTest, ReturnInEitherEditLogsIn) {
  for (const wchar_t* name : {L"Edit_UserName", L"Edit_Password"}) {
    host->ClearEvents();
    page->Init(false, host->GetHWND());
    host->Find(L"Edit_UserName")->SetText(L"demo");
    host->Find(L"Edit_Password")->SetText(L"123456");
    PressReturn(host->Find(name));
    EXPECT_EQ(host->Count(UWM_PAGE_COMMAND, PAGE_CMD_SHOW_WAITING), 1u)
        << QString::fromWCharArray(name).toStdString();
    EXPECT_FALSE(page->IsLoginButtonEnabled());
    ASSERT_TRUE(WaitForLoginDone());
    EXPECT_EQ(page->GetRequest().resultCode, 0);
    // The host plays the frame: the minimum wait ends and the button comes back.
    ASSERT_TRUE(PumpUntil([&] { return page->IsWaiting() == 0; }));
    page->SetLoginButtonEnabled(true);
  }
  // A "return" from any other control is not a login.
  host->ClearEvents();
  DuiLib::TNotifyUI msg;
  msg.sType = L"return";
  msg.pSender = host->Find(L"Option_Login");
  page->Notify(msg, host->GetHWND());
  msg.pSender = host->Find(L"Button_Login");
  page->Notify(msg, host->GetHWND());
  EXPECT_EQ(host->Count(UWM_PAGE_COMMAND), 0u);
}

TEST_F(LoginPageTest, LinksOpenTheWebSitePages) {
  page->Init(false, host->GetHWND());
  const std::string web = "http://127.0.0.1:" + std::to_string(LoginSim::Port("web"));
  struct Link {
    const wchar_t* button;
    std::string url;
  };
  const Link links[] = {{L"Button_Register", web + "/user/index.html"},
                        {L"Button_ForgetPsw", web + "/user/toForgetPassword.html"},
                        {L"Button_QQ", web + "/chat/index.html"}};
  for (const Link& link : links) {
    LoginSim::Urls().urls.clear();
    Click(host->Find(link.button));
    ASSERT_EQ(LoginSim::Urls().urls.size(), 1u) << link.url;
    EXPECT_EQ(LoginSim::Urls().urls[0], link.url);
    EXPECT_EQ(zv::ShellOpenHistory().back(), QString::fromStdString(link.url).toStdWString());
    EXPECT_EQ(LoginSim::HttpStatus(link.url), 200) << link.url;
  }
  EXPECT_TRUE(page->RegisterLink().IsVisited());
  EXPECT_TRUE(page->ForgetPasswordLink().IsVisited());
  EXPECT_TRUE(page->ChatLink().IsVisited());
}

size_t LiveWindowsNamed(const std::wstring& name) {
  size_t n = 0;
  for (DuiLib::CWindowHost* w : DuiLib::CWindowHost::All())
    if (w->Window() && w->Window()->GetName() == name) ++n;
  return n;
}

TEST_F(LoginPageTest, BindPopupCoversThePageWithTheUserName) {
  CAppContext::Instance().userName = "bindme";
  page->ShowBindMobileWindow(5, host->GetHWND());
  ASSERT_TRUE(page->IsBindPopupShown());
  zv::ui::CChildPage* popup = page->BindPopup();
  EXPECT_EQ(popup->SkinFile(), L"\\UserBindMobile\\UserBindMobile.xml");
  DuiLib::HWND wnd = popup->GetHWND();
  ASSERT_TRUE(DuiLib::IsWindow(wnd));
  EXPECT_EQ(DuiLib::GetParent(wnd), host->GetHWND());
  EXPECT_EQ(wnd->geometry(), QRect(page->GetX(), page->GetY(), page->GetWidth(), page->GetHeight()));
  DuiLib::CControlUI* email = popup->Manager().FindControl(L"Edit_BindMobile_email");
  ASSERT_NE(email, nullptr);
  EXPECT_EQ(email->GetText(), L"bindme");

  // A second request replaces the popup; 0 releases it.
  page->ShowBindMobileWindow(5, host->GetHWND());
  EXPECT_EQ(LiveWindowsNamed(L"UserBindMobile"), 1u);
  page->ShowBindMobileWindow(0, host->GetHWND());
  EXPECT_EQ(page->BindPopup(), nullptr);
  EXPECT_EQ(LiveWindowsNamed(L"UserBindMobile"), 0u);

  // Without a user name the box stays empty.
  CAppContext::Instance().userName.clear();
  page->ShowBindMobileWindow(5, host->GetHWND());
  ASSERT_NE(page->BindPopup(), nullptr);
  EXPECT_EQ(page->BindPopup()->Manager().FindControl(L"Edit_BindMobile_email")->GetText(), L"");
  // The page's end releases the popup with it.
  host.reset();
  EXPECT_EQ(LiveWindowsNamed(L"UserBindMobile"), 0u);
}

// One command to the automation socket and its answer, pumping the window thread that serves it.
QJsonObject AutomationCommand(const std::string& path, const std::string& line) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::snprintf(addr.sun_path, sizeof(addr.sun_path), "%s", path.c_str());
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0 && errno != EINPROGRESS) {
    close(fd);
    return {};
  }
  const std::string out = line + "\n";
  std::string in;
  size_t sent = 0;
  PumpUntil([&] {
    if (sent < out.size()) {
      ssize_t n = send(fd, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
      if (n > 0) sent += static_cast<size_t>(n);
    }
    char buf[4096];
    ssize_t n = recv(fd, buf, sizeof(buf), 0);
    if (n > 0) in.append(buf, static_cast<size_t>(n));
    return in.find('\n') != std::string::npos;
  });
  close(fd);
  return QJsonDocument::fromJson(QByteArray::fromStdString(in)).object();
}

TEST_F(LoginPageTest, AutomationStateDescribesTheLogin) {
  QTemporaryDir dir;
  const std::string path = dir.path().toStdString() + "/automation.sock";
  ASSERT_TRUE(DuiLib::CAutomationServer::Start(QString::fromStdString(path)));
  page->Init(false, host->GetHWND());
  host->Find(L"Edit_UserName")->SetText(L"demo");
  host->Find(L"Edit_Password")->SetText(L"123456");
  page->SetLoginButtonEnabled(false);
  ASSERT_TRUE(page->Login(host->GetHWND()));
  QJsonObject login = AutomationCommand(path, R"({"cmd":"state"})")["login"].toObject();
  EXPECT_EQ(login["waiting"].toInt(), 1);
  EXPECT_EQ(login["buttonEnabled"].toBool(true), false);
  EXPECT_EQ(login["bindPopupShown"].toBool(true), false);
  ASSERT_TRUE(WaitForLoginDone());
  ASSERT_TRUE(PumpUntil([&] { return page->IsWaiting() == 0; }));
  TypeInto(host->Find(L"Edit_Password"), "7");
  page->ShowBindMobileWindow(5, host->GetHWND());
  login = AutomationCommand(path, R"({"cmd":"state"})")["login"].toObject();
  EXPECT_EQ(login["resultCode"].toInt(-1), 0);
  EXPECT_EQ(login["waiting"].toInt(-1), 0);
  EXPECT_EQ(login["passwordEdited"].toBool(), true);
  EXPECT_EQ(login["bindPopupShown"].toBool(), true);
  DuiLib::CAutomationServer::Stop();
}

}  // namespace
}  // namespace zv::test
