#include "chart/line_dragging.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "analysis/line_monitoring.h"
#include "analysis/trend_line_store.h"
#include "chart/chart_layout.h"
#include "chart/drag_mode.h"
#include "chart/trend_line_mouse.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

LineDrag gLineDrag = {};

namespace {

struct ValueRange {
  int64_t low, high;
};

ValueRange TrendLineValueRange(int paneKind) {
  switch (paneKind) {
    case kPaneCandles:
    case kPaneIchimoku: return {1, INT32_MAX};
    case kPaneVolume: return {0, INT32_MAX};
    case kPaneRsi:
    case kPaneStochastics:
    case kPaneDmi:
    case kPanePsychological: return {0, 10000};
    case kPaneRci: return {-10000, 10000};
    case kPaneDeviation: return {-100000, 100000};
    default: return {INT32_MIN, INT32_MAX};
  }
}

int32_t Within(int64_t value, const ValueRange& range) {
  return static_cast<int32_t>(std::clamp(value, range.low, range.high));
}

bool IsPricePane(int paneKind) { return paneKind == kPaneCandles || paneKind == kPaneIchimoku; }

int PaneKindOf(const ChartView& view, int pane) {
  return pane >= 0 && pane < kMaxPanesPerChart ? static_cast<int>(view.paneKinds[pane]) : -1;
}

bool IsTrackerLine(const TrendLine& line) { return line.buyRole != 0 || line.shortRole != 0; }

// The side whose step the line is (a group move takes that side's steps), 0 none.
int StepSide(const TrendLine& line) {
  if (line.buyRole > 0) return 1;
  if (line.shortRole > 0) return 2;
  return 0;
}

int32_t SideRole(const TrendLine& line, int side) { return side == 1 ? line.buyRole : line.shortRole; }

int32_t ValueAtY(const ChartView& view, const ChartContext& context, int pane, int y) {
  int32_t value = 0;
  PaneYToValue(view, FindStockIndexByCode(view.stockCode), context, pane, &y, &value);
  return value;
}

// Where a move leaves the values of one line, both ends at once.
struct ValueMove {
  const ChartView* view;
  const ChartContext* context;
  int pane;
  int stockIndex;
  int64_t dValue;
  int pixelsUp;  // press y - y
  bool whole;    // both ends move: the slope is kept
  bool snap;
};

void MoveValues(const ValueMove& m, int32_t press1, int32_t press2, int32_t* out1, int32_t* out2) {
  const int kind = PaneKindOf(*m.view, m.pane);
  if (IsPricePane(kind) && IsLogScalePane(*m.view, m.pane)) {
    const double logPerPixel = m.context->panes[m.pane].logPerPixel;
    *out1 = LogPaneDraggedValue(press1, m.pixelsUp, logPerPixel);
    *out2 = LogPaneDraggedValue(press2, m.pixelsUp, logPerPixel);
  } else if (m.whole) {
    ShiftValuesKeepingSlope(kind, press1, press2, m.dValue, out1, out2);
  } else {
    const ValueRange range = TrendLineValueRange(kind);
    *out1 = Within(press1 + m.dValue, range);
    *out2 = Within(press2 + m.dValue, range);
  }
  if (!IsPricePane(kind)) return;
  *out1 = RoundDraggedPrice(m.stockIndex, *out1, m.snap);
  *out2 = RoundDraggedPrice(m.stockIndex, *out2, m.snap);
}

PackedDate MovedDate(const ChartView& view, const ChartContext& context, int startBar, int dBars, PackedDate atPress) {
  return dBars != 0 ? DateOfBarIndex(view, context, startBar + dBars) : atPress;
}

// The screen point of the end that stays while the other is dragged.
void OtherEndPoint(const ChartView& view, const ChartContext& context, const LineDrag& d, int* x, int* y) {
  const bool first = d.mode == kDragLineSecondEnd;
  *x = DateToPaneX(view, context, first ? d.before.date1 : d.before.date2, GetViewLastBar(view, context));
  *y = PaneValueToY(view, context, d.pane, first ? d.before.value1 : d.before.value2);
}

void MoveEnd(const TrendLine& before, bool second, DragAxis axis, bool forcedLevel, PackedDate date, int32_t value,
             TrendLine* line) {
  if (axis == kAxisDate) date = second ? before.date1 : before.date2;  // a vertical line
  if (axis == kAxisLevel && !forcedLevel) value = second ? before.value1 : before.value2;
  if (second) {
    line->date2 = date;
    line->value2 = value;
  } else {
    line->date1 = date;
    line->value1 = value;
  }
  // A tracker step stays horizontal at the new price.
  if (forcedLevel) line->value1 = line->value2 = value;
}

void MoveCompanions(const ChartView& view, const ChartContext& context, const ValueMove& m, int dBars) {
  for (int i = 0; i < gLineDrag.companionCount; ++i) {
    const CompanionLine& c = gLineDrag.companions[i];
    if (!IsTrendLineIndex(c.line)) continue;
    TrendLine& line = gTrendLines->lines[c.line];
    int32_t v1 = 0;
    int32_t v2 = 0;
    MoveValues(m, c.value1, c.value2, &v1, &v2);
    if (dBars != 0) {
      line.date1 = DateOfBarIndex(view, context, c.startBar1 + dBars);
      line.date2 = DateOfBarIndex(view, context, c.startBar2 + dBars);
    }
    line.value1 = line.value2 = v1;
  }
}

void AddCompanion(const ChartView& view, const ChartContext& context, int index) {
  if (gLineDrag.companionCount >= kMaxGroupCompanions) return;
  const TrendLine& line = gTrendLines->lines[index];
  CompanionLine& c = gLineDrag.companions[gLineDrag.companionCount++];
  c = {index, DateToBarIndex(view, context, line.date1), DateToBarIndex(view, context, line.date2), line.value1,
       line.value2};
}

// The other steps of the grabbed line's side, same stock, move with it.
void CollectGroupCompanions(const ChartView& view, const ChartContext& context) {
  const int side = StepSide(gLineDrag.before);
  gLineDrag.groupMove = side != 0;
  if (side == 0) return;
  const int count = std::clamp(gTrendLines->count, 0, kMaxTrendLines);
  for (int i = 0; i < count; ++i) {
    const TrendLine& line = gTrendLines->lines[i];
    if (i != gLineDrag.line && line.code == gLineDrag.before.code && SideRole(line, side) > 0) {
      AddCompanion(view, context, i);
    }
  }
}

void ClearDrawnLineState() {
  gTrendLineBeingDrawn = 0;
  gRubberBandLine = false;
  gHighlightedTrendLine = -1;
}

}  // namespace

