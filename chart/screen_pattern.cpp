#include "chart/screen_pattern.h"

#include <cstdio>
#include <cstring>

#include "chart/chart_hooks.h"
#include "chart/chart_selection.h"
#include "chart/layout_limits.h"
#include "common/sjis_text.h"
#include "common/stock_code.h"
#include "records/settings_block.h"

ChartView gPatternCarryView = {};
int gPatternCarryValid = 0;
int gPatternMenuSource = 0;

namespace {

constexpr int kDefaultBarWidth = 5;

// The verdict of a record check; with `repair` set a bad field takes its fallback.
struct FieldCheck {
  bool repair;
  bool valid;
};

template <typename T, typename U>
void Require(FieldCheck& check, bool ok, T& field, U fallback) {
  if (ok) return;
  check.valid = false;
  if (check.repair) field = static_cast<T>(fallback);
}

bool InRange(int64_t value, int64_t low, int64_t high) { return value >= low && value <= high; }

void ConvertOldValues(ChartView& view) {
  if (view.stockCode < 10000) view.stockCode = NumberToCode(static_cast<int>(view.stockCode));
  if (view.rightMargin == 0) view.rightMargin = kDefaultRightMargin;
  view.dateLink = view.dateLink != 0;
  view.stockLink = view.stockLink != 0;
  view.keepStock = view.keepStock != 0;
  for (uint32_t& flags : view.paneFlags) flags &= kPaneFlagBits;
}

// Candles, volume and RSI, as a new chart shows them.
void SetDefaultPanes(ChartView& view) {
  view.paneCount = 3;
  view.paneKinds[0] = kPaneCandles;
  view.paneFlags[0] = kPaneFlagLine0 | kPaneFlagLine1;
  view.paneKinds[1] = kPaneVolume;
  view.paneFlags[1] = kPaneFlagLine0;
  view.paneKinds[2] = kPaneRsi;
  view.paneFlags[2] = kPaneFlagLine0;
}

// A pane count out of range leaves nothing of the panes to trust.
void CheckPaneCount(FieldCheck& check, ChartView& view) {
  if (InRange(view.paneCount, 0, kMaxPanesPerChart)) return;
  check.valid = false;
  if (check.repair) SetDefaultPanes(view);
}

void CheckPaneKinds(FieldCheck& check, ChartView& view) {
  for (int i = 0; i < kMaxPanesPerChart; ++i) {
    if (view.paneKinds[i] < static_cast<uint32_t>(kPaneKindCount)) continue;
    check.valid = false;
    if (!check.repair) continue;
    view.paneKinds[i] = kPaneCandles;
    view.paneFlags[i] = kPaneFlagLine0;
  }
}

void SetDefaultPatternName(ScreenPattern& pattern, int number) {
  memset(pattern.name, 0, sizeof pattern.name);
  snprintf(pattern.name, sizeof pattern.name, "パターン%d", number + 1);
}

// A name that is no text would show as garbage in the title and the menu.
void CheckName(FieldCheck& check, ScreenPattern& pattern, int number) {
  if (IsCp932Text(pattern.name, sizeof pattern.name)) return;
  check.valid = false;
  if (check.repair) SetDefaultPatternName(pattern, number);
}

// Any drag in the widest client leaves a margin in range.
bool IsRightMarginInRange(int margin) { return RightMarginInRange(margin, kMaxScreenExtent) == margin; }

int ShownChartCount(const ScreenPattern& pattern) {
  if (pattern.chartCount < 0) return 0;
  return pattern.chartCount < kMaxChartsPerPattern ? pattern.chartCount : kMaxChartsPerPattern;
}

int FirstUnkeptChart(const ScreenPattern& pattern) {
  for (int i = 0; i < ShownChartCount(pattern); ++i) {
    if (pattern.views[i].keepStock == 0) return i;
  }
  return -1;
}

void CallHook(void (*hook)()) {
  if (hook != nullptr) hook();
}

// The first chart that does not keep its stock, or else the selected chart.
void RememberCarryView(const ScreenPattern& outgoing) {
  int chart = FirstUnkeptChart(outgoing);
  if (chart < 0 && gSelectedChart >= 0 && gSelectedChart < ShownChartCount(outgoing)) chart = gSelectedChart;
  if (chart < 0) return;
  gPatternCarryView = outgoing.views[chart];
  gPatternCarryValid = 1;
}

// Every unkept chart showing the same stock as the first unkept one follows the carried view.
void ApplyCarryView(ScreenPattern& pattern) {
  const int first = FirstUnkeptChart(pattern);
  if (first < 0) return;
  gSelectedChart = first;
  const StockCode shown = pattern.views[first].stockCode;
  const ChartView& carry = gPatternCarryView;
  for (int i = first; i < ShownChartCount(pattern); ++i) {
    ChartView& view = pattern.views[i];
    if (view.keepStock != 0 || view.stockCode != shown) continue;
    view.stockCode = carry.stockCode;
    view.lastBarIndex = view.period == carry.period ? carry.lastBarIndex : -1;
    view.groupIndex = carry.groupIndex;
  }
}

void ReloadAndLayoutCharts(const ScreenPattern& pattern) {
  const ChartHooks& hooks = gChartHooks;
  const int charts = ShownChartCount(pattern);
  for (int i = 0; i < charts; ++i) {
    if (hooks.reloadChart != nullptr) hooks.reloadChart(i);
  }
  CallHook(hooks.layoutCharts);
  for (int upper = 0; upper + 1 < charts; ++upper) {
    if (pattern.views[upper].dateLink == 0) continue;
    if (hooks.alignLinkedCharts != nullptr) hooks.alignLinkedCharts(upper);
    CallHook(hooks.layoutCharts);
  }
}

}  // namespace

