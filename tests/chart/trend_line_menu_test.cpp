// What the trend-line pop-up offers for a line and for the pane it was picked on.
#include "chart/trend_line_menu.h"

#include <gtest/gtest.h>

#include <string>

#include "common/command_ids.h"
#include "records/screen_pattern_record.h"
#include "tests/support/row.h"
#include "tests/support/trend_lines.h"

namespace {

TrendLine LineOf(uint32_t date2, int32_t value2, int32_t kind, int32_t buyRole) {
  TrendLine line = TestTrendLine(0, 100, 500, date2, value2);
  line.monitorKind = kind;
  line.buyRole = buyRole;
  return line;
}

TEST(TrendLineMenuTest, ItemsFollowTheLinesShapeKindAndTrackerRole) {
  struct Case {
    const char* name;
    TrendLine line;
    int monitorCommand;
    bool noticeChecked, noticeEnabled, dateEnabled, limitsEnabled, valueEnabled;
  };
  const Case cases[] = {
      {"sloped, lower", LineOf(200, 600, kMonitorLower, 0), IDM_TLINE_MONITOR_LOWER, true, true, false, true, false},
      {"vertical, date", LineOf(100, 600, kMonitorDate, 0), IDM_TLINE_MONITOR_DATE, true, true, true, false, false},
      {"horizontal, none", LineOf(200, 500, kMonitorNone, 0), IDM_TLINE_MONITOR_NONE, false, false, false, true, true},
      {"buy step, upper", LineOf(200, 500, kMonitorUpper, 2), IDM_TLINE_MONITOR_UPPER, true, true, false, false, true},
  };
  for (const Case& c : cases) {
    const TrendLineMenuState s = TrendLineMenuStateOf(c.line);
    EXPECT_EQ(Row(s.monitorCommand, s.noticeChecked, s.noticeEnabled, s.dateEnabled, s.limitsEnabled, s.valueEnabled),
              Row(c.monitorCommand, c.noticeChecked, c.noticeEnabled, c.dateEnabled, c.limitsEnabled, c.valueEnabled))
        << c.name;
  }
  TrendLine locked = LineOf(200, 500, kMonitorLower, 0);
  locked.locked = 1;
  locked.notifyWhenReached = 0;
  EXPECT_EQ(Row(TrendLineMenuStateOf(locked).lockChecked, TrendLineMenuStateOf(locked).noticeChecked),
            Row(true, false));
}

TEST(TrendLineMenuTest, TheTailIsTheTrackerNothingOrOneItemPerLineOfThePane) {
  const std::tuple<int, TrendLineMenuTail, int, const char*> panes[] = {
      {kPaneCandles, TrendLineMenuTail::kTracker, 1, "株価"},
      {kPaneIchimoku, TrendLineMenuTail::kTracker, 1, "株価"},
      {kPaneSroc, TrendLineMenuTail::kNothing, 1, "S-ROC"},
      {kPaneVolume, TrendLineMenuTail::kWatchedLines, 3, "出来高移動平均２"},
      {kPaneMacd, TrendLineMenuTail::kWatchedLines, 2, "シグナル"},
      {kPaneDmi, TrendLineMenuTail::kWatchedLines, 3, "ADX"},
      {kPaneAdvanceDecline, TrendLineMenuTail::kWatchedLines, 1, "騰落レシオ"},
  };
  for (const auto& [kind, tail, count, lastText] : panes) {
    EXPECT_EQ(Row(TrendLineMenuTailOf(kind), WatchedLineItemCount(kind)), Row(tail, count)) << kind;
    EXPECT_EQ(std::string(WatchedLineItemText(kind, count - 1)), lastText) << kind;
    EXPECT_EQ(WatchedLineItemText(kind, count), nullptr) << kind;
  }
}

}  // namespace
