#pragma once
// Screen patterns (F1..F12) and the chart views they hold. The twelve patterns
// live inside the settings block ("velqo.dat").
#include <cstddef>
#include <cstdint>

#include "analysis/group_store.h"  // kGroupCount
#include "common/gdi_rules.h"         // kMaxScreenExtent
#include "data/price_series.h"        // kMaxBars

constexpr int kScreenPatternCount = 12;
constexpr int kMaxChartsPerPattern = 3;
constexpr int kMaxPanesPerChart = 12;
constexpr int kPaneKindCount = 14;
constexpr int kDefaultRightMargin = 32;
constexpr int kMaxBarWidth = 19;
// A full series and as many bars again past its end: further than any scroll reaches.
constexpr int kMaxLastBarIndex = 2 * kMaxBars;
// Every pane flag with a meaning in some pane kind: averages 1..6, cloud alone,
// volume cloud, Bollinger centre and bands, logarithmic scale, parabolic SAR.
constexpr uint32_t kPaneFlagBits = 0x3F | 0x80 | 0x100 | 0x400 | 0x3800 | 0x8000 | 0x20000;
// A pane of relative height 1 beside eleven of this height still gets a pixel
// on a chart as high as the highest screen.
constexpr int kMaxPaneHeight = kMaxScreenExtent / kMaxPanesPerChart;

struct ChartView {
  uint32_t stockCode;      // StockCode; plain numbers below 10000 in older settings
  int32_t period;          // 0 daily, 1 weekly, 2 monthly
  int32_t lastBarIndex;    // bar at the right edge, below kMaxLastBarIndex; negative: the newest
  int32_t barWidth;        // odd, 1..19
  int32_t dateLink;        // scrolls together with the chart below
  int32_t stockLink;       // shows the same group and stock as the chart below
  int32_t keepStock;       // keeps its stock when the pattern changes
  int32_t paneCount;       // 0..12
  uint32_t paneKinds[kMaxPanesPerChart];
  uint32_t paneFlags[kMaxPanesPerChart];  // kPaneFlagBits; bit 15: logarithmic scale
  int16_t groupIndex;      // 0..123
  int16_t rightMargin;     // pixels after the newest bar: 1 to half the widest client
};
static_assert(sizeof(ChartView) == 132, "ChartView is a 132-byte record");
static_assert(offsetof(ChartView, paneCount) == 28);
static_assert(offsetof(ChartView, paneKinds) == 32);
static_assert(offsetof(ChartView, paneFlags) == 80);
static_assert(offsetof(ChartView, groupIndex) == 128);
static_assert(offsetof(ChartView, rightMargin) == 130);

struct ScreenPattern {
  int32_t chartCount;      // 1..3
  char name[32];           // Shift-JIS, zero-terminated (IsCp932Text)
  ChartView views[kMaxChartsPerPattern];
};
static_assert(sizeof(ScreenPattern) == 432, "ScreenPattern is a 432-byte record");
static_assert(offsetof(ScreenPattern, views) == 36);

// What a pattern switch asks of the chart window. The window fills these in
// when it is created; any of them may be null.
struct PatternSwitchHooks {
  void (*beginWait)();                  // wait cursor
  void (*reloadChart)(int chart);       // group combo box, stock list, chart series
  void (*layoutCharts)();
  void (*alignLinkedCharts)(int upper); // the chart below follows `upper` by date
  void (*patternShown)();               // repaint, window title, arrow cursor
  void (*patternNamesChanged)();        // pattern menu texts
};
extern PatternSwitchHooks gPatternSwitchHooks;

// The view a switch carries over into the next pattern (set once, kept from then on).
extern ChartView gPatternCarryView;
extern int gPatternCarryValid;
// Source of the pattern copy commands (set by the pattern popup).
extern int gPatternMenuSource;

// Fills the twelve patterns with the defaults and selects the first.
void SetDefaultScreenPatterns();
// The current pattern; an out-of-range index is brought back to 0 first.
ScreenPattern& CurrentScreenPattern();
// The charts the current pattern shows: its chart count brought into 0..3.
int ShownChartCount();
// "ヴェルクォラ22　－　<name of the current pattern>".
void FormatMainWindowTitle(char* out, int size);

// Brings values of older versions up to date (codes below 10000 become "%04d"
// codes, a right margin of 0 becomes 32, flags 0 or 1, pane flags without a
// meaning are dropped) and checks every field used as an index, size or
// place. With `repair`, bad fields get their defaults; a bad pane count
// gives the default panes. True when nothing was out of range.
bool ValidateChartView(ChartView& view, bool repair);
// The same for pattern `number` (0..11): its chart count, its name (Shift-JIS
// text with its end; else the pattern's default name) and all three views.
bool ValidateScreenPattern(ScreenPattern& pattern, int number, bool repair);
// Relative pane heights of 0 or above kMaxPaneHeight become the default height.
void BringPaneHeightsIntoRange(uint16_t* heights, int count);

// Makes pattern n (0..11) current and loads its charts; the pattern already
// shown only with `force`. 1 when it switched, 0 when nothing was done.
int SwitchScreenPattern(int n, int force);
// Copies the chart count and views of gPatternMenuSource onto pattern n (the
// name stays) and shows it. 1 when done.
int CopyScreenPattern(int n);
