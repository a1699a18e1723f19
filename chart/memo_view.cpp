// Memos on chart panes: the memos shown, range widening, hit test, dragging, re-anchoring.
#include "chart/memo_view.h"

#include <algorithm>

#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/memo_store.h"
#include "chart/screen_pattern.h"
#include "data/stock_table.h"

namespace {

// A box no layout of 511 bytes can exceed: a stored size beyond it is damage.
constexpr int64_t kMaxMemoBoxExtent = 1 << 15;

int ClampInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool IsPriceKind(int kind) { return kind == kPaneCandles || kind == kPaneIchimoku; }

int PaneCountOf(const ChartView& view) { return std::clamp<int>(view.paneCount, 0, kMaxPanesPerChart); }

// What a press grabbed, kept until the release.
struct MemoDrag {
  int memo = -1;
  MemoPart part = kMemoBox;
  int chart = -1, pane = -1;
  int pressX = 0, pressY = 0;
  int32_t pressOffsetX = 0, pressOffsetY = 0;
  uint32_t pressDate = 0;
  int32_t pressValue = 0;
  int pressBar = 0;
  int pressAnchorX = 0, pressAnchorY = 0;
  int32_t valueAtPressY = 0;  // the pane's value under the press point
};
MemoDrag gMemoDrag;

bool IsShownChart(int chart) { return chart >= 0 && chart < ShownChartCount(); }

// Whether the pane shows the memo by the matching rule, whatever its date.
bool PaneMatchesMemo(const ChartView& view, const ChartContext& context, int pane, const Memo& memo) {
  const BarSeries* bars = GetViewBarSeries(view, context);
  return bars != nullptr && bars->count >= 2 && memo.code == view.stockCode && memo.period == GetViewPeriod(view) &&
         MemoFitsPaneKind(static_cast<int>(view.paneKinds[pane]), memo.paneKind);
}

int32_t DraggedValue(const ChartView& view, const ChartContext& context, int pane, int y, int64_t delta, bool snap) {
  const int kind = static_cast<int>(view.paneKinds[pane]);
  const int64_t moved = std::clamp<int64_t>(int64_t{gMemoDrag.pressValue} + delta, INT32_MIN, INT32_MAX);
  int32_t value = static_cast<int32_t>(moved);
  if (!IsPriceKind(kind)) {
    ClampTrendLineValue(kind, &value);
    return value;
  }
  if (IsLogScalePane(view, pane)) {
    value = LogPaneDraggedValue(gMemoDrag.pressValue, gMemoDrag.pressY - y, context.panes[pane].logPerPixel);
  }
  return RoundDraggedPrice(FindStockIndexByCode(view.stockCode), value, snap);
}

}  // namespace

void CollectChartMemos(const ChartView& view, const ChartContext& context, int first, int last, ChartMemoSet* set) {
  set->code = view.stockCode;
  set->period = GetViewPeriod(view);
  set->memos.clear();
  const BarSeries* bars = GetViewBarSeries(view, context);
  set->usable = bars != nullptr && bars->count >= 2;
  if (!set->usable) return;
  const MemoBarWindow window = MemoVisibleBars(first, last);
  set->firstDate = DateOfBarIndex(view, context, window.first);
  set->lastDate = DateOfBarIndex(view, context, window.last);
  // The one walk of the table for this chart: only the code and period of the other stocks' memos are read.
  for (int i = 0; i < MemoCount(); ++i) {
    const Memo& memo = gMemos.memos[i];
    if (memo.code == set->code && memo.period == set->period) set->memos.push_back(i);
  }
}

bool PaneShowsMemo(const ChartMemoSet& set, const Memo& memo, int paneKind) {
  return set.usable && memo.code == set.code && memo.period == set.period &&
         MemoFitsPaneKind(paneKind, memo.paneKind) && memo.date >= set.firstDate && memo.date <= set.lastDate;
}

int MemoBoxWidth(const Memo& memo) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{memo.boxRight} - memo.boxLeft, 0, kMaxMemoBoxExtent));
}

int MemoBoxHeight(const Memo& memo) {
  return static_cast<int>(std::clamp<int64_t>(int64_t{memo.boxBottom} - memo.boxTop, 0, kMaxMemoBoxExtent));
}