// ---- Value rules -----------------------------------------------------------------

void ClampTrendLineValue(int paneKind, int32_t* value) { *value = Within(*value, TrendLineValueRange(paneKind)); }

void ShiftValuesKeepingSlope(int paneKind, int32_t value1, int32_t value2, int64_t delta, int32_t* out1,
                             int32_t* out2) {
  const ValueRange range = TrendLineValueRange(paneKind);
  const int64_t moved1 = int64_t{value1} + delta;
  const int64_t moved2 = int64_t{value2} + delta;
  // The end pushed furthest past the range decides the correction of both.
  const int64_t fix1 = std::clamp(moved1, range.low, range.high) - moved1;
  const int64_t fix2 = std::clamp(moved2, range.low, range.high) - moved2;
  const int64_t fix = std::llabs(fix1) >= std::llabs(fix2) ? fix1 : fix2;
  *out1 = Within(moved1 + fix, range);
  *out2 = Within(moved2 + fix, range);
}

int32_t LogPaneDraggedValue(int32_t pressValue, int pixelsUp, double logPerPixel) {
  const double exponent = Log10OrZero(std::max(pressValue, 1)) + pixelsUp * logPerPixel;
  const double value = std::pow(10.0, exponent);
  // Far beyond the range (or not a number) the whole-number conversion is undefined: clamp first.
  if (!(value >= 1.0)) return 1;
  if (value >= static_cast<double>(INT32_MAX)) return INT32_MAX;
  return static_cast<int32_t>(std::lround(value));
}

int32_t RoundDraggedPrice(int stockIndex, int32_t value, bool snap) {
  const int32_t rounded =
      snap ? TruncateToHundredsOrThousands(stockIndex, value) : RoundToNearestTick(stockIndex, value);
  return std::max(rounded, 1);
}

DragAxis ChooseDragAxis(bool shift, bool forcedLevel, int dx, int dy) {
  if (forcedLevel) return kAxisLevel;
  if (!shift) return kAxisFree;
  return std::llabs(int64_t{dx}) >= std::llabs(int64_t{dy}) ? kAxisLevel : kAxisDate;
}

// ---- The press ---------------------------------------------------------------------

