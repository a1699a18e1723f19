#pragma once
// What the trend-line painter shows over a pane, without a device: which
// lines a pane shows, their colours, whether a monitoring line is live or an
// armed step blinked away, the texts of value labels, profits, dates and the
// measuring text, and where the measuring text goes.
#include <array>
#include <cstddef>
#include <cstdint>

#include "analysis/position_tracker.h"
#include "chart/chart_context.h"
#include "chart/chart_text.h"
#include "chart/gdi_rules.h"
#include "common/packed_date.h"
#include "records/trend_line_record.h"

// ---- The lines of one chart paint ---------------------------------------------

// The lines a paint of one chart may show: every line of the view's stock in
// table order (any period, so that the tracker sees its whole ladder), then
// the new line being drawn. Collected once per chart, so that the panes walk
// a few hundred lines instead of the whole table.
struct ChartLineSet {
  StockCode code;
  int32_t period;
  PackedDate firstDate, lastDate;  // the shown range, the first end extrapolated
  PackedDate stockLastDate;        // the stock's last bar, for live monitoring lines
  bool usable;                     // the stock is in the table and the series has 2 bars
  int32_t count;
  std::array<int32_t, kMaxTrendLines + 1> lines;
};

// `first` may be negative: the shown range then starts before the data.
void CollectChartLines(const ChartView& view, const ChartContext& context, int first, int last, ChartLineSet* set);
// The record of an index of the set: a counted line, or the new one at the
// table's count while gTrendLineBeingDrawn is set; null otherwise.
const TrendLine* ChartSetLine(int index);
// A line of the set shows on a pane of `paneKind`: its period is the view's,
// its kind fits the pane and its dates overlap the shown range.
bool PaneShowsLine(const ChartLineSet& set, const TrendLine& line, int paneKind);

// ---- Colours, live lines and blinking -------------------------------------------

struct LineMarkColors {
  int line;   // palette slot of the segment and handles
  int label;  // of its value label
};
// By the first rule that applies: the rubber-band line, a marked line, a live
// monitoring line, buy steps and the buy-back close, short steps and the sell
// close, stop-loss lines, any other line.
LineMarkColors GetLineMarkColors(const TrendLine& line, bool rubberBand, bool live);

// Kinds 1 and 2 while the line, not vertical on the screen, reaches the
// stock's last bar; kind 3 while it is vertical on the screen.
bool IsLiveMonitorLine(const TrendLine& line, bool verticalOnScreen, PackedDate stockLastDate);
// A buy or short step whose automatic order is armed.
bool IsArmedTrackerStep(const TrendLine& line);
// Armed live steps on price panes blink with automatic ordering on: they
// are left out while the blink phase is 0.
bool IsHiddenByBlink(const TrendLine& line, bool pricePane, bool live, bool autoOrderOn, int blinkPhase);
// Square ends of the line's width; 0 reads as 2.
int ShownLineWidth(const TrendLine& line);

// ---- Texts --------------------------------------------------------------------

constexpr size_t kMarkTextSize = 96;

// The value label of a horizontal line: on price panes the price, the order
// prefix ("[自]" armed with ordering on, "[停]" armed with it off) and the
// tracker role with its shares; the volume with separators; elsewhere
// hundredths with two decimals ("-0.50").
void FormatLineValueLabel(const TrendLine& line, int paneKind, bool live, bool autoOrderOn,
                          const PellomaticSummary& summary, char* out, size_t size);

enum class ProfitPlace { kNone, kAbove, kBelow };
// "損益 +30,000円" of a close or stop-loss line at its price against the
// side's total, and whether it goes above or below the line; kNone (and an
// empty text) for any other line.
ProfitPlace FormatProfitText(const TrendLine& line, const PellomaticSummary& summary, char* out, size_t size);

// "2026/12/4": the date of the line's first point.
void FormatVerticalLineDate(const TrendLine& line, char* out, size_t size);

// The measuring text of the line being drawn or dragged: the distance in
// bars with its unit, the value change ("円", "株" or "Pts") and the change in
// percent of the first value, each left out when 0, joined by " / ".
void FormatMeasuringText(const TrendLine& line, int paneKind, int period, int bars, char* out, size_t size);

// Where a measuring text of `width` x `height` goes beside the line from
// (x1, y1), the earlier end, to (x2, y2): 8 pixels right of its middle, above
// or below by the line's kind and slope; mirrored through the middle near the
// right or bottom edge of the pane, then kept inside it.
Rect PlaceMeasuringText(const Rect& pane, const TrendLine& line, int x1, int y1, int x2, int y2, int width, int height);

// Where the texts of the marks stay within a pane: 4 pixels from its left,
// top and right edges and 2 from its bottom.
Rect MarkTextArea(const Rect& pane);
// A label of a line at `at`, the top-left corner of its `width` x `height`
// box beside a point of the line (anchorX, anchorY): kept within the pane's
// text area while that point lies on the pane, as the measuring text is.
Rect PlaceMarkLabel(const Rect& pane, int anchorX, int anchorY, PixelPoint at, int width, int height);
// The date of a vertical line at x from yTop down to yBottom: centred on x,
// 2 pixels below its lower end or above its upper end; kept within the
// pane's text area while that end lies on the pane.
Rect PlaceVerticalLineDate(const Rect& pane, int x, int yTop, int yBottom, bool below, int width, int height);
