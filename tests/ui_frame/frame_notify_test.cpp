// The frame's notification routing, its own controls (quality menu, window buttons),
// keys and the tray, through the real frame and the main skin.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QPixmap>

#include "api/app_context.h"
#include "app/events.h"
#include "tests/ui_frame/frame_fixture.h"
#include "toolkit/automation_server.h"
#include "toolkit/ui_button.h"
#include "toolkit/ui_window.h"
#include "toolkit/ui_window_host.h"

namespace zvtest {
namespace {

struct RouteCase {
  const wchar_t* sender;
  const char* receiver;  // the journal tag that must see it, or null for nobody
};

TEST_F(FrameTest, NotificationsReachThePageOwningTheSender) {
  LoginSucceeded();
  const RouteCase cases[] = {
      {L"Button_Login", "login"},
      {L"Edit_Password", "login"},
      {L"Edit_UserName", "login"},
      {L"Option_Login", "login"},
      {L"Option_rememberPsw", "login"},
      {L"Button_Register", "login"},
      {L"Button_ForgetPsw", "login"},
      {L"Button_QQ", "login"},
      {L"Button_AddMoney", "panel"},
      {L"Button_AddService", "panel"},
      {L"Button_Contact", "panel"},
      {L"Button_Notice", "panel"},
      {L"Button_SwitchAccount", "panel"},
      {L"Button_Service_QQ", "panel"},
      {L"Button_OrderList", "panel"},
      {L"Button_DailyAttendance", "panel"},
      {L"Button_NormalDevice", "apply"},
      {L"Button_VIPDevice", "apply"},
      {L"Option_Service1", "devices"},
      {L"Option_ServiceStatus2", "devices"},
      {L"Label_ServiceStatusColor3", "devices"},
      {L"Option_Quality4", "devices"},
      {L"Button_RightPage", "devices"},
      {L"Button_LeftPage", "devices"},
      {L"Button_List_Close", "devices"},
      {L"Button_RefreshService", "devices"},
      {L"Button_ListItem", "devices"},
      {L"Button_Charge", "devices"},
      {L"Button_ExChange", "devices"},
      {L"Option_AutoQuality", "devices"},
      {L"Option_Fault_Apply", "fault"},
      {L"Fault_List_Container", "fault"},
      {L"FaultApply_Fault_Feedback", "fault"},
      {L"Button_Apply_Order", "charge"},
      {L"GoodList_GoodsName", "charge"},
      {L"Button_Charge_End", "charge"},
      {L"Button_RefreshOrder", "orders"},
      {L"OrderList", "orders"},
      {L"Button_ExChange_Apply", "exchange"},
      {L"Edit_Count", "exchange"},
      {L"Button_Agree_OK", "agree"},
      {L"Button_Agren_Back", "agree"},
      {L"Option_Agree", "agree"},
      {L"Option_Service5", nullptr},
      {L"button_login", nullptr},
      {L"Label_Unknown", nullptr},
  };
  for (const RouteCase& c : cases) {
    for (const wchar_t* kind : {L"click", L"textchanged", L"itemactivate"}) {
      SCOPED_TRACE(Narrow(c.sender) + " " + Narrow(kind));
      m_journal.Clear();
      Click(c.sender, kind);
      const std::string expected =
          c.receiver ? std::string(c.receiver) + ".Notify(" + Narrow(c.sender) + ")" : "";
      if (c.receiver)
        EXPECT_EQ(m_journal.entries, std::vector<std::string>{expected});
      else
        EXPECT_TRUE(m_journal.entries.empty());
    }
  }
}

TEST_F(FrameTest, QualityOptionsChangeTheLevelInMemoryOnly) {
  const std::pair<const wchar_t*, int> options[] = {
      {L"Setting_Fast", 2}, {L"Setting_HD", 0}, {L"Setting_UtlratFast", 3}, {L"Setting_Normal", 1}};
  for (const auto& [name, level] : options) {
    Click(name);
    EXPECT_EQ(zv::CAppContext::Instance().qualityLevel.load(), level) << Narrow(name);
  }
  EXPECT_TRUE(m_journal.entries.empty());
}

TEST_F(FrameTest, MoreButtonTogglesTheQualityMenuOnlyInASession) {
  DuiLib::CControlUI* menu = Find(L"VideoSetting");
  ASSERT_NE(menu, nullptr);
  Click(L"Button_More");
  EXPECT_FALSE(menu->IsVisible());

  zv::CAppContext::Instance().qualityLevel = 1;
  OpenDevice();
  Click(L"Button_More");
  EXPECT_TRUE(menu->IsVisible());
  auto* normal = static_cast<DuiLib::COptionUI*>(Find(L"Setting_Normal")->GetInterface(L"Option"));
  EXPECT_TRUE(normal->IsSelected());
  Click(L"Button_More");
  EXPECT_FALSE(menu->IsVisible());
}

TEST_F(FrameTest, QualityMenuDropsDownUnderTheMoreButton) {
  zv::CAppContext::Instance().qualityLevel = 0;
  OpenDevice();
  m_frame->UpdateMoreButton();
  m_frame->UpdateQualityLabel();
  Click(L"Button_More");
  m_frame->GetPaintManager().UpdateLayout();
  const DuiLib::RECT more = Find(L"Button_More")->GetPos();
  const DuiLib::RECT menu = Find(L"VideoSetting")->GetPos();
  const DuiLib::RECT label = Find(L"Label_VideoSpeedShow")->GetPos();
  EXPECT_EQ(menu.right, more.right);
  EXPECT_GE(menu.top, 40);
  EXPECT_LT(menu.top, 48);
  EXPECT_LT(label.right, more.left);
  EXPECT_EQ(label.Height(), 24);
  const QString dir = QString::fromUtf8(ZV_BINARY_DIR) + "/ui_frame_shots";
  QDir().mkpath(dir);
  m_hwnd->grab().save(dir + "/quality_menu.png");
}

struct LabelCase {
  int inSession;
  int network;
  int quality;
  bool visible;
  const wchar_t* text;
  const wchar_t* image;
};

TEST_F(FrameTest, QualityLabelShowsNetworkAndQualityDuringASession) {
  DuiLib::CControlUI* label = Find(L"Label_VideoSpeedShow");
  ASSERT_NE(label, nullptr);
  const LabelCase cases[] = {
      {1, 0, 0, true, L"高 清", L"\\VideoSpeedShow\\green.png"},
      {1, 1, 1, true, L"普 通", L"\\VideoSpeedShow\\yellow.png"},
      {1, 2, 2, true, L"高 速", L"\\VideoSpeedShow\\red.png"},
      {1, 9, 3, true, L"极 速", L"\\VideoSpeedShow\\red.png"},  // an unknown level keeps the last image
      {1, 0, 7, false, nullptr, nullptr},
      {0, 0, 0, false, nullptr, nullptr},
  };
  for (const LabelCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.network) + "/" + std::to_string(c.quality) + "/" +
                 std::to_string(c.inSession));
    zv::CAppContext::Instance().networkLevel = c.network;
    zv::CAppContext::Instance().qualityLevel = c.quality;
    if (c.inSession)
      OpenDevice();
    else
      m_frame->EndDeviceSession(false);
    m_frame->UpdateQualityLabel();
    EXPECT_EQ(label->IsVisible(), c.visible);
    if (c.text) {
      EXPECT_EQ(label->GetText(), c.text);
    }
    if (c.image) {
      EXPECT_EQ(label->GetBkImage(), c.image);
    }
  }
  // The network indicator event updates it too.
  OpenDevice();
  zv::CAppContext::Instance().qualityLevel = 0;
  zv::CAppContext::Instance().networkLevel = 1;
  Send(zv::UWM_NETWORK_LEVEL, 1);
  EXPECT_EQ(label->GetBkImage(), L"\\VideoSpeedShow\\yellow.png");
  zv::CAppContext::Instance().networkLevel = 0;
}

