#include "chart/screen_pattern.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "chart/chart_hooks.h"
#include "chart/chart_selection.h"
#include "common/stock_code.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

std::vector<std::string> gHookLog;
using Log = std::vector<std::string>;

ChartView MakeView(const char* code, int period, bool keep) {
  ChartView view = gScreenPatterns[0].views[0];
  view.stockCode = StringToCode(code);
  view.period = period;
  view.keepStock = keep ? 1 : 0;
  view.lastBarIndex = 100;
  view.groupIndex = 1;
  return view;
}

void SetPattern(int n, std::vector<ChartView> views) {
  gScreenPatterns[n].chartCount = static_cast<int>(views.size());
  for (size_t i = 0; i < views.size(); ++i) gScreenPatterns[n].views[i] = views[i];
}

StockCode ShownCode(int pattern, int chart) { return gScreenPatterns[pattern].views[chart].stockCode; }

class ScreenPatternTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCursorBar = 5;
    ClearChartWindowHooks();
    gChartHooks.beginWait = [] { gHookLog.push_back("wait"); };
    gChartHooks.reloadChart = [](int chart) { gHookLog.push_back("reload " + std::to_string(chart)); };
    gChartHooks.layoutCharts = [] { gHookLog.push_back("layout"); };
    gChartHooks.alignLinkedCharts = [](int upper) { gHookLog.push_back("align " + std::to_string(upper)); };
    gChartHooks.patternShown = [] { gHookLog.push_back("shown"); };
    gHookLog.clear();
  }
  ScopedGlobalState globals_;
};

TEST_F(ScreenPatternTest, TheShownPatternNeedsForceAndOnlyTheTwelveAreTaken) {
  EXPECT_EQ(SwitchScreenPattern(0, 0), 0);
  EXPECT_TRUE(gHookLog.empty());
  EXPECT_EQ(SwitchScreenPattern(0, 1), 1);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "layout", "shown"}));
  gHookLog.clear();
  gCurrentPattern = 3;
  for (int n : {-1, 12, 32877}) EXPECT_EQ(SwitchScreenPattern(n, 1), 0) << n;
  EXPECT_EQ(Row(gCurrentPattern, gHookLog.size()), Row(3, 0));
  // A damaged current index is brought back before use.
  gCurrentPattern = 4000;
  char title[128];
  FormatMainWindowTitle(title, sizeof title);
  EXPECT_STREQ(title, "ヴェルクォラ22　－　パターン1");
  gCurrentPattern = -7;
  EXPECT_EQ(SwitchScreenPattern(2, 0), 1);
  EXPECT_EQ(gCurrentPattern, 2);
}

TEST_F(ScreenPatternTest, LinkedChartsAreAlignedTopDownWithALayoutAfterEach) {
  ChartView view = MakeView("7203", 0, true);
  view.dateLink = 1;
  SetPattern(5, {view, view, view});
  SwitchScreenPattern(5, 0);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "reload 1", "reload 2", "layout", "align 0", "layout", "align 1",
                           "layout", "shown"}));
  // The last chart's link has no chart below it.
  gHookLog.clear();
  SetPattern(6, {view, view});
  gScreenPatterns[6].views[0].dateLink = 0;
  SwitchScreenPattern(6, 0);
  EXPECT_EQ(gHookLog, (Log{"wait", "reload 0", "reload 1", "layout", "shown"}));
}

// Two unkept charts that showed the same stock both follow; one showing another stock does not.
TEST_F(ScreenPatternTest, UnkeptChartsWithTheSameStockFollowTheCarriedView) {
  ChartView carried = MakeView("7203", 0, false);
  carried.lastBarIndex = 812;
  carried.groupIndex = 17;
  SetPattern(0, {carried});
  SetPattern(1, {MakeView("1001", 0, false), MakeView("1001", 1, false), MakeView("6758", 0, false)});
  ASSERT_EQ(SwitchScreenPattern(1, 0), 1);
  const ChartView* shown = gScreenPatterns[1].views;
  // A weekly chart cannot use a daily bar index: it shows the newest bars.
  EXPECT_EQ(Row(shown[0].lastBarIndex, shown[0].groupIndex, shown[1].lastBarIndex, shown[1].groupIndex,
                shown[2].lastBarIndex, shown[2].groupIndex, gSelectedChart, gPatternCarryValid),
            Row(812, 17, -1, 17, 100, 1, 0, 1));
  EXPECT_EQ(Row(ShownCode(1, 0), ShownCode(1, 1), ShownCode(1, 2)),
            Row(StringToCode("7203"), StringToCode("7203"), StringToCode("6758")));
}