MemoShape MemoShapeOnPane(const ChartView& view, const ChartContext& context, int pane, const Memo& memo, int last) {
  MemoShape shape{};
  shape.anchorX = DateToPaneX(view, context, memo.date, last);
  shape.anchorY = PaneValueToY(view, context, pane, memo.value);
  shape.box = PlaceMemoBox(shape.anchorX, shape.anchorY, memo.boxOffsetX, memo.boxOffsetY, MemoBoxWidth(memo),
                           MemoBoxHeight(memo));
  shape.arrowShown = memo.arrowHidden != 1;
  return shape;
}

void PositionPaneMemos(const ChartView& view, int stockIndex, const ChartContext& scaled, int pane,
                       const ChartMemoSet& set, int32_t* minValue, int32_t* maxValue) {
  if (pane < 0 || pane >= kMaxPanesPerChart) return;
  const int paneKind = static_cast<int>(view.paneKinds[pane]);
  for (const int index : set.memos) {
    const Memo& memo = gMemos.memos[index];
    if (!PaneShowsMemo(set, memo, paneKind)) continue;
    const int64_t top = int64_t{PaneValueToY(view, scaled, pane, memo.value)} + memo.boxOffsetY;
    int topY = ClampInt(top);
    int bottomY = ClampInt(top + MemoBoxHeight(memo));
    int32_t atTop = 0, atBottom = 0;
    PaneYToValue(view, stockIndex, scaled, pane, &topY, &atTop);
    PaneYToValue(view, stockIndex, scaled, pane, &bottomY, &atBottom);
    WidenRangeForMemo(memo.value, atTop, atBottom, minValue, maxValue);
  }
}

int HitTestMemosPass(const ChartView& view, const ChartContext& context, int pane, int x, int y, bool selectedOnly,
                     MemoPart* part) {
  if (pane < 0 || pane >= PaneCountOf(view)) return -1;
  const int last = GetViewLastBar(view, context);
  const int first = ClampInt(int64_t{last} - context.geometry.visibleBars - 3);
  ChartMemoSet set;
  CollectChartMemos(view, context, first, last, &set);
  const int paneKind = static_cast<int>(view.paneKinds[pane]);
  for (const int index : set.memos) {
    const Memo& memo = gMemos.memos[index];
    if ((selectedOnly && memo.selected == 0) || !PaneShowsMemo(set, memo, paneKind)) continue;
    const int hit = HitTestMemoShape(MemoShapeOnPane(view, context, pane, memo, last), x, y);
    if (hit < 0) continue;
    if (part != nullptr) *part = static_cast<MemoPart>(hit);
    return index;
  }
  return -1;
}

int HitTestMemos(const ChartView& view, const ChartContext& context, int pane, int x, int y, MemoPart* part) {
  const int selected = HitTestMemosPass(view, context, pane, x, y, true, part);
  return selected >= 0 ? selected : HitTestMemosPass(view, context, pane, x, y, false, part);
}

void BeginMemoDrag(int memo, MemoPart part, int chart, int pane, int x, int y) {
  gMemoDrag = MemoDrag{};
  const Memo* record = MemoAt(memo);
  if (record == nullptr || !IsShownChart(chart)) return;
  const ChartView& view = CurrentScreenPattern().views[chart];
  const ChartContext& context = gChartContexts[chart];
  if (pane < 0 || pane >= PaneCountOf(view)) return;
  gMemoDrag = {memo, part, chart, pane, x, y, record->boxOffsetX, record->boxOffsetY, record->date, record->value};
  gMemoDrag.pressBar = DateToBarIndex(view, context, record->date);
  const int last = GetViewLastBar(view, context);
  gMemoDrag.pressAnchorX = DateToPaneX(view, context, record->date, last);
  gMemoDrag.pressAnchorY = PaneValueToY(view, context, pane, record->value);
  int pressY = y;
  PaneYToValue(view, FindStockIndexByCode(view.stockCode), context, pane, &pressY, &gMemoDrag.valueAtPressY);
}