TEST_F(FrameTest, MoreButtonLooksFollowTheSessionAndAutomaticQuality) {
  auto* more = static_cast<DuiLib::CButtonUI*>(Find(L"Button_More")->GetInterface(L"Button"));
  ASSERT_NE(more, nullptr);
  struct Case {
    int inSession;
    int autoQuality;
    bool enabled;
    const wchar_t* normal;
    const wchar_t* pushed;
  } cases[] = {
      {1, 0, true, L"\\VideoSpeedShow\\VideoSettingButton.png",
       L"\\VideoSpeedShow\\VideoSettingButton_Active.png"},
      {1, 1, false, L"\\VideoSpeedShow\\VideoSettingButton.png",
       L"\\VideoSpeedShow\\VideoSettingButton_Active.png"},
      {0, 1, false, L"morebutton.png", L"morebutton_choose.png"},  // out of a session the enabled state stays
  };
  for (const Case& c : cases) {
    zv::CAppContext::Instance().autoQuality = c.autoQuality;
    if (c.inSession)
      OpenDevice();
    else
      m_frame->EndDeviceSession(false);
    m_frame->UpdateMoreButton();
    EXPECT_EQ(more->IsEnabled(), c.enabled);
    EXPECT_EQ(more->GetNormalImage(), c.normal);
    EXPECT_EQ(more->GetHotImage(), c.normal);
    EXPECT_EQ(more->GetPushedImage(), c.pushed);
  }
  EXPECT_FALSE(Find(L"VideoSetting")->IsVisible());
  zv::CAppContext::Instance().autoQuality = 0;
}

