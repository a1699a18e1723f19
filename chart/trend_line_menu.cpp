#include "chart/trend_line_menu.h"

#include <array>

#include "analysis/line_monitoring.h"
#include "common/command_ids.h"
#include "records/screen_pattern_record.h"

namespace {

using LineNames = std::array<const char*, kWatchedLineBits>;

// The names of each pane kind's lines, in the order of the watched bits.
constexpr std::array<LineNames, kPaneKindCount> kWatchedLineNames = {{
    {"株価", nullptr, nullptr},
    {"株価", nullptr, nullptr},
    {"出来高", "出来高移動平均１", "出来高移動平均２"},
    {"RSI１", "RSI２", "RSI３"},
    {"RCI１", "RCI２", "RCI３"},
    {"乖離率１", "乖離率２", "乖離率３"},
    {"%D", "%SD", nullptr},
    {"MACD", "シグナル", nullptr},
    {"+DI", "-DI", "ADX"},
    {"S-ROC", nullptr, nullptr},
    {"サイコロジカル１", "サイコロジカル２", "サイコロジカル３"},
    {"OBV", "OBV移動平均", nullptr},
    {"ボリュームレシオ", nullptr, nullptr},
    {"騰落レシオ", nullptr, nullptr},
}};

int MonitorCommandOf(int kind) {
  switch (kind) {
    case kMonitorLower: return IDM_TLINE_MONITOR_LOWER;
    case kMonitorUpper: return IDM_TLINE_MONITOR_UPPER;
    case kMonitorDate: return IDM_TLINE_MONITOR_DATE;
    default: return IDM_TLINE_MONITOR_NONE;
  }
}

}  // namespace

TrendLineMenuState TrendLineMenuStateOf(const TrendLine& line) {
  const bool vertical = line.date1 == line.date2;
  // A tracker line's monitoring belongs to the tracker: its arming sets the kind.
  const bool trackerLine = line.buyRole != 0 || line.shortRole != 0;
  TrendLineMenuState state{};
  state.lockChecked = line.locked != 0;
  state.monitorCommand = MonitorCommandOf(line.monitorKind);
  state.noticeEnabled = line.monitorKind != kMonitorNone;
  state.noticeChecked = state.noticeEnabled && line.notifyWhenReached != 0;
  state.dateEnabled = !trackerLine && vertical;
  state.limitsEnabled = !trackerLine && !vertical;
  state.valueEnabled = line.value1 == line.value2;
  return state;
}

TrendLineMenuTail TrendLineMenuTailOf(int paneKind) {
  if (paneKind == kPaneCandles || paneKind == kPaneIchimoku) return TrendLineMenuTail::kTracker;
  if (paneKind == kPaneSroc) return TrendLineMenuTail::kNothing;
  return TrendLineMenuTail::kWatchedLines;
}

int WatchedLineItemCount(int paneKind) {
  int count = 0;
  while (count < kWatchedLineBits && WatchedItemIndex(paneKind, count) >= 0) ++count;
  return count;
}

const char* WatchedLineItemText(int paneKind, int n) {
  if (n < 0 || n >= WatchedLineItemCount(paneKind)) return nullptr;
  return kWatchedLineNames[static_cast<size_t>(paneKind)][static_cast<size_t>(n)];
}
