#include <gtest/gtest.h>

#include "tests/player/quality_fixture.h"

namespace zv {
namespace {

using Events = std::vector<std::pair<uint32_t, uintptr_t>>;
using Log = std::vector<std::string>;

class QualityControllerTest : public test::QualityFixture {
 protected:
  void SetUp() override {
    QualityFixture::SetUp();
    quality.SetQualitySender(Sender());
  }
  void Count(int packets) {
    for (int i = 0; i < packets; ++i) quality.CountVideoPacket();
  }
  CQualityController quality{&timers};
};

TEST_F(QualityControllerTest, StepQualityTable) {
  const Log rearm = {"kill auto", "arm auto 10000"};
  struct Case {
    bool automatic;
    bool allowed;
    int32_t level;
    int direction;
    bool changed;
    int32_t after;
    Log timerOps;
  } cases[] = {
      {false, true, 1, 1, false, 1, {"kill auto"}},  // manual mode never steps
      {false, true, 1, 0, false, 1, {"kill auto"}},
      {true, true, 1, 1, true, 2, rearm},
      {true, true, 2, 0, true, 1, rearm},
      {true, false, 1, 1, false, 1, rearm},  // refused, still re-armed
      {true, true, 3, 1, false, 3, rearm},
      {true, true, 0, 0, false, 0, rearm},
      {true, true, 5, 0, false, 5, rearm},
      {true, true, -1, 1, false, -1, rearm},
      {true, true, 0, 1, true, 1, rearm},
      {true, true, 3, 0, true, 2, rearm},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SetModel(c.level, c.automatic, NETWORK_GREEN);
    if (c.allowed) quality.AllowChange();
    if (!c.allowed) {
      quality.AllowChange();
      SetModel(0, true, NETWORK_GREEN);
      quality.StepQuality(1);  // uses the permission up
      SetModel(c.level, c.automatic, NETWORK_GREEN);
      timers.Take();
      Posted();
    }
    size_t sentBefore = Sent().size();
    EXPECT_EQ(quality.StepQuality(c.direction), c.changed) << i;
    EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), c.after) << i;
    EXPECT_EQ(timers.Take(), c.timerOps) << i;
    Events posted = Posted();
    if (c.changed) {
      EXPECT_EQ(posted, (Events{{UWM_QUALITY_CHANGED, static_cast<uintptr_t>(c.after)}})) << i;
      ASSERT_EQ(Sent().size(), sentBefore + 1) << i;
      EXPECT_EQ(Sent().back(), c.after) << i;
      EXPECT_FALSE(quality.ChangeAllowed()) << i;
    } else {
      EXPECT_TRUE(posted.empty()) << i;
      EXPECT_EQ(Sent().size(), sentBefore) << i;
    }
  }
}

TEST_F(QualityControllerTest, TwoStrainSignalsStepOnceUntilTheNextSequenceHeader) {
  SetModel(0, true, NETWORK_GREEN);
  EXPECT_TRUE(quality.StepQuality(1));
  EXPECT_FALSE(quality.StepQuality(1));
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 1);
  quality.AllowChange();
  EXPECT_TRUE(quality.StepQuality(1));
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 2);
  EXPECT_EQ(Sent(), (std::vector<int32_t>{1, 2}));
}

TEST_F(QualityControllerTest, NetworkLevelThresholds) {
  struct Case {
    int packets;
    int32_t level;
  } cases[] = {{46, NETWORK_GREEN}, {45, NETWORK_YELLOW}, {25, NETWORK_YELLOW}, {24, NETWORK_RED}, {0, NETWORK_RED}, {200, NETWORK_GREEN}};
  for (const Case& c : cases) {
    SetModel(3, false, c.level == NETWORK_GREEN ? NETWORK_RED : NETWORK_GREEN);
    Count(c.packets);
    quality.SampleNetwork();
    EXPECT_EQ(CAppContext::Instance().networkLevel.load(), c.level) << c.packets;
    EXPECT_EQ(Posted(), (Events{{UWM_NETWORK_LEVEL, static_cast<uintptr_t>(c.level)}})) << c.packets;
    EXPECT_EQ(quality.VideoPackets(), 0) << c.packets;
    timers.Take();
  }
}

TEST_F(QualityControllerTest, UnchangedLevelPostsNothingAndRedAsksForAStepDown) {
  SetModel(1, true, NETWORK_YELLOW);
  Count(30);
  quality.SampleNetwork();
  EXPECT_TRUE(Posted().empty());
  EXPECT_TRUE(timers.Take().empty());

  Count(24);
  quality.SampleNetwork();
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 2);
  EXPECT_EQ(Posted(), (Events{{UWM_NETWORK_LEVEL, NETWORK_RED}, {UWM_QUALITY_CHANGED, 2}}));

  // Red at the lowest quality changes nothing but still re-arms the raise timer.
  SetModel(3, true, NETWORK_RED);
  quality.AllowChange();
  timers.Take();
  quality.SampleNetwork();
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 3);
  EXPECT_TRUE(Posted().empty());
  EXPECT_EQ(timers.Take(), (Log{"kill auto", "arm auto 10000"}));
}

TEST_F(QualityControllerTest, AutoTimerRaisesOnlyOnGreenAndOncePerSequenceHeader) {
  SetModel(3, true, NETWORK_YELLOW);
  quality.OnAutoQualityTimer();
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 3);
  EXPECT_TRUE(timers.Take().empty());

  CAppContext::Instance().networkLevel.store(NETWORK_GREEN);
  quality.OnAutoQualityTimer();
  quality.OnAutoQualityTimer();
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 2);
  for (int step = 0; step < 4; ++step) {
    quality.AllowChange();
    quality.OnAutoQualityTimer();
  }
  EXPECT_EQ(CAppContext::Instance().qualityLevel.load(), 0);
  EXPECT_EQ(Sent(), (std::vector<int32_t>{2, 1, 0}));
}

TEST_F(QualityControllerTest, ApplyQualityManualAndAutomatic) {
  SetModel(2, false, NETWORK_GREEN);
  quality.ApplyQuality(2, false);
  EXPECT_EQ(Sent(), (std::vector<int32_t>{2}));
  EXPECT_EQ(Posted(), (Events{{UWM_QUALITY_CHANGED, 2}}));
  EXPECT_TRUE(timers.Take().empty());
  EXPECT_EQ(CAppContext::Instance().autoQuality.load(), 0);

  quality.ApplyQuality(2, true);
  EXPECT_EQ(CAppContext::Instance().autoQuality.load(), 1);
  EXPECT_EQ(timers.Take(), (Log{"kill auto", "arm auto 10000"}));
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_TRUE(Posted().empty());
}

TEST_F(QualityControllerTest, ReaderStartAndEndTimers) {
  SetModel(0, false, NETWORK_GREEN);
  Count(5);
  quality.StepQuality(1);
  timers.Take();
  quality.OnReaderStart();
  EXPECT_EQ(timers.Take(), (Log{"arm sample 5000"}));
  EXPECT_TRUE(quality.ChangeAllowed());
  EXPECT_EQ(quality.VideoPackets(), 0);
  quality.OnReaderEnd();
  EXPECT_TRUE(timers.Take().empty());

  CAppContext::Instance().autoQuality.store(1);
  quality.OnReaderStart();
  EXPECT_EQ(timers.Take(), (Log{"arm auto 10000", "arm sample 5000"}));
  quality.KillSessionTimers();
  EXPECT_EQ(timers.Take(), (Log{"kill auto", "kill sample"}));
}

}  // namespace
}  // namespace zv