TEST_F(FrameTest, BackKeyIsSentOnlyInASessionWithoutTheOverlay) {
  // Without a connection the control session sends nothing; here only the frame's
  // guard is visible: no crash and no state change.
  Click(L"Button_Back");
  OpenDevice();
  Click(L"Button_Back");
  EXPECT_EQ(m_frame->InSession(), 1);
}

TEST_F(FrameTest, EscapeAndEnterAreSwallowed) {
  for (DuiLib::WPARAM key : {DuiLib::VK_ESCAPE, DuiLib::VK_RETURN}) {
    bool handled = false;
    EXPECT_EQ(m_frame->MessageHandler(DuiLib::WM_KEYDOWN, key, 0, handled), 0);
    EXPECT_TRUE(handled);
  }
  bool handled = false;
  m_frame->MessageHandler(DuiLib::WM_KEYDOWN, DuiLib::VK_TAB, 0, handled);
  EXPECT_FALSE(handled);

  // A real Escape at the window leaves it open.
  DuiLib::PostMessage(m_hwnd, DuiLib::WM_KEYDOWN, DuiLib::VK_ESCAPE, 0);
  Pump(100);
  EXPECT_TRUE(DuiLib::IsWindow(m_hwnd));
  EXPECT_TRUE(DuiLib::IsWindowVisible(m_hwnd));
}

TEST_F(FrameTest, TrayIconTogglesTheWindowOnLeftClicks) {
  ASSERT_TRUE(m_tray->shown);
  EXPECT_EQ(m_tray->tip, L"Zelvane");
  ASSERT_TRUE(m_tray->click);
  ASSERT_TRUE(DuiLib::IsWindowVisible(m_hwnd));
  m_tray->click(zv::ITrayBackend::Click::Left);
  ASSERT_TRUE(PumpUntil([this] { return !DuiLib::IsWindowVisible(m_hwnd); }));
  m_tray->click(zv::ITrayBackend::Click::Left);
  ASSERT_TRUE(PumpUntil([this] { return DuiLib::IsWindowVisible(m_hwnd); }));
  // Other mouse events on the icon do nothing.
  m_tray->click(zv::ITrayBackend::Click::Right);
  m_tray->click(zv::ITrayBackend::Click::Double);
  Pump(100);
  EXPECT_TRUE(DuiLib::IsWindowVisible(m_hwnd));
}

TEST_F(FrameTest, MinimiseGoesThroughTheTrayAndOneClickBringsItBack) {
  Click(L"minbtn");
  Pump(50);
  EXPECT_TRUE(!DuiLib::IsWindowVisible(m_hwnd) || m_hwnd->isMinimized());
  m_tray->click(zv::ITrayBackend::Click::Left);
  EXPECT_TRUE(PumpUntil([this] { return DuiLib::IsWindowVisible(m_hwnd) && !m_hwnd->isMinimized(); }));
}