namespace {

// Pane heights and the display fields that go back to their first state with the patterns.
void ResetPatternDisplaySettings() {
  for (int kind = 0; kind < kPaneHeightCount; ++kind)
    gPaneHeights[kind] = kind <= kPaneIchimoku ? 100 : kind == kPaneVolume ? 30 : 40;
  SettingsBlock& s = gSettings;
  s.showDetailWindow = 0;
  s.detailWindowX = 32767;
  s.detailWindowY = 0;
  s.detailDockRight = 1;
  s.detailDockBottom = 0;
  s.showGroupList = 1;
  s.groupListWidth = 100;
  s.showDetailList = 1;
  s.detailListWidth = 100;
  memset(s.signalFileName, 0, sizeof s.signalFileName);
  s.timeBackMode = 0;
  s.timeBackWindowX = s.timeBackWindowY = 0;
  s.timeBackDockRight = s.timeBackDockBottom = 0;
  s.timeBackDayIndex = -1;
  s.savedRecomputeNeeded = 0;
  s.showGuideLine = 1;
  s.weekSeparatorsOn = 1;
  s.displaySwitch32878 = 1;
  s.showSplitAdjusted = 1;
  s.askRecomputeAtStart = 0;
  s.recomputeNeeded = 1;
  memset(s.reserved6332, 0, sizeof s.reserved6332);
  s.newTrendLineWidth = 2;
  s.chartFontSize = 12;
  s.lastPriceDate = 0;
  memset(s.reserved6348, 0, 8);  // 6348..6355
  s.orderLinkOn = 0;
  s.reserved6693 = 0;
  s.monitoredGroup = 65535;
  s.tickGridOn = 0;
  s.snapDraggedPrices = 0;
  s.reserved6698 = 0;
  s.showShortNames = 0;
  s.groupsDirty = s.savedGroupsDirty = 0;
  s.kenUpdateDate = s.pinfoUpdateDate = 0;
  memset(s.reserved6752, 0, 4);  // 6752..6755
  gSettingsP2.realTimeReceiveOn = 0;
  reinterpret_cast<uint8_t*>(&gSettingsP2)[offsetof(SettingsBlockP2, realTimeReceiveOn) + 1] = 0;
}

}  // namespace

