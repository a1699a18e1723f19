#include "window/main_window_drags_win.h"

#include <algorithm>

#include "analysis/trend_line_store.h"
#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_loading.h"
#include "chart/chart_scroll.h"
#include "chart/cross_hair.h"
#include "chart/forecast_candles.h"
#include "chart/line_dragging.h"
#include "chart/memo_hooks.h"
#include "chart/position_marks.h"
#include "chart/screen_pattern.h"
#include "chart/trend_line_mouse.h"
#include "records/settings_block.h"
#include "window/drag_cursor_win.h"
#include "window/drag_modes.h"
#include "window/main_window_controls_win.h"
#include "window/main_window_layout.h"
#include "window/trend_line_dialogs_win.h"
#include "window/window_hooks.h"

namespace {

int gMarginChart = -1;
int gMarginPressX = 0;
int gMarginStart = 0;

int ClientWidth(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return client.right - client.left;
}

int MarginHandleAt(int x, int y) {
  for (int i = 0; i < ShownChartCount(); ++i) {
    const ChartGeometry& geometry = gChartContexts[i].geometry;
    if (RectContains(WidenedMarginHandle(geometry.marginHandle, geometry.chart), x, y)) return i;
  }
  return -1;
}

void Relayout(HWND hwnd) {
  LayoutMainWindow(hwnd);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void DragGroupSplitter(HWND hwnd, int x) {
  const int width = GroupListWidthForDrag(x, ClientWidth(hwnd));
  if (width == gGroupListWidth) return;
  gGroupListWidth = width;
  Relayout(hwnd);
}

void DragDetailSplitter(HWND hwnd, int x) {
  const int width = DetailListWidthForDrag(x, ClientWidth(hwnd));
  if (width == gDetailListWidth) return;
  gDetailListWidth = width;
  Relayout(hwnd);
}

void DragRightMargin(HWND hwnd, int x) {
  SetChartRightMargin(gMarginChart, RightMarginForDrag(gMarginStart, gMarginPressX, x, ClientWidth(hwnd)));
}

bool IsDragChart(int chart) { return chart >= 0 && chart < ShownChartCount(); }

const ChartView& DragView() { return CurrentScreenPattern().views[gLineDrag.chart]; }
const ChartContext& DragContext() { return gChartContexts[gLineDrag.chart]; }

// A line shows only on the charts of its stock, and there only on the panes
// of its kind: the rest of the picture stays as it is. A group move may take
// lines of other panes along, so it repaints those charts whole.
void InvalidateChartsOfStock(StockCode code) {
  for (int i = 0; i < ShownChartCount(); ++i) {
    if (CurrentScreenPattern().views[i].stockCode == code) InvalidateChart(i);
  }
}

void InvalidateLinePanes(const TrendLine& line, bool groupMove) {
  if (groupMove) {
    InvalidateChartsOfStock(line.code);
  } else {
    InvalidateTrendLinePanes(line.code, line.paneKind);
  }
}

DragPoint PointOf(int x, int y, bool shift) {
  const bool noConvert = (GetAsyncKeyState(VK_NONCONVERT) & 0x8000) != 0;
  return {x, y, shift, SnapsToRoundPrices(gSettings.snapDraggedPrices != 0, noConvert)};
}

// The press stood on a forecast position: the candle there follows the mouse.
void StartForecastDrag(HWND hwnd) {
  if (!StartForecastCandle(gCrossHairChart, gCrossHairBar, gLineDrag.pressValue)) return;
  gLineDrag.chart = gCrossHairChart;
  gDragMode = kDragForecastCandle;
  SetCapture(hwnd);
}

// The first move with the button down on empty pane area draws a new line
// from the press point.
void StartNewLine(HWND hwnd) {
  if (!IsDragChart(gLineDrag.chart) || gLineDrag.pane < 0 || gLineDrag.pressBar < 0) return;
  const NewLineStart start = BeginNewTrendLine(DragView(), DragContext(), gLineDrag.pane, gLineDrag.pressBar,
                                               gLineDrag.pressValue, gNewTrendLineMode);
  if (start == kNewLineStoreFull) {
    ShowTrendLineStoreFull(hwnd);
    return;
  }
  if (start != kNewLineStarted) return;
  gDragMode = gNewTrendLineMode ? kDragNewLineMode : kDragNewLine;
  gLineDrag.mode = gDragMode;
  SetCapture(hwnd);
}

void StartDragFromPress(HWND hwnd, int x, int y, bool shift) {
  if (gCrossHairChart >= 0 && IsForecastEditPosition(gCrossHairChart, gCrossHairPane, gCrossHairBar)) {
    StartForecastDrag(hwnd);
    return;
  }
  StartNewLine(hwnd);
  if (gDragMode == kDragNewLine || gDragMode == kDragNewLineMode) OnChartMouseMove(hwnd, x, y, shift);
}

void StretchNewLine(int x, int y, bool shift) {
  if (gCrossHairChart != gLineDrag.chart || gCrossHairBar < 0) return;
  if (StretchNewTrendLine(DragView(), DragContext(), gCrossHairBar, gCursorValue, PointOf(x, y, shift))) {
    const TrendLine* drawn = ChartSetLine(gTrendLines->count);
    if (drawn != nullptr) InvalidateLinePanes(*drawn, false);
  }
}

void MoveLine(int x, int y, bool shift) {
  if (IsDragChart(gLineDrag.chart) && MoveGrabbedTrendLine(DragView(), DragContext(), PointOf(x, y, shift))) {
    InvalidateLinePanes(gLineDrag.before, gLineDrag.groupMove);
  }
}

void FinishDrag(int mode) {
  switch (mode) {
    case kDragNewLine: FinishNewTrendLine(IsCtrlKeyDown()); break;
    case kDragNewLineMode: FinishNewTrendLine(true); break;
    case kDragLineFirstEnd:
    case kDragLineSecondEnd: FinishTrendLineMove(); break;
    case kDragLineBody:
      FinishTrendLineMove();
      SetCursorPair(kCursorHand, kCursorCopy);
      break;
    case kDragLockedLine: SetCursorPair(kCursorArrow); break;
    case kDragMemo:
      if (gMemoHooks.endDrag != nullptr) gMemoHooks.endDrag();
      SetCursorPair(kCursorHand, kCursorCopy);
      break;
    case kDragForecastCandle: FinishForecastCandle(gLineDrag.chart); return;
    default: return;
  }
  InvalidateAllCharts();
}

}  // namespace

bool BeginSplitterOrMarginDrag(HWND hwnd, int x, int y) {
  const MainWindowLayout& layout = CurrentMainWindowLayout();
  if (gShowGroupList != 0 && RectContains(layout.groupListSplitter, x, y)) {
    gDragMode = kDragGroupSplitter;
  } else if (gShowDetailList != 0 && RectContains(layout.detailListSplitter, x, y)) {
    gDragMode = kDragDetailSplitter;
  } else {
    const int chart = MarginHandleAt(x, y);
    if (chart < 0) return false;
    gDragMode = kDragRightMargin;
    gMarginChart = chart;
    gMarginPressX = x;
    gMarginStart = gChartContexts[chart].geometry.rightMargin;  // as shown
  }
  SetCapture(hwnd);
  return true;
}

bool ContinueSplitterOrMarginDrag(HWND hwnd, int x) {
  switch (gDragMode) {
    case kDragGroupSplitter: DragGroupSplitter(hwnd, x); return true;
    case kDragDetailSplitter: DragDetailSplitter(hwnd, x); return true;
    case kDragRightMargin: DragRightMargin(hwnd, x); return true;
    default: return false;
  }
}

void OnChartMouseMove(HWND hwnd, int x, int y, bool shift) {
  switch (gDragMode) {
    case kDragNone: StartDragFromPress(hwnd, x, y, shift); break;
    case kDragNewLine:
    case kDragNewLineMode: StretchNewLine(x, y, shift); break;
    case kDragLineFirstEnd:
    case kDragLineSecondEnd:
    case kDragLineBody: MoveLine(x, y, shift); break;
    case kDragMemo:
      if (gMemoHooks.dragTo != nullptr) gMemoHooks.dragTo(PointOf(x, y, shift));
      break;
    case kDragForecastCandle:
      if (gCrossHairChart == gLineDrag.chart) DragForecastCandle(gLineDrag.chart, gCursorValue);
      break;
    default: ContinueSplitterOrMarginDrag(hwnd, x); break;
  }
}

void OnChartMouseUp() {
  const int mode = gDragMode;
  // Set first: the capture's release may bring a mouse move along.
  gDragMode = kDragNone;
  if (mode != kDragNone && GetCapture() != nullptr) ReleaseCapture();
  FinishDrag(mode);
  gMarginChart = -1;
  BeginLineDrag(-1, -1, 0, 0, -1, 0);
  UpdateMainMenuStates();
}

bool IsOverSizingHandle(int x, int y) {
  const MainWindowLayout& layout = CurrentMainWindowLayout();
  if (gShowGroupList != 0 && RectContains(layout.groupListSplitter, x, y)) return true;
  if (gShowDetailList != 0 && RectContains(layout.detailListSplitter, x, y)) return true;
  return MarginHandleAt(x, y) >= 0;
}