TEST_F(FrameTest, BandwidthAndQualityEventsShowBalloons) {
  Send(zv::UWM_LOW_BANDWIDTH);
  Send(zv::UWM_QUALITY_CHANGED, 2);
  Send(zv::UWM_QUALITY_CHANGED, 5);
  ASSERT_EQ(m_tray->balloons.size(), 3u);
  EXPECT_EQ(m_tray->balloons[0].text, L"您的带宽不足，这可能会影响您的画质效果！");
  EXPECT_EQ(m_tray->balloons[0].kind, 2);
  EXPECT_EQ(m_tray->balloons[0].timeoutMs, 10000);
  EXPECT_EQ(m_tray->balloons[1].text, L"正在为您更改画面质量，当前画质为高速");
  EXPECT_EQ(m_tray->balloons[1].kind, 1);
  EXPECT_EQ(m_tray->balloons[2].text, L"正在为您更改画面质量，当前画质为");
  for (const auto& b : m_tray->balloons) EXPECT_EQ(b.title, L"Zelvane");
}

TEST_F(FrameTest, CloseButtonClosesTheWindowAndRemovesTheTrayIcon) {
  Click(L"closebtn");
  ASSERT_TRUE(PumpUntil([this] { return !DuiLib::IsWindow(m_hwnd); }));
  EXPECT_FALSE(m_tray->shown);
  EXPECT_TRUE(m_journal.Has("panel.CloseNoticeWindow"));
}

QJsonObject AutomationState(const QString& path) {
  QLocalSocket socket;
  socket.connectToServer(path);
  if (!PumpUntil([&] { return socket.state() == QLocalSocket::ConnectedState; })) return {};
  socket.write("{\"cmd\":\"state\"}\n");
  socket.flush();
  QByteArray line;
  PumpUntil([&] {
    line += socket.readAll();
    return line.contains('\n');
  });
  return QJsonDocument::fromJson(line.left(line.indexOf('\n'))).object();
}

TEST_F(FrameTest, AutomationStateReportsTheFrameTheModelAndTheBalloons) {
  const QString path = QString("/tmp/zv-frame-automation-%1.sock").arg(getpid());
  ASSERT_TRUE(DuiLib::CAutomationServer::Start(path));
  zv::CAppContext& model = zv::CAppContext::Instance();
  model.userName = "demo";
  model.qualityLevel = 2;
  model.currentPadCode = "PAD-1";
  LogIn();
  OpenDevice();
  m_tick = 300000;
  Send(zv::UWM_QUALITY_CHANGED, 2);

  const QJsonObject state = AutomationState(path);
  const QJsonObject frame = state["frame"].toObject();
  EXPECT_EQ(frame["loggedIn"].toInt(), 1);
  EXPECT_EQ(frame["inSession"].toInt(), 1);
  EXPECT_EQ(frame["overlayShown"].toInt(), 0);
  EXPECT_EQ(frame["loginTab"].toInt(), 2);
  EXPECT_EQ(frame["accountTab"].toInt(), 0);
  const QJsonObject modelState = state["model"].toObject();
  EXPECT_EQ(modelState["userName"].toString(), QString("demo"));
  EXPECT_EQ(modelState["qualityLevel"].toInt(), 2);
  EXPECT_EQ(modelState["currentPadCode"].toString(), QString("PAD-1"));
  const QJsonArray balloons = state["balloons"].toArray();
  ASSERT_EQ(balloons.size(), 1);
  EXPECT_EQ(balloons[0].toObject()["text"].toString(),
            QString::fromStdWString(L"正在为您更改画面质量，当前画质为高速"));
  EXPECT_EQ(balloons[0].toObject()["timeout"].toInt(), 10000);

  // A closed frame leaves no fields that would read it.
  m_frame->Close();
  ASSERT_TRUE(PumpUntil([this] { return !DuiLib::IsWindow(m_hwnd); }));
  EXPECT_FALSE(AutomationState(path).contains("frame"));
  DuiLib::CAutomationServer::Stop();
  model.userName.clear();
  model.currentPadCode.clear();
  model.qualityLevel = 0;
}

}  // namespace
}  // namespace zvtest