void SetDefaultScreenPatterns() {
  ChartView view{};
  view.stockCode = StringToCode("1001");
  view.period = 0;
  view.lastBarIndex = -1;
  view.barWidth = kDefaultBarWidth;
  SetDefaultPanes(view);
  view.groupIndex = 0;
  view.rightMargin = kDefaultRightMargin;

  ScreenPattern pattern{};
  pattern.chartCount = 1;
  for (ChartView& v : pattern.views) v = view;
  for (int n = 0; n < kScreenPatternCount; ++n) {
    gScreenPatterns[n] = pattern;
    SetDefaultPatternName(gScreenPatterns[n], n);
  }
  gCurrentPattern = 0;
  ResetPatternDisplaySettings();
}

ScreenPattern& CurrentScreenPattern() {
  if (gCurrentPattern < 0 || gCurrentPattern >= kScreenPatternCount) gCurrentPattern = 0;
  return gScreenPatterns[gCurrentPattern];
}

int ShownChartCount() { return ShownChartCount(CurrentScreenPattern()); }

void FormatMainWindowTitle(char* out, int size) {
  const ScreenPattern& pattern = CurrentScreenPattern();
  snprintf(out, static_cast<size_t>(size), "ヴェルクォラ22　－　%.*s", static_cast<int>(sizeof pattern.name),
           pattern.name);
}

bool ValidateChartView(ChartView& view, bool repair) {
  ConvertOldValues(view);
  FieldCheck check{repair, true};
  Require(check, IsStockCodeInRange(view.stockCode), view.stockCode, StringToCode("1001"));
  Require(check, InRange(view.period, 0, 2), view.period, 0);
  Require(check, view.lastBarIndex < kMaxLastBarIndex, view.lastBarIndex, -1);
  Require(check, InRange(view.barWidth, 1, kMaxBarWidth) && view.barWidth % 2 == 1, view.barWidth, kDefaultBarWidth);
  CheckPaneCount(check, view);
  CheckPaneKinds(check, view);
  Require(check, InRange(view.groupIndex, 0, kGroupCount - 1), view.groupIndex, 0);
  Require(check, IsRightMarginInRange(view.rightMargin), view.rightMargin, kDefaultRightMargin);
  return check.valid;
}

bool ValidateScreenPattern(ScreenPattern& pattern, int number, bool repair) {
  FieldCheck check{repair, true};
  Require(check, InRange(pattern.chartCount, 1, kMaxChartsPerPattern), pattern.chartCount, 1);
  CheckName(check, pattern, number);
  for (ChartView& view : pattern.views) check.valid = ValidateChartView(view, repair) && check.valid;
  return check.valid;
}

void BringPaneHeightsIntoRange(uint16_t* heights, int count) {
  for (int i = 0; i < count; ++i) {
    if (heights[i] == 0 || heights[i] > kMaxPaneHeight) heights[i] = kDefaultPaneHeight;
  }
}

int SwitchScreenPattern(int n, int force) {
  if (n < 0 || n >= kScreenPatternCount) return 0;
  const ScreenPattern& outgoing = CurrentScreenPattern();
  if (n == gCurrentPattern && force == 0) return 0;
  CallHook(gChartHooks.beginWait);
  if (force == 0) RememberCarryView(outgoing);
  gCurrentPattern = n;
  gSelectedChart = 0;
  gSelectedPane = 0;
  ScreenPattern& pattern = gScreenPatterns[n];
  if (gPatternCarryValid != 0) ApplyCarryView(pattern);
  ReloadAndLayoutCharts(pattern);
  if (gSelectedPane >= pattern.views[gSelectedChart].paneCount) {
    gSelectedPane = -1;
    gCursorBar = -1;
  }
  CallHook(gChartHooks.patternShown);
  return 1;
}

int CopyScreenPattern(int n) {
  const int source = gPatternMenuSource;
  if (n < 0 || n >= kScreenPatternCount || source < 0 || source >= kScreenPatternCount) return 0;
  ScreenPattern& target = gScreenPatterns[n];
  target.chartCount = gScreenPatterns[source].chartCount;
  memcpy(target.views, gScreenPatterns[source].views, sizeof target.views);
  return SwitchScreenPattern(n, 1);
}
