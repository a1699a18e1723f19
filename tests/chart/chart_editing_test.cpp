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

using Kinds = std::vector<uint32_t>;

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
  static Kinds KindsOf(int chart) { return {View(chart).paneKinds, View(chart).paneKinds + View(chart).paneCount}; }
  static std::vector<int> GroupIndices() { return {View(0).groupIndex, View(1).groupIndex, View(2).groupIndex}; }

  static std::vector<int> refilled_;
};
std::vector<int> ChartEditingTest::refilled_;

TEST_F(ChartEditingTest, APaneKindIsInsertedBelowTheSelectedPaneAndRemovedWhenShown) {
  gSelectedPane = 0;
  EXPECT_EQ(OnMainCommand(nullptr, IDM_PANE_OBV), 1);
  EXPECT_EQ(KindsOf(1), (Kinds{kPaneCandles, kPaneObv, kPaneVolume, kPaneRsi}));
  // A new pane starts with flags 1; flags move with their kinds.
  EXPECT_EQ(Row(View(1).paneFlags[1], View(1).paneFlags[2], gSelectedPane), Row(1, 0x11, 1));

  EXPECT_EQ(OnMainCommand(nullptr, IDM_PANE_VOLUME), 1);  // shown: removed
  EXPECT_EQ(KindsOf(1), (Kinds{kPaneCandles, kPaneObv, kPaneRsi}));
  EXPECT_EQ(KindsOf(0), (Kinds{kPaneCandles, kPaneVolume, kPaneRsi})) << "other charts untouched";

  gSelectedPane = -1;
  ToggleChartPane(kPaneAdvanceDecline);
  EXPECT_EQ(KindsOf(1)[0], uint32_t{kPaneAdvanceDecline}) << "with no pane selected the new pane goes on top";
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
  EXPECT_EQ(Row(View(1).paneCount, FindPaneByKind(kPaneDeviation)), Row(11, -1));
  EXPECT_TRUE(TakeRecordedMessageBoxes().empty());
}

