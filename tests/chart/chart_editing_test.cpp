// Panes shown, removed and moved, charts added and removed, display switches,
// and the right margin dragged across date links.
#include "chart/chart_editing.h"

#include <gtest/gtest.h>

#include <vector>

#include "chart/chart_hooks.h"
#include "chart/chart_selection.h"
#include "window/drag_modes.h"
#include "platform/posix_recorder.h"
#include "common/command_ids.h"
#include "shell/commands.h"
#include "shell/settings.h"
#include "tests/chart/linked_charts_fixture.h"
#include "tests/support/row.h"

namespace {

class ChartEditingTest : public LinkedChartsTest {
 protected:
  void SetUp() override {
    LinkedChartsTest::SetUp();
    ClearChartWindowHooks();
    gChartHooks.refillChartLists = [](int chart) { refilled_.push_back(chart); };
    refilled_.clear();
    for (int i = 0; i < 3; ++i) {
      View(i).paneCount = 3;
      for (int p = 0; p < 3; ++p) {
        View(i).paneKinds[p] = kStartKinds[p];
        View(i).paneFlags[p] = static_cast<uint32_t>(0x10 + p);
      }
    }
    gSelectedChart = 1;
    gSelectedPane = -1;
  }

  static constexpr PaneKind kStartKinds[] = {kPaneCandles, kPaneVolume, kPaneRsi};

  static std::vector<uint32_t> Kinds(int chart) {
    return {View(chart).paneKinds, View(chart).paneKinds + View(chart).paneCount};
  }

  static std::vector<int> refilled_;
};
std::vector<int> ChartEditingTest::refilled_;

TEST_F(ChartEditingTest, APaneKindIsInsertedBelowTheSelectedPaneAndRemovedWhenShown) {
  gSelectedPane = 0;
  EXPECT_EQ(OnMainCommand(nullptr, IDM_PANE_OBV), 1);
  EXPECT_EQ(Kinds(1), (std::vector<uint32_t>{kPaneCandles, kPaneObv, kPaneVolume, kPaneRsi}));
  EXPECT_EQ(View(1).paneFlags[1], 1u) << "a new pane starts with flags 1";
  EXPECT_EQ(View(1).paneFlags[2], 0x11u) << "flags move with their kinds";
  EXPECT_EQ(gSelectedPane, 1);

  EXPECT_EQ(OnMainCommand(nullptr, IDM_PANE_VOLUME), 1);  // shown: removed
  EXPECT_EQ(Kinds(1), (std::vector<uint32_t>{kPaneCandles, kPaneObv, kPaneRsi}));
  EXPECT_EQ(Kinds(0), (std::vector<uint32_t>{kPaneCandles, kPaneVolume, kPaneRsi})) << "other charts untouched";

  gSelectedPane = -1;
  ToggleChartPane(kPaneAdvanceDecline);
  EXPECT_EQ(Kinds(1)[0], uint32_t{kPaneAdvanceDecline}) << "with no pane selected the new pane goes on top";
}

TEST_F(ChartEditingTest, TwelvePanesAreTheMostAndAShownKindStillGoes) {
  View(1).paneCount = 12;
  for (int p = 0; p < 12; ++p) View(1).paneKinds[p] = static_cast<uint32_t>(p);
  EXPECT_EQ(ToggleChartPane(kPaneVolumeRatio), 0);
  EXPECT_EQ(View(1).paneCount, 12);
  const auto boxes = TakeRecordedMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("最大12個"), std::string::npos);

