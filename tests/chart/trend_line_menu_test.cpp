// What the trend-line pop-up offers for a line and for the pane it was picked on.
#include "chart/trend_line_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/command_ids.h"
#include "records/screen_pattern_record.h"
#include "tests/support/row.h"
#include "tests/support/trend_lines.h"

namespace {

// Monitoring item checked; then notice checked, notice, date, limits and value enabled.
TEST(TrendLineMenuTest, ItemsFollowTheLinesShapeKindAndTrackerRole) {
  const std::tuple<uint32_t, int32_t, int32_t, int32_t, int, std::vector<bool>> cases[] = {
      {200, 600, kMonitorLower, 0, IDM_TLINE_MONITOR_LOWER, {1, 1, 0, 1, 0}},  // sloped
      {100, 600, kMonitorDate, 0, IDM_TLINE_MONITOR_DATE, {1, 1, 1, 0, 0}},    // vertical
      {200, 500, kMonitorNone, 0, IDM_TLINE_MONITOR_NONE, {0, 0, 0, 1, 1}},    // horizontal
      {200, 500, kMonitorUpper, 2, IDM_TLINE_MONITOR_UPPER, {1, 1, 0, 0, 1}},  // a buy step
  };
  for (const auto& [date2, value2, kind, buyRole, command, states] : cases) {
    TrendLine line = TestTrendLine(0, 100, 500, date2, value2);
    line.monitorKind = kind;
    line.buyRole = buyRole;
    const TrendLineMenuState s = TrendLineMenuStateOf(line);
    EXPECT_EQ(s.monitorCommand, command);
    EXPECT_EQ(states,
              (std::vector<bool>{s.noticeChecked, s.noticeEnabled, s.dateEnabled, s.limitsEnabled, s.valueEnabled}))
        << command;
  }
}

TEST(TrendLineMenuTest, TheTailIsTheTrackerNothingOrOneItemPerLineOfThePane) {
  const std::tuple<int, TrendLineMenuTail, int, const char*> panes[] = {
      {kPaneIchimoku, TrendLineMenuTail::kTracker, 1, "株価"},
      {kPaneSroc, TrendLineMenuTail::kNothing, 1, "S-ROC"},
      {kPaneVolume, TrendLineMenuTail::kWatchedLines, 3, "出来高移動平均２"},
      {kPaneMacd, TrendLineMenuTail::kWatchedLines, 2, "シグナル"},
      {kPaneAdvanceDecline, TrendLineMenuTail::kWatchedLines, 1, "騰落レシオ"},
  };
  for (const auto& [kind, tail, count, lastText] : panes) {
    EXPECT_EQ(Row(TrendLineMenuTailOf(kind), WatchedLineItemCount(kind)), Row(tail, count)) << kind;
    EXPECT_EQ(std::string(WatchedLineItemText(kind, count - 1)), lastText) << kind;
    EXPECT_EQ(WatchedLineItemText(kind, count), nullptr) << kind;
  }
}

}  // namespace