TEST_F(ChartEditingTest, WithoutASelectedChartPaneCommandsDoNothing) {
  gSelectedChart = -1;
  gSelectedPane = 0;
  ToggleChartPane(kPaneObv);
  RemoveSelectedPane();
  MoveSelectedPane(kPaneToBottom);
  TogglePaneFlagBit(3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(KindsOf(i), (Kinds{kPaneCandles, kPaneVolume, kPaneRsi})) << i;
}

TEST_F(ChartEditingTest, PanesMoveWithTheirFlagsAndTheSelectionFollows) {
  gSelectedPane = 2;
  struct Move {
    PaneMove move;
    Kinds kinds;
    int selected;
  };
  const Move moves[] = {
      {kPaneToTop, {kPaneRsi, kPaneCandles, kPaneVolume}, 0},
      {kPaneUp, {kPaneRsi, kPaneCandles, kPaneVolume}, 0},  // already on top
      {kPaneDown, {kPaneCandles, kPaneRsi, kPaneVolume}, 1},
      {kPaneToBottom, {kPaneCandles, kPaneVolume, kPaneRsi}, 2},
      {kPaneDown, {kPaneCandles, kPaneVolume, kPaneRsi}, 2},  // already last
  };
  for (const Move& m : moves) {
    MoveSelectedPane(m.move);
    EXPECT_EQ(KindsOf(1), m.kinds) << m.move;
    EXPECT_EQ(Row(gSelectedPane, View(1).paneFlags[m.selected]), Row(m.selected, 0x12)) << m.move;
  }
  gSelectedPane = 0;
  OnMainCommand(nullptr, IDM_PANE_REMOVE);
  EXPECT_EQ(KindsOf(1), (Kinds{kPaneVolume, kPaneRsi}));
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
  CurrentScreenPattern().chartCount = 2;
  View(1).dateLink = View(1).stockLink = 1;
  View(1).groupIndex = 9;
  OnMainCommand(nullptr, IDM_ADD_CHART);
  EXPECT_EQ(Row(CurrentScreenPattern().chartCount, View(2).groupIndex, View(2).dateLink, View(2).stockLink,
                View(2).stockCode),
            Row(3, 9, 0, 0, stocks_[1]));
  EXPECT_EQ(refilled_, std::vector<int>{2});
  OnMainCommand(nullptr, IDM_ADD_CHART);
  EXPECT_EQ(CurrentScreenPattern().chartCount, 3) << "a fourth chart is refused";
}

TEST_F(ChartEditingTest, RemovingAChartKeepsItsViewAndRefillsEveryListThatMoved) {
  for (int i = 0; i < 3; ++i) View(i).groupIndex = i + 1;
  gSelectedChart = 0;
  OnMainCommand(nullptr, IDM_REMOVE_CHART);
  ASSERT_EQ(CurrentScreenPattern().chartCount, 2);
  EXPECT_EQ(GroupIndices(), (std::vector<int>{2, 3, 1})) << "the removed view kept unshown in the last slot";
  EXPECT_EQ(Row(View(0).stockCode, Series(0).code, gSelectedChart, gSelectedPane), Row(stocks_[1], stocks_[1], 0, -1));
  EXPECT_EQ(refilled_, (std::vector<int>{0, 1})) << "each shown chart's lists show its new view";
  for (int chart : {1, 0}) {
    gSelectedChart = chart;
    OnMainCommand(nullptr, IDM_REMOVE_CHART);
  }
  EXPECT_EQ(CurrentScreenPattern().chartCount, 1) << "the last chart stays";
}

TEST_F(ChartEditingTest, DisplaySwitchesFlipTheirSettingsAndReportTheirState) {
  gShowGroupList = 1;
  gSettings.hideAverageLineValues = 0;
  gShowSplitAdjusted = 0;
  EXPECT_TRUE(IsDisplaySwitchOn(IDM_GROUP_LIST));
  EXPECT_EQ(OnMainCommand(nullptr, IDM_GROUP_LIST), 1);
  EXPECT_FALSE(IsDisplaySwitchOn(IDM_GROUP_LIST));
  EXPECT_TRUE(IsDisplaySwitchOn(IDM_AVERAGE_LINE_VALUES)) << "values shown while the hide flag is off";
  OnMainCommand(nullptr, IDM_AVERAGE_LINE_VALUES);
  OnMainCommand(nullptr, IDM_SPLIT_ADJUSTED);
  EXPECT_EQ(Row(gShowGroupList, gSettings.hideAverageLineValues, gShowSplitAdjusted), Row(0, 1, 1));
  EXPECT_FALSE(ToggleDisplaySwitch(IDM_PANE_OBV));
}

TEST_F(ChartEditingTest, TheRightMarginFollowsDateLinksBothWays) {
  View(0).dateLink = 1;  // 0 and 1 coupled, 2 not
  for (int i = 0; i < 3; ++i) View(i).rightMargin = 32;
  EXPECT_TRUE(SetChartRightMargin(1, 60));
  EXPECT_EQ(Row(View(0).rightMargin, View(1).rightMargin, View(2).rightMargin), Row(60, 60, 32));
  EXPECT_FALSE(SetChartRightMargin(1, 60)) << "unchanged";
}

// The detail splitter stops at half the client and 100 pixels before its right edge.
TEST(DragLimitsTest, SplittersAndMarginsStayInTheirBounds) {
  EXPECT_EQ(Row(GroupListWidthForDrag(250, 1000), GroupListWidthForDrag(20, 1000), GroupListWidthForDrag(900, 1000),
                DetailListWidthForDrag(700, 1000), DetailListWidthForDrag(100, 1000), DetailListWidthForDrag(990, 1000),
                RightMarginForDrag(32, 500, 480, 1000), RightMarginForDrag(32, 500, 600, 1000),
                RightMarginForDrag(32, 500, -100000, 1000)),
            Row(250, 100, 500, 298, 498, 98, 52, 1, 500));
  const Rect chart = {0, 0, 800, 400};
  EXPECT_EQ(Ltrb(WidenedMarginHandle({780, 10, 787, 100}, chart)), (Ltrb4{768, 10, 799, 100}));
  EXPECT_EQ(WidenedMarginHandle({0, 0, 0, 0}, chart).right, 0);
}

}  // namespace