  ToggleChartPane(kPaneDeviation);
  EXPECT_EQ(View(1).paneCount, 11);
  EXPECT_EQ(FindPaneByKind(kPaneDeviation), -1);
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

TEST_F(ChartEditingTest, WithoutASelectedChartPaneCommandsDoNothing) {
  gSelectedChart = -1;
  gSelectedPane = 0;
  ToggleChartPane(kPaneObv);
  RemoveSelectedPane();
  MoveSelectedPane(kPaneToBottom);
  TogglePaneFlagBit(3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Kinds(i), (std::vector<uint32_t>{kPaneCandles, kPaneVolume, kPaneRsi})) << i;
}

TEST_F(ChartEditingTest, PanesMoveWithTheirFlagsAndTheSelectionFollows) {
  gSelectedPane = 2;
  MoveSelectedPane(kPaneToTop);
  EXPECT_EQ(Kinds(1), (std::vector<uint32_t>{kPaneRsi, kPaneCandles, kPaneVolume}));
  EXPECT_EQ(View(1).paneFlags[0], 0x12u);
  EXPECT_EQ(gSelectedPane, 0);
  MoveSelectedPane(kPaneUp);  // already on top
  EXPECT_EQ(Kinds(1), (std::vector<uint32_t>{kPaneRsi, kPaneCandles, kPaneVolume}));
  MoveSelectedPane(kPaneDown);
  EXPECT_EQ(Kinds(1), (std::vector<uint32_t>{kPaneCandles, kPaneRsi, kPaneVolume}));
  MoveSelectedPane(kPaneToBottom);
  EXPECT_EQ(Kinds(1), (std::vector<uint32_t>{kPaneCandles, kPaneVolume, kPaneRsi}));
  EXPECT_EQ(gSelectedPane, 2);
  MoveSelectedPane(kPaneDown);  // already last
  EXPECT_EQ(gSelectedPane, 2);

  gSelectedPane = 0;
  OnMainCommand(nullptr, IDM_PANE_REMOVE);
  EXPECT_EQ(Kinds(1), (std::vector<uint32_t>{kPaneVolume, kPaneRsi}));
  EXPECT_EQ(gSelectedPane, -1) << "removing the top pane leaves none selected";
}

TEST_F(ChartEditingTest, PaneFlagBitsFlipModulo32) {
  gSelectedPane = 1;
  OnMainCommand(nullptr, IDM_PANE_FLAG_FIRST + 15);
  EXPECT_EQ(View(1).paneFlags[1], (0x11u | kPaneFlagLogScale));
  OnMainCommand(nullptr, IDM_PANE_FLAG_FIRST + 47);  // 47 mod 32 = 15
  EXPECT_EQ(View(1).paneFlags[1], 0x11u);
}

TEST_F(ChartEditingTest, AddingCopiesTheSelectedViewWithoutLinksUpToThreeCharts) {
  ScreenPattern& pattern = CurrentScreenPattern();
  pattern.chartCount = 2;
  View(1).dateLink = 1;
  View(1).stockLink = 1;
  View(1).groupIndex = 9;
  OnMainCommand(nullptr, IDM_ADD_CHART);
  ASSERT_EQ(pattern.chartCount, 3);
  EXPECT_EQ((std::vector<int>{View(2).groupIndex, View(2).dateLink, View(2).stockLink}), (std::vector<int>{9, 0, 0}));
  EXPECT_EQ(View(2).stockCode, stocks_[1]);
  EXPECT_EQ(refilled_, std::vector<int>{2});

  OnMainCommand(nullptr, IDM_ADD_CHART);
  EXPECT_EQ(pattern.chartCount, 3) << "a fourth chart is refused";
}

TEST_F(ChartEditingTest, RemovingAChartKeepsItsViewAndRefillsEveryListThatMoved) {
  ScreenPattern& pattern = CurrentScreenPattern();
  View(0).groupIndex = 1;
  View(1).groupIndex = 2;
  View(2).groupIndex = 3;
  gSelectedChart = 0;
  OnMainCommand(nullptr, IDM_REMOVE_CHART);
  ASSERT_EQ(pattern.chartCount, 2);
  EXPECT_EQ((std::vector<int>{View(0).groupIndex, View(1).groupIndex, View(2).groupIndex}), (std::vector<int>{2, 3, 1}))
      << "the removed view kept unshown in the last slot";
  EXPECT_EQ(View(0).stockCode, stocks_[1]);
  EXPECT_EQ(Series(0).code, stocks_[1]) << "reloaded";
  EXPECT_EQ(refilled_, (std::vector<int>{0, 1})) << "each shown chart's lists show its new view";
  EXPECT_EQ(gSelectedChart + gSelectedPane, -1);

  gSelectedChart = 1;
  OnMainCommand(nullptr, IDM_REMOVE_CHART);
  EXPECT_EQ(pattern.chartCount, 1);
  gSelectedChart = 0;
  OnMainCommand(nullptr, IDM_REMOVE_CHART);
  EXPECT_EQ(pattern.chartCount, 1) << "the last chart stays";
}

TEST_F(ChartEditingTest, DisplaySwitchesFlipTheirSettingsAndReportTheirState) {
  gShowGroupList = 1;
  gSettings.hideAverageLineValues = 0;
  EXPECT_TRUE(IsDisplaySwitchOn(IDM_GROUP_LIST));
  EXPECT_EQ(OnMainCommand(nullptr, IDM_GROUP_LIST), 1);
  EXPECT_EQ(gShowGroupList, 0);
  EXPECT_FALSE(IsDisplaySwitchOn(IDM_GROUP_LIST));
  EXPECT_TRUE(IsDisplaySwitchOn(IDM_AVERAGE_LINE_VALUES)) << "values shown while the hide flag is off";
  OnMainCommand(nullptr, IDM_AVERAGE_LINE_VALUES);
  EXPECT_EQ(gSettings.hideAverageLineValues, 1);
  gShowSplitAdjusted = 0;
  OnMainCommand(nullptr, IDM_SPLIT_ADJUSTED);
  EXPECT_EQ(gShowSplitAdjusted, 1);
  EXPECT_FALSE(ToggleDisplaySwitch(IDM_PANE_OBV));
}

TEST_F(ChartEditingTest, TheRightMarginFollowsDateLinksBothWays) {
  View(0).dateLink = 1;  // 0 and 1 coupled, 2 not
  for (int i = 0; i < 3; ++i) View(i).rightMargin = 32;
  EXPECT_TRUE(SetChartRightMargin(1, 60));
  EXPECT_EQ((std::vector<int>{View(0).rightMargin, View(1).rightMargin, View(2).rightMargin}),
            (std::vector<int>{60, 60, 32}));
  EXPECT_FALSE(SetChartRightMargin(1, 60)) << "unchanged";
}

// The detail splitter stops at half the client and 100 pixels before its right edge.
TEST(DragLimitsTest, SplittersAndMarginsStayInTheirBounds) {
  EXPECT_EQ((std::vector<int>{GroupListWidthForDrag(250, 1000), GroupListWidthForDrag(20, 1000),
                              GroupListWidthForDrag(900, 1000), DetailListWidthForDrag(700, 1000),
                              DetailListWidthForDrag(100, 1000), DetailListWidthForDrag(990, 1000),
                              RightMarginForDrag(32, 500, 480, 1000), RightMarginForDrag(32, 500, 600, 1000),
                              RightMarginForDrag(32, 500, -100000, 1000)}),
            (std::vector<int>{250, 100, 500, 298, 498, 98, 52, 1, 500}));
  const Rect chart = {0, 0, 800, 400};
  EXPECT_EQ(Ltrb(WidenedMarginHandle({780, 10, 787, 100}, chart)), (Ltrb4{768, 10, 799, 100}));
  EXPECT_EQ(WidenedMarginHandle({0, 0, 0, 0}, chart).right, 0);
}

}  // namespace
