// The video surface of the player page: one buffer per announced size, the picture
// painted upright and unscaled at the target's top-left, what the automation reports.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdlib>

#include "pages/horizontal_layout_target.h"
#include "tests/pages_player/player_host.h"
#include "toolkit/ui_container.h"

namespace zv::test {
namespace {

constexpr int kTargetX = 40;
constexpr int kTargetY = 60;

class PlayerVideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.Open();
    ASSERT_NE(m_host.player, nullptr);
    m_page = m_host.player;
  }
  // A frame on the video tab, as after a device without an ad.
  void ShowFrame(CTestPicture& picture) {
    m_page->OnVideoSize(picture.Width(), picture.Height());
    m_page->OnVideoFrame(picture.Frame());
  }

  CPageHost m_host;
  zv::pages::CShowPlayerUI* m_page = nullptr;
};

TEST_F(PlayerVideoTest, SkinPlacesTheTargetUnderTheSwitchAndBuildsThePage) {
  EXPECT_EQ(m_page->GetName(), L"ShowPlayerWindow");
  DuiLib::CControlUI* target = m_host.Find(L"PadPlayingVedioShow");
  DuiLib::CControlUI* sw = m_host.Find(L"Player_switch");
  ASSERT_NE(target, nullptr);
  ASSERT_NE(sw, nullptr);
  EXPECT_EQ(target->GetPos(), (DuiLib::RECT{kTargetX, kTargetY, kTargetX + 360, kTargetY + 640}));
  EXPECT_EQ(sw->GetPos(), target->GetPos());
  EXPECT_NE(m_host.Find(L"PlayingAd_webBrowser"), nullptr);
  EXPECT_NE(m_host.Find(L"Button_Back"), nullptr);
  EXPECT_NE(m_host.Find(L"Button_MainMenu"), nullptr);
  EXPECT_FALSE(m_page->FrameReceived());
}

TEST_F(PlayerVideoTest, LargePictureShowsItsTopLeftUnscaledAndUpright) {
  CTestPicture picture(720, 1280);
  picture.FillWithCoordinates();
  ShowFrame(picture);
  EXPECT_EQ(m_page->PlayerTab(), zv::pages::CShowPlayerUI::kVideoTab);
  QImage shot = m_host.Grab();
  const int points[][2] = {{0, 0}, {1, 0}, {0, 1}, {359, 0}, {0, 639}, {359, 639}, {123, 456}, {300, 17}};
  for (const auto& p : points) {
    EXPECT_EQ(shot.pixelColor(kTargetX + p[0], kTargetY + p[1]), CTestPicture::CoordinateColor(p[0], p[1]))
        << "picture point " << p[0] << "," << p[1];
  }
  // Nothing of the picture beyond the target: the page's own background is there.
  EXPECT_EQ(shot.pixelColor(kTargetX + 361, kTargetY + 300), QColor(0xF3, 0xF5, 0xF9));
  EXPECT_EQ(shot.pixelColor(kTargetX + 100, kTargetY + 645), QColor(0xF3, 0xF5, 0xF9));
  EXPECT_EQ(m_page->FramesShown(), 1);
}

TEST_F(PlayerVideoTest, SmallPictureSitsAtTheTopLeftOnBlack) {
  CTestPicture picture(100, 50);
  picture.Fill(0x22, 0xB5, 0x73);
  picture.Set(0, 0, 0xFF, 0xFF, 0xFF);
  ShowFrame(picture);
  QImage shot = m_host.Grab();
  EXPECT_EQ(shot.pixelColor(kTargetX, kTargetY), QColor(0xFF, 0xFF, 0xFF));
  EXPECT_EQ(shot.pixelColor(kTargetX + 99, kTargetY + 49), QColor(0x22, 0xB5, 0x73));
  EXPECT_EQ(shot.pixelColor(kTargetX + 100, kTargetY + 10), QColor(0, 0, 0));
  EXPECT_EQ(shot.pixelColor(kTargetX + 10, kTargetY + 50), QColor(0, 0, 0));
}

TEST_F(PlayerVideoTest, FrameBeforeAnySizeIsDroppedButCounts) {
  CTestPicture picture(360, 640);
  picture.Fill(0xFF, 0xFF, 0xFF);
  m_page->OnVideoFrame(picture.Frame());
  EXPECT_TRUE(m_page->FrameReceived());
  QImage shot = m_host.Grab();
  EXPECT_EQ(shot.pixelColor(kTargetX + 5, kTargetY + 5), QColor(0, 0, 0));
  EXPECT_EQ(m_page->FramesShown(), 0);
}

TEST_F(PlayerVideoTest, FrameOfAnotherSizeThanAnnouncedIsNotRead) {
  m_page->OnVideoSize(360, 640);
  CTestPicture small(100, 100);
  small.Fill(0xFF, 0xFF, 0xFF);
  m_page->OnVideoFrame(small.Frame());
  EXPECT_TRUE(m_page->FrameReceived());
  QImage shot = m_host.Grab();
  EXPECT_EQ(shot.pixelColor(kTargetX + 5, kTargetY + 5), QColor(0, 0, 0));
  EXPECT_EQ(m_page->FramesShown(), 0);
}