TEST_F(ScreenPatternTest, KeptChartsShowWhatTheyStoredAndTheFirstUnkeptIsSelected) {
  SetPattern(0, {MakeView("7203", 0, false)});
  SetPattern(2, {MakeView("1301", 0, true), MakeView("1332", 2, true)});
  const ScreenPattern before = gScreenPatterns[2];
  SwitchScreenPattern(2, 0);
  EXPECT_EQ(memcmp(&gScreenPatterns[2], &before, sizeof before), 0);
  EXPECT_EQ(gSelectedChart, 0);

  SetPattern(3, {MakeView("1301", 0, true), MakeView("1001", 0, false)});
  gCurrentPattern = 0;
  SwitchScreenPattern(3, 0);
  EXPECT_EQ(Row(gSelectedChart, ShownCode(3, 0), ShownCode(3, 1)), Row(1, StringToCode("1301"), StringToCode("7203")));
}

TEST_F(ScreenPatternTest, WhenEveryChartKeepsItsStockTheSelectedOneIsCarried) {
  SetPattern(0, {MakeView("1301", 0, true), MakeView("9984", 0, true)});
  SetPattern(1, {MakeView("1001", 0, false)});
  gSelectedChart = 1;
  SwitchScreenPattern(1, 0);
  EXPECT_EQ(ShownCode(1, 0), StringToCode("9984"));

  // Without a selection nothing is remembered.
  gPatternCarryValid = 0;
  SetPattern(2, {MakeView("1001", 0, false)});
  SetPattern(1, {MakeView("1301", 0, true)});
  gSelectedChart = -1;
  SwitchScreenPattern(2, 0);
  EXPECT_EQ(Row(gPatternCarryValid, ShownCode(2, 0)), Row(0, StringToCode("1001")));

  // A forced switch uses the view remembered earlier.
  SetPattern(0, {MakeView("7203", 0, false)});
  SetPattern(1, {MakeView("1001", 0, false)});
  gCurrentPattern = 0;
  SwitchScreenPattern(1, 0);  // remembers 7203
  SetPattern(0, {MakeView("4063", 0, false)});
  SetPattern(1, {MakeView("1001", 0, false)});
  SwitchScreenPattern(1, 1);  // nothing new is remembered
  EXPECT_EQ(ShownCode(1, 0), StringToCode("7203"));
}

TEST_F(ScreenPatternTest, APaneSelectionBeyondThePanesIsCleared) {
  ChartView empty = MakeView("7203", 0, true);
  empty.paneCount = 0;
  SetPattern(4, {empty});
  SwitchScreenPattern(4, 0);
  EXPECT_EQ(Row(gSelectedPane, gCursorBar), Row(-1, -1));
  SwitchScreenPattern(5, 0);  // three panes: pane 0 stays selected
  EXPECT_EQ(gSelectedPane, 0);
}

TEST_F(ScreenPatternTest, CopyTakesChartsAndViewsButKeepsTheName) {
  SetPattern(4, {MakeView("1301", 1, true), MakeView("9984", 2, true)});
  gCurrentPattern = 7;
  gPatternMenuSource = 4;
  ASSERT_EQ(CopyScreenPattern(7), 1);  // the shown pattern is reloaded too
  EXPECT_EQ(std::string(gScreenPatterns[7].name) + " " + gHookLog.front() + gHookLog.back(), "パターン8 waitshown");
  EXPECT_EQ(Row(gScreenPatterns[7].chartCount,
                memcmp(gScreenPatterns[7].views, gScreenPatterns[4].views, sizeof gScreenPatterns[7].views)),
            Row(2, 0));
  gPatternMenuSource = 12;  // no such source, then no such target
  EXPECT_EQ(CopyScreenPattern(1), 0);
  gPatternMenuSource = 0;
  EXPECT_EQ(CopyScreenPattern(12), 0);
}

}  // namespace
