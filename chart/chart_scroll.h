#pragma once
// Scrolling a chart: the scroll bar's range, scroll codes, the right-edge
// date kept across changes of period and bar width. The window side applies
// the results to the real scroll bars through gChartHooks.
#include <cstdint>

#include "common/packed_date.h"
#include "records/price_series.h"

constexpr int kScrollBarsPastEnd = 36;  // the maximum lies this far past the end index

// Scroll codes as WM_HSCROLL sends them.
enum ChartScrollCode : int {
  kScrollLineLeft = 0,
  kScrollLineRight = 1,
  kScrollPageLeft = 2,
  kScrollPageRight = 3,
  kScrollThumbPosition = 4,
  kScrollThumbTrack = 5,
};

// Menu commands of the bar width.
constexpr int kCommandBarWidth1 = 32775;
constexpr int kCommandBarWidth2 = 32777;  // .. 32785 for widths 3 .. 19
constexpr int kCommandBarWidth10 = 32785;
constexpr int kCommandWiderBars = 32837;
constexpr int kCommandNarrowerBars = 32838;

// A chart's scroll bar: range, page and position.
struct ChartScrollInfo {
  int32_t min;
  int32_t max;
  int32_t page;
  int32_t pos;
};

// What the window side does for the chart code; any of them may be null.
// The date at a chart's right edge and the empty bars after the series' end.
struct RightEdge {
  bool valid;  // false when the series is empty or the index negative
  PackedDate date;
  int32_t emptyBars;
};

// `forecastBars` at the end of the series count as empty when the view lies past the end.
RightEdge FindRightEdge(const BarSeries& series, int lastBar, int forecastBars);
// The first bar dated on or after `date`; -1 when none is.
int FirstBarOnOrAfterDate(const BarSeries& series, PackedDate date);

// The scroll bar of a shown chart from its layout; false when it has no series.
bool GetChartScrollInfo(int chart, ChartScrollInfo* info);
// The position a scroll bar keeps: at most max - page + 1, at least min.
int ClampChartScrollPos(const ChartScrollInfo& info, int pos);
// Where a scroll code moves from `pos`; codes that do not move return `pos`.
int NextChartScrollPos(int code, int pos, int page, int trackPos);

// Scales, range and position of a chart's scroll bar; the clamped position
// becomes the view's last-bar index.
void UpdateChartScrollBar(int chart);
// Moves the chart to a clamped position; with `repaint`, invalidates it.
void SetChartScrollPos(int chart, int pos, int repaint);
void ScrollChartBy(int chart, int delta);
// A scroll code on chart `chart`'s scroll bar; date-linked neighbours follow.
// False when the position did not change.
bool ScrollChartByCode(int chart, int code, int trackPos);

// Daily, weekly or monthly for a chart, keeping the right-edge date and the
// empty bars past the end. Nothing when the chart is not shown or already has it.
void SetChartPeriod(int chart, int period);
// The width a bar-width command gives a chart whose bars are `width` wide;
// -1 for other commands.
int BarWidthForCommand(int command, int width);
// A chart at its newest bar stays there.
void SetChartBarWidth(int chart, int width);
// New bars in the store (a price import): every chart of the pattern is
// loaded again. One that showed its last bar shows the new last bar at the
// right edge, as a newly chosen stock does; one scrolled back keeps the date
// at its right edge. Then every chart is invalidated.
void ReloadChartsForNewBars();
// A chart's right margin, given also to the charts coupled to it by date
// links above and below; each changed chart gets its scroll position again
// and is invalidated. False when the chart's margin was already `margin`.
bool SetChartRightMargin(int chart, int margin);
