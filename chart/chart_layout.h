#pragma once
// Laying a chart out, the value range and scale of every pane, and the
// conversions between values, dates, bars and pixels that painters, mouse
// code and trend lines share. Everything here is read from and written to a
// ChartContext; painting only uses what ComputePaneScales left there.
#include <cstdint>

#include "chart/chart_context.h"
#include "chart/screen_pattern.h"
#include "chart/gdi_rules.h"
#include "common/number_text.h"
#include "common/packed_date.h"

constexpr int kSignalStripHeight = 22;
constexpr int kScrollStripHeight = 8;

// What the layout needs from the window side: the chart font's text extent,
// the height of the fixed-pitch chart font, and the detail window when shown.
extern TextWidthFn gChartTextWidth;
extern void* gChartTextWidthContext;
extern int gFixedFontHeight;
extern Rect gDetailWindowRect;  // empty when the detail window is hidden
// The main window's client width: a chart shows its right margin within the
// limits a drag has there (the widest screen's until the first layout).
extern int gMainClientWidth;

// Shows trend lines in full by widening price panes (Ctrl+S).
extern bool gTrendLineFullRange;

// Sizes derived from the chart font size F.
int ScaleColumnWidth();  // W = 5F
int CaptionRowHeight();  // H = 16F/12
int LinkButtonWidth();   // S = 60F/36

void ComputePaneScales(const Rect& chartRect, const ChartView& view, ChartContext* context);
void ComputePaneScalesPass(const Rect& chartRect, const ChartView& view, int stockIndex, ChartContext* context,
                           int pass);
void RoundScaleRange(int32_t* minValue, int32_t* maxValue);
void WidenPaneRangeForTrendLines(const ChartView& view, int stockIndex, ChartContext* context, int pane, int firstBar,
                                 int lastBar);
void BuildPaneCaption(const ChartView& view, const ChartContext& context, int pane, char* out, Rect* rect);

int ValueToPaneY(const ChartView& view, const ChartContext& context, int pane, int32_t value);
int PaneValueToY(const ChartView& view, const ChartContext& context, int pane, int32_t value);
double ValueToPaneOffset(const ChartView& view, const ChartContext& context, int pane, double value);
void PaneYToValue(const ChartView& view, int stockIndex, const ChartContext& context, int pane, int* y, int32_t* value);
int32_t PaneYToPrice(const ChartView& view, const ChartContext& context, int pane, int y);
// The pane's linear value at y, truncated within int32 (neither rounded nor clamped to the pane's kind).
int32_t PaneYToLinearValue(const PaneRecord& record, int y);
void ClampPaneValue(int paneKind, int32_t* value);
double Log10OrZero(double x);

int32_t GetPriceTickStep(int stockIndex, int32_t price, int marketCode);
int32_t RoundToNearestTick(int stockIndex, int32_t price);
int32_t RoundDownToTick(int stockIndex, int32_t price);
int32_t RoundUpToTick(int stockIndex, int32_t price);
int32_t TruncateToHundredsOrThousands(int stockIndex, int32_t value);

int BarsBetweenDates(int period, PackedDate a, PackedDate b);
int DateToBarIndex(const ChartView& view, const ChartContext& context, PackedDate date);
PackedDate DateOfBarIndex(const ChartView& view, const ChartContext& context, int index);
// The same for a series of a period (0 daily, 1 weekly, 2 monthly): past its ends by trading days, weeks or months.
PackedDate DateOfSeriesBar(const BarSeries* bars, int period, int index);
int DateToPaneX(const ChartView& view, const ChartContext& context, PackedDate date, int lastBar);
void PointToBarAndValue(const ChartView& view, const ChartContext& context, int pane, int* x, int* bar, int* y,
                        int32_t* value);
int GetCursorBarAndValue(const ChartView* view, const ChartContext* context, int pane, int* x, int* y, int* bar,
                         int32_t* value);
int IsTradeMarkBar(const ChartView& view, const ChartContext& context, int bar, PackedDate date);
void EnsureMinRectSize(Rect* out, int x1, int x2, int y1, int y2, int minWidth, int minHeight);
// 0 none, 1 the whole line, 2 its first point, 3 its second point; with
// Ctrl held a point counts as the whole line.
int HitTestTrendLines(const ChartView& view, const ChartContext& context, int pane, int x, int y, int* lineIndex,
                      bool ctrlHeld = false);

// Shared by the scale code, the painters and the mouse code.
int GetViewPeriod(const ChartView& view);  // 0 daily, 1 weekly, 2 monthly; 0 when out of range
// The display series of the view's period; null when not allocated.
const BarSeries* GetViewBarSeries(const ChartView& view, const ChartContext& context);
// The view's last-bar index, or the newest bar when it is negative.
int GetViewLastBar(const ChartView& view, const ChartContext& context);
bool IsLogScalePane(const ChartView& view, int pane);  // price kinds with kPaneFlagLogScale
int PanePlotHeight(const PaneRecord& record);          // at least 1
// Where a point lies on a line between two end points in pixels, E1 the
// earlier: 0 off the line, 1 on it, 2 on E1's handle, 3 on E2's handle.
int HitTestLineEnds(int x1, int y1, int x2, int y2, int lineWidth, int x, int y);