void BeginLineDrag(int chart, int pane, int x, int y, int pressBar, int32_t pressValue) {
  gLineDrag = {};
  gLineDrag.mode = kDragNone;
  gLineDrag.chart = chart;
  gLineDrag.pane = pane;
  gLineDrag.pressX = x;
  gLineDrag.pressY = y;
  gLineDrag.pressBar = pressBar;
  gLineDrag.pressValue = pressValue;
  gLineDrag.line = -1;
}

int PressTrendLine(const ChartView& view, const ChartContext& context, const PressKeys& keys) {
  int line = -1;
  const int hit =
      HitTestTrendLines(view, context, gLineDrag.pane, gLineDrag.pressX, gLineDrag.pressY, &line, keys.ctrl);
  if (hit == 0 || !IsTrendLineIndex(line)) return 0;
  gSelectedTrendLine = line;
  MarkTrendLine(line, keys.shift ? 1 : 0);
  gLineDrag.line = line;
  gLineDrag.before = gTrendLines->lines[line];
  gLineDrag.startBar1 = DateToBarIndex(view, context, gLineDrag.before.date1);
  gLineDrag.startBar2 = DateToBarIndex(view, context, gLineDrag.before.date2);
  if (keys.alt) CollectGroupCompanions(view, context);
  return hit;
}

bool CopyPressedTrendLine() {
  if (!IsTrendLineIndex(gLineDrag.line)) return false;
  if (gTrendLines->count >= kMaxTrendLines) return false;
  TrendLine copy = gTrendLines->lines[gLineDrag.line];
  copy.locked = 0;
  copy.buyRole = copy.buyShares = copy.shortRole = copy.shortShares = 0;
  copy.autoOrderState = kAutoOrderNone;
  copy.orderNumber = 0;
  copy.fromDefaults = 0;
  copy.marked = 0;
  const int index = gTrendLines->count++;
  gTrendLines->lines[index] = copy;
  if (gTrendLines->lines[gLineDrag.line].marked != 0) {
    gTrendLines->lines[gLineDrag.line].marked = 0;
    --gTrendLines->markedCount;
  }
  MarkTrendLine(index, 1);
  gSelectedTrendLine = index;
  gLineDrag.line = index;
  gLineDrag.before = copy;
  gLineDrag.groupMove = false;
  gLineDrag.companionCount = 0;
  return true;
}

// ---- Moves -------------------------------------------------------------------------

bool MoveGrabbedTrendLine(const ChartView& view, const ChartContext& context, const DragPoint& point) {
  LineDrag& d = gLineDrag;
  const bool endMove = d.mode == kDragLineFirstEnd || d.mode == kDragLineSecondEnd;
  if (!IsTrendLineIndex(d.line) || (!endMove && d.mode != kDragLineBody)) return false;
  if (PaneKindOf(view, d.pane) < 0) return false;
  const bool forcedLevel = (endMove && IsTrackerLine(d.before)) || d.groupMove;
  int refX = d.pressX;
  int refY = d.pressY;
  if (endMove) OtherEndPoint(view, context, d, &refX, &refY);
  const DragAxis axis = ChooseDragAxis(point.shift, forcedLevel, point.x - refX, point.y - refY);
  int x = point.x;
  int y = point.y;
  if (!endMove && axis == kAxisDate) x = d.pressX;
  if (!endMove && axis == kAxisLevel && !d.groupMove) y = d.pressY;
  const int dBars = (x - d.pressX) / std::max(1, context.geometry.barSpacing);
  const int64_t dValue = int64_t{ValueAtY(view, context, d.pane, y)} - ValueAtY(view, context, d.pane, d.pressY);
  if (dBars == 0 && dValue == 0 && axis == kAxisFree) return false;
  const ValueMove m = {&view,  &context,     d.pane,   FindStockIndexByCode(view.stockCode),
                       dValue, d.pressY - y, !endMove, point.snap};
  int32_t v1 = 0;
  int32_t v2 = 0;
  MoveValues(m, d.before.value1, d.before.value2, &v1, &v2);
  const PackedDate date1 = MovedDate(view, context, d.startBar1, dBars, d.before.date1);
  const PackedDate date2 = MovedDate(view, context, d.startBar2, dBars, d.before.date2);
  TrendLine& line = gTrendLines->lines[d.line];
  const TrendLine old = line;
  if (d.mode == kDragLineFirstEnd) {
    MoveEnd(d.before, false, axis, forcedLevel, date1, v1, &line);
  } else if (d.mode == kDragLineSecondEnd) {
    MoveEnd(d.before, true, axis, forcedLevel, date2, v2, &line);
  } else {
    line.date1 = date1;
    line.date2 = date2;
    line.value1 = v1;
    line.value2 = d.groupMove ? v1 : v2;
    if (d.groupMove) MoveCompanions(view, context, m, dBars);
  }
  return d.groupMove || std::memcmp(&old, &line, sizeof line) != 0;
}