TEST_F(PlayerVideoTest, NewSizeReplacesTheBufferAndTheLastPictureWithIt) {
  CTestPicture first(360, 640);
  first.Fill(0xFF, 0, 0);
  ShowFrame(first);
  m_page->OnVideoSize(180, 320);
  QImage shot = m_host.Grab();
  EXPECT_EQ(shot.pixelColor(kTargetX + 5, kTargetY + 5), QColor(0, 0, 0));
  CTestPicture second(180, 320);
  second.Fill(0, 0, 0xFF);
  m_page->OnVideoFrame(second.Frame());
  shot = m_host.Grab();
  EXPECT_EQ(shot.pixelColor(kTargetX + 5, kTargetY + 5), QColor(0, 0, 0xFF));
  EXPECT_EQ(shot.pixelColor(kTargetX + 200, kTargetY + 5), QColor(0, 0, 0));
  EXPECT_EQ(m_page->PictureWidth(), 180);
  EXPECT_EQ(m_page->FramesShown(), 1);  // the first picture went before it was painted
}

TEST_F(PlayerVideoTest, LeavingTheSessionStopsThePicture) {
  CTestPicture picture(360, 640);
  picture.Fill(0xFF, 0xFF, 0xFF);
  ShowFrame(picture);
  m_page->SetFrameReceived(false);
  QImage shot = m_host.Grab();
  EXPECT_EQ(shot.pixelColor(kTargetX + 5, kTargetY + 5), QColor(0, 0, 0));
}

// Each frame counts once, when a paint actually puts it on the screen.
TEST_F(PlayerVideoTest, FramesAreCountedWhenPainted) {
  CTestPicture picture(360, 640);
  m_page->OnVideoSize(360, 640);
  m_page->OnVideoFrame(picture.Frame());
  EXPECT_EQ(m_page->FramesShown(), 0);
  ASSERT_TRUE(PumpUntil([&] { return m_page->FramesShown() == 1; }));
  EXPECT_GT(m_page->LastFrameShownMs(), 0);
  m_host.Grab();
  EXPECT_EQ(m_page->FramesShown(), 1);  // the same frame painted again
  m_page->OnVideoFrame(picture.Frame());
  m_page->OnVideoFrame(picture.Frame());
  ASSERT_TRUE(PumpUntil([&] { return m_page->FramesShown() >= 2; }));
  Pump(50);
  EXPECT_LE(m_page->FramesShown(), 3);
  EXPECT_EQ(m_page->RecentFrames().size(), static_cast<size_t>(m_page->FramesShown()));
  EXPECT_FALSE(m_page->RecentFrames().back().hasMarker);  // no marker search without automation
}

TEST(PlayerMarker, RedDiscIsFoundAtThePointerPointUnderAutomation) {
  setenv("ZELVANE_AUTOMATION", "/nonexistent/for-the-marker-search", 1);
  CPageHost host;
  host.Open();
  unsetenv("ZELVANE_AUTOMATION");
  ASSERT_NE(host.player, nullptr);
  zv::pages::CShowPlayerUI* page = host.player;
  page->OnVideoSize(360, 640);
  struct Case {
    int x, y;
  } cases[] = {{100, 200}, {7, 9}, {354, 634}, {181, 33}};
  for (const Case& c : cases) {
    CTestPicture picture(360, 640);
    picture.Fill(0x30, 0x60, 0xC0);
    // Coding leaves the disc a little off pure red.
    picture.Disc(c.x, c.y, 12, 0xF0, 0x18, 0x20);
    page->OnVideoFrame(picture.Frame());
    host.Grab();
    ASSERT_FALSE(page->RecentFrames().empty());
    const zv::pages::ShownFrame& shown = page->RecentFrames().back();
    ASSERT_TRUE(shown.hasMarker) << c.x << "," << c.y;
    EXPECT_EQ(shown.markerX, c.x);
    EXPECT_EQ(shown.markerY, c.y);
  }
  CTestPicture plain(360, 640);
  plain.Fill(0xE5, 0x48, 0x4D);  // the palette's danger red is not the marker
  page->OnVideoFrame(plain.Frame());
  host.Grab();
  EXPECT_FALSE(page->RecentFrames().back().hasMarker);
  for (int i = 0; i < 40; ++i) {
    page->OnVideoFrame(plain.Frame());
    host.Grab();
  }
  EXPECT_EQ(page->RecentFrames().size(), zv::pages::CShowPlayerUI::kRecentFrames);
  EXPECT_EQ(page->FramesShown(), 45);
}

TEST(PlayerLayoutTarget, DragMovesARectangleWithTheMouseAndEndsOnRelease) {
  CPageHost host;
  zv::pages::CHorizontalLayout_Target* target = nullptr;
  host.extraXml = L"<HorizontalLayout_Target name='drag' float='true' pos='500,600,600,650'/>";
  host.factory = [&](const std::wstring& cls) -> DuiLib::CControlUI* {
    if (cls != L"HorizontalLayout_Target") return nullptr;
    target = new zv::pages::CHorizontalLayout_Target;
    return target;
  };
  host.Open();
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->GetClass(), L"HorizontalLayout_Target");
  EXPECT_EQ(target->GetInterface(L"HorizontalLayout_Target"), target);
  EXPECT_NE(target->GetInterface(L"HorizontalLayout"), nullptr);
  const QColor before = host.Grab().pixelColor(610, 595);
  host.Move(510, 610);
  host.Press(510, 610);
  EXPECT_TRUE(target->IsCaptured());
  host.Move(530, 600);
  EXPECT_EQ(target->DragRect(), (DuiLib::RECT{520, 590, 620, 640}));
  QImage shot = host.Grab();
  // Black at 0xAA over what lies below.
  EXPECT_LT(shot.pixelColor(610, 595).red(), 0x60);
  host.Release(530, 600);
  EXPECT_FALSE(target->IsCaptured());
  shot = host.Grab();
  EXPECT_EQ(shot.pixelColor(610, 595), before);
}

}  // namespace
}  // namespace zv::test