bool DragMemoTo(const DragPoint& point) {
  Memo* memo = MemoAt(gMemoDrag.memo);
  if (memo == nullptr || !IsShownChart(gMemoDrag.chart)) return false;
  const ChartView& view = CurrentScreenPattern().views[gMemoDrag.chart];
  const ChartContext& context = gChartContexts[gMemoDrag.chart];
  const int pane = gMemoDrag.pane;
  const int dx = point.x - gMemoDrag.pressX, dy = point.y - gMemoDrag.pressY;
  if (gMemoDrag.part == kMemoBox) {
    const int32_t x = ClampInt(int64_t{gMemoDrag.pressOffsetX} + dx),
                  y = ClampInt(int64_t{gMemoDrag.pressOffsetY} + dy);
    if (x == memo->boxOffsetX && y == memo->boxOffsetY) return false;
    memo->boxOffsetX = x;
    memo->boxOffsetY = y;
  } else {
    const DragAxis axis = ChooseDragAxis(point.shift, false, dx, dy);
    const int bars = axis == kAxisDate ? 0 : dx / std::max(1, context.geometry.barSpacing);
    int64_t delta = 0;
    if (axis != kAxisLevel) {
      int y = point.y;
      int32_t value = 0;
      PaneYToValue(view, FindStockIndexByCode(view.stockCode), context, pane, &y, &value);
      delta = int64_t{value} - gMemoDrag.valueAtPressY;
    }
    if (bars == 0 && delta == 0 && axis != kAxisLevel) return false;
    memo->date =
        bars != 0 ? DateOfBarIndex(view, context, ClampInt(int64_t{gMemoDrag.pressBar} + bars)) : gMemoDrag.pressDate;
    memo->value =
        axis == kAxisLevel ? gMemoDrag.pressValue : DraggedValue(view, context, pane, point.y, delta, point.snap);
    if (gMemoDrag.part == kMemoArrowTip) {
      // The box stays where it was on the screen.
      const int last = GetViewLastBar(view, context);
      const int64_t ax = DateToPaneX(view, context, memo->date, last);
      const int64_t ay = PaneValueToY(view, context, pane, memo->value);
      memo->boxOffsetX = ClampInt(int64_t{gMemoDrag.pressOffsetX} + gMemoDrag.pressAnchorX - ax);
      memo->boxOffsetY = ClampInt(int64_t{gMemoDrag.pressOffsetY} + gMemoDrag.pressAnchorY - ay);
    }
  }
  MarkMemosChanged();
  // Only the panes that show the memo (the whole chart when its scale changed), as for a dragged line.
  InvalidateTrendLinePanes(memo->code, memo->paneKind);
  return true;
}

void EndMemoDrag() {
  if (MemoAt(gMemoDrag.memo) != nullptr) InvalidateAllCharts();
  gMemoDrag = MemoDrag{};
}

void ReanchorMemoToBox(int index) {
  Memo* memo = MemoAt(index);
  if (memo == nullptr) return;
  const ScreenPattern& pattern = CurrentScreenPattern();
  for (int chart = 0; chart < ShownChartCount(); ++chart) {
    const ChartView& view = pattern.views[chart];
    const ChartContext& context = gChartContexts[chart];
    for (int pane = 0; pane < PaneCountOf(view); ++pane) {
      if (!PaneMatchesMemo(view, context, pane, *memo)) continue;
      const Rect box = {memo->boxLeft, memo->boxTop, memo->boxRight, memo->boxBottom};
      const int y = ClampInt(int64_t{box.top} - kMemoReanchorGap);
      // Below 0 on an oscillator stays below 0: only price panes keep prices.
      memo->value = IsPriceKind(static_cast<int>(view.paneKinds[pane])) ? PaneYToPrice(view, context, pane, y)
                                                                        : PaneYToLinearValue(context.panes[pane], y);
      const int bar = MemoBoxCentreBar(box, GetViewLastBar(view, context), context.geometry.plotArea.right,
                                       context.geometry.barSpacing);
      memo->date = DateOfBarIndex(view, context, bar);
      memo->boxOffsetX = ClampInt((int64_t{box.left} - box.right) / 2);
      memo->boxOffsetY = kMemoReanchorGap;
      MarkMemosChanged();
      return;
    }
  }
}