void FinishTrendLineMove() {
  gHighlightedTrendLine = -1;
  if (!IsTrendLineIndex(gLineDrag.line)) return;
  EvaluateMonitorLine(gLineDrag.line, false, false);
  // Every step of a group moved: none may keep a reached flag of its old place.
  for (int i = 0; i < gLineDrag.companionCount; ++i) {
    if (IsTrendLineIndex(gLineDrag.companions[i].line)) EvaluateMonitorLine(gLineDrag.companions[i].line, false, false);
  }
  SaveTrendLines();
}

// ---- A new line --------------------------------------------------------------------

NewLineStart BeginNewTrendLine(const ChartView& view, const ChartContext& context, int pane, int bar, int32_t value,
                               bool newLineMode) {
  if (gTrendLines == nullptr) return kNewLineNoPlace;
  if (gTrendLines->count >= kMaxTrendLines) return kNewLineStoreFull;
  const int kind = PaneKindOf(view, pane);
  if (kind < 0 || bar < 0) return kNewLineNoPlace;
  ClampTrendLineValue(kind, &value);
  const PackedDate date = DateOfBarIndex(view, context, bar);
  TrendLine line = NewTrendLine(view.stockCode, date, value, date, value);
  line.paneKind = static_cast<int16_t>(kind);
  line.period = GetViewPeriod(view);
  line.width = gSettings.newTrendLineWidth >= 1 && gSettings.newTrendLineWidth <= 3 ? gSettings.newTrendLineWidth : 2;
  line.marked = 1;
  line.watchedLines = DefaultWatchedLines(kind, view.paneFlags[pane] & kWatchedLineMask);
  line.orderTradeKind = gSettings.buyOrderOptions[0];
  line.orderPriceKind = gSettings.buyOrderOptions[1];
  line.orderRoute = gSettings.buyOrderOptions[2];
  line.accountKind = gSettings.buyOrderOptions[3];
  line.marginKind = gSettings.buyMarginKind;
  MarkTrendLine(-1, 0);
  gSelectedTrendLine = -1;
  const int index = gTrendLines->count;
  gTrendLines->lines[index] = line;
  gTrendLineBeingDrawn = 1;
  gRubberBandLine = !newLineMode;
  gHighlightedTrendLine = index;
  gLineDrag.pressBar = bar;
  gLineDrag.pressValue = value;
  return kNewLineStarted;
}

bool StretchNewTrendLine(const ChartView& view, const ChartContext& context, int bar, int32_t value,
                         const DragPoint& point) {
  if (gTrendLines == nullptr || gTrendLineBeingDrawn == 0 || gTrendLines->count >= kMaxTrendLines) return false;
  TrendLine& line = gTrendLines->lines[gTrendLines->count];
  const DragAxis axis = ChooseDragAxis(point.shift, false, point.x - gLineDrag.pressX, point.y - gLineDrag.pressY);
  if (axis == kAxisLevel) value = gLineDrag.pressValue;  // horizontal at the press value
  if (axis == kAxisDate) bar = gLineDrag.pressBar;       // vertical at the press date
  ClampTrendLineValue(line.paneKind, &value);
  const PackedDate date = DateOfBarIndex(view, context, bar);
  if (date == line.date2 && value == line.value2) return false;
  line.date2 = date;
  line.value2 = value;
  return true;
}

bool FinishNewTrendLine(bool keep) {
  const bool drawing = gTrendLineBeingDrawn != 0;
  ClearDrawnLineState();
  if (gTrendLines == nullptr || !drawing || gTrendLines->count >= kMaxTrendLines) return false;
  const int index = gTrendLines->count;
  TrendLine& line = gTrendLines->lines[index];
  const bool empty = line.date1 == line.date2 && line.value1 == line.value2;
  if (!keep || empty) {
    line = TrendLine{};
    if (keep) SaveTrendLines();
    return false;
  }
  line.buyRole = line.shortRole = 0;
  line.fromDefaults = 0;
  line.marked = 0;
  ++gTrendLines->count;
  EvaluateMonitorLine(index, false, false);
  MarkTrendLine(index, 0);
  gSelectedTrendLine = index;
  SaveTrendLines();
  return true;
}
