#pragma once
// What the trend-line pop-up menu shows for a line: its check marks and
// greyed items, and the tail that follows its fixed items, which depends on
// the pane the line was picked on.
#include "records/trend_line_record.h"

struct TrendLineMenuState {
  bool lockChecked;
  int monitorCommand;  // the monitoring item of the line's kind, checked
  bool noticeChecked;
  bool noticeEnabled;  // a notice needs a monitoring kind
  bool dateEnabled;    // the date kind: vertical lines only
  bool limitsEnabled;  // the upper and lower kinds: lines that are not vertical
  bool valueEnabled;   // a typed value: horizontal lines only
};
TrendLineMenuState TrendLineMenuStateOf(const TrendLine& line);

// What follows the fixed items on a pane of `paneKind`: the tracker's
// sub-menu on the price panes, nothing on the S-ROC pane (it has one line,
// always watched), else one item per line of the pane.
enum class TrendLineMenuTail { kTracker, kNothing, kWatchedLines };
TrendLineMenuTail TrendLineMenuTailOf(int paneKind);

// The lines of a pane a monitoring line can watch (commands 6000 + n), and
// the text of item n; null past the pane's lines.
int WatchedLineItemCount(int paneKind);
const char* WatchedLineItemText(int paneKind, int n);
