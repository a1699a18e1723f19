// What the trend-line pop-up ends with on each pane (its states are read from the real menu under Wine).
#include "chart/trend_line_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "records/screen_pattern_record.h"
#include "tests/support/row.h"

namespace {

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
