// The waiting page: queue labels, the bar measured against the longest queue seen, and
// the queue animation its own factory builds.
#include <gtest/gtest.h>

#include "tests/pages_player/player_host.h"
#include "toolkit/ui_button_gif.h"
#include "toolkit/ui_progress.h"

namespace zv::test {
namespace {

class WaitingPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_host.Open();
    ASSERT_NE(m_host.waiting, nullptr);
    m_page = m_host.waiting;
  }
  int Bar() { return static_cast<DuiLib::CProgressUI*>(m_host.Find(L"Progress_Waiting"))->GetValue(); }
  std::wstring Text(const wchar_t* name) { return m_host.Find(name)->GetText(); }

  CPageHost m_host{L"WaitingPageWindow"};
  zv::pages::CWaitingPageUI* m_page = nullptr;
};

TEST_F(WaitingPageTest, QueueShrinkingFillsTheBar) {
  struct Report {
    int length, minutes, progress;
  } reports[] = {{10, 20, 0}, {8, 16, 20}, {3, 6, 70}, {0, 0, 100}, {12, 24, 0}, {6, 12, 50}};
  for (const Report& r : reports) {
    m_page->UpdateQueue(r.length, r.minutes);
    EXPECT_EQ(Bar(), r.progress) << r.length;
    EXPECT_EQ(Text(L"Label_Waiting_Count"), L"当前排队人数  " + std::to_wstring(r.length) + L" 人");
    EXPECT_EQ(Text(L"Label_Waiting_Time"), L"预计剩余时间  " + std::to_wstring(r.minutes) + L" 分钟");
  }
  EXPECT_EQ(m_page->Largest(), 12);
}

TEST_F(WaitingPageTest, FirstReportOfAnEmptyQueueIsAFullBar) {
  m_page->UpdateQueue(0, 0);
  EXPECT_EQ(Bar(), 100);
  EXPECT_EQ(m_page->Largest(), 0);
  m_page->UpdateQueue(4, 8);
  EXPECT_EQ(Bar(), 0);
}

TEST_F(WaitingPageTest, PageIsBuiltWithItsNamesAndTheQueueAnimation) {
  EXPECT_EQ(m_page->GetName(), L"WaitingPageWindow");
  ASSERT_NE(m_page->QueueAnimation(), nullptr);
  EXPECT_EQ(m_page->QueueAnimation()->GetClass(), L"ButtonGifUI");
  EXPECT_GE(m_page->QueueAnimation()->GetFrameCount(), 1);
  DuiLib::CControlUI* card = m_host.Find(L"waitingqueue");
  ASSERT_NE(card, nullptr);
  // Centred on the page (960 x 660 at (16, 50)).
  const DuiLib::RECT& rc = card->GetPos();
  EXPECT_EQ(rc.left + rc.right, 2 * (16 + 480));
  EXPECT_EQ(rc.top + rc.bottom, 2 * (50 + 330));
  EXPECT_EQ(m_host.Find(L"Progress_Waiting")->GetWidth(), 400);
}

}  // namespace
}  // namespace zv::test
