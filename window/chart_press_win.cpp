// A press on the chart area: what it selects and what a drag will move, and
// the link and keep-stock buttons at the charts' edges.
#include "window/chart_press_win.h"

#include "analysis/trend_line_store.h"
#include "chart/chart_context.h"
#include "chart/chart_layout.h"
#include "chart/chart_links.h"
#include "chart/chart_loading.h"
#include "chart/chart_selection.h"
#include "chart/cross_hair.h"
#include "chart/line_dragging.h"
#include "chart/memo_hooks.h"
#include "chart/trend_line_mouse.h"
#include "window/chart_lists_win.h"
#include "window/cursor_line_win.h"
#include "window/drag_cursor_win.h"
#include "window/drag_modes.h"
#include "window/main_window_access_win.h"
#include "window/main_window_controls_win.h"
#include "window/main_window_input_win.h"
#include "window/main_window_layout.h"
#include "window/trend_line_dialogs_win.h"

int ChartAtPoint(int x, int y) {
  for (int i = 0; i < ShownChartCount(); ++i) {
    if (RectContains(gChartContexts[i].geometry.chart, x, y)) return i;
  }
  return -1;
}

int PaneAtPoint(int chart, int x, int y) {
  for (int p = 0; p < PaneCountOf(chart); ++p) {
    if (RectContains(gChartContexts[chart].panes[p].pane, x, y)) return p;
  }
  return -1;
}

void SetCrossHairAtPoint(int chart, int pane, int x, int y) {
  int bar = -1;
  int32_t value = 0;
  if (GetCursorBarAndValue(&ViewOf(chart), &gChartContexts[chart], pane, &x, &y, &bar, &value) != 0) {
    SetCrossHair(chart, pane, bar, x, y, value);
  } else {
    ClearCrossHair();
  }
}

namespace {

void DeselectTrendLines() {
  gSelectedTrendLine = -1;
  if (gTrendLines != nullptr && gTrendLines->markedCount != 0) MarkTrendLine(-1, 0);
}

// A memo under a press (never outside the new-trend-line mode's reach): it is
// selected and, for a left press, dragged (a Ctrl-press drags a copy).
bool PressMemo(int chart, int pane, int x, int y, bool right) {
  if (gNewTrendLineMode) return false;
  MemoPart part = kMemoBox;
  int memo = HitTestMemoAt(chart, pane, x, y, &part);
  if (memo < 0) return false;
  if (gCrossHairChart < 0) SetCrossHairAtPoint(chart, pane, x, y);
  DeselectTrendLines();
  if (gMemoHooks.selectOnly != nullptr) gMemoHooks.selectOnly(memo);
  if (right) return true;
  if (IsCtrlKeyDown() && gMemoHooks.duplicate != nullptr) {
    const int copy = gMemoHooks.duplicate(memo);
    if (copy >= 0) memo = copy;
  }
  if (gMemoHooks.beginDrag != nullptr) gMemoHooks.beginDrag(memo, part, chart, pane, x, y);
  gDragMode = kDragMemo;
  SetCursorPair(part == kMemoArrowTip ? kCursorLineEnd : kCursorHand, kCursorCopy);
  EraseCursorLine();
  SetCapture(MainWindow());
  return true;
}

// The mode a left press on a line starts; a Ctrl-press on its body first
// copies it (with the store full the user is told and nothing is grabbed).
int32_t GrabbedLineMode(int hit, bool ctrl) {
  if (ctrl && hit == 1 && !CopyPressedTrendLine()) {
    if (gTrendLines != nullptr && gTrendLines->count >= kMaxTrendLines) ShowTrendLineStoreFull(MainWindow());
    return kDragNone;
  }
  return DragModeForLineHit(hit, gTrendLines->lines[gLineDrag.line].locked != 0);
}

// A press on a trend line: selected (Shift keeps the others), and for a
// left press grabbed by its end or body. 0 when none lies under the point.
int PressLine(int chart, bool right) {
  if (!right && gNewTrendLineMode) return 0;
  const PressKeys keys = {IsShiftKeyDown(), IsCtrlKeyDown(), IsAltKeyDown()};
  const int hit = PressTrendLine(ViewOf(chart), gChartContexts[chart], keys);
  if (hit == 0) {
    if (!right && !keys.shift) DeselectTrendLines();
    return 0;
  }
  if (right) return hit;
  gDragMode = GrabbedLineMode(hit, keys.ctrl);
  gLineDrag.mode = gDragMode;
  if (gDragMode == kDragLockedLine) SetCursorPair(kCursorArrow);
  if (!LineDragCapturesMouse(gDragMode)) return hit;
  gHighlightedTrendLine = gLineDrag.line;
  EraseCursorLine();
  SetCapture(MainWindow());
  return hit;
}

// A press on a forecast position selects its bar and nothing else.
bool PressForecastPosition() {
  if (gCrossHairChart < 0 || !IsForecastEditPosition(gCrossHairChart, gCrossHairPane, gCrossHairBar)) return false;
  gSelectedChart = gCrossHairChart;
  gSelectedPane = gCrossHairPane;
  gCursorBar = gCrossHairBar;
  DeselectTrendLines();
  DeselectAllMemos();
  return true;
}

// A link button is made of two halves: the bottom of chart `upper` and the top
// of the chart below. Gives the chart whose half holds the point, else -1.
int LinkHalfAtPoint(int upper, Rect ChartGeometry::*bottom, Rect ChartGeometry::*top, int x, int y) {
  if (RectContains(gChartContexts[upper].geometry.*bottom, x, y)) return upper;
  if (RectContains(gChartContexts[upper + 1].geometry.*top, x, y)) return upper + 1;
  return -1;
}

// The chart not under the point follows the one under it by date.
void ToggleDateLink(int upper, int pressed) {
  ChartView& view = ViewOf(upper);
  view.dateLink = view.dateLink != 0 ? 0 : 1;
  if (view.dateLink != 0) AlignLinkedCharts(pressed == upper ? upper + 1 : upper, pressed);
}

// The pressed chart's group and stock are carried across the new link.
void ToggleStockLink(int upper, int pressed) {
  ChartView& view = ViewOf(upper);
  view.stockLink = view.stockLink != 0 ? 0 : 1;
  ChartListSync sync{};
  SyncLinkedChartLists(pressed, &sync);
  ApplyChartListSync(sync);
  SyncLinkedKeepStockFlags(pressed);
  if (view.stockLink != 0) ShowStockInLinkedCharts(pressed, ViewOf(pressed).stockCode);
  LayoutMainWindow(MainWindow());  // a chart linked from above shares the upper chart's lists
}

}  // namespace

int OnChartMouseButton(int x, int y, bool right) {
  const int oldChart = gSelectedChart;
  const int oldPane = gSelectedPane;
  const int oldBar = gCursorBar;
  gSelectedChart = 0;
  gSelectedPane = -1;
  gCursorBar = -1;
  gDragMode = kDragNone;
  gSelectedTrendLine = -1;
  BeginLineDrag(-1, -1, x, y, -1, 0);
  const int markedBefore = gTrendLines != nullptr ? gTrendLines->markedCount : 0;
  const int chart = ChartAtPoint(x, y);
  if (chart >= 0) {
    gSelectedChart = chart;
    gSelectedPane = PaneAtPoint(chart, x, y);
  }
  bool forecast = false;
  int hit = 0;
  if (gSelectedPane >= 0) {
    SetCrossHairAtPoint(chart, gSelectedPane, x, y);
    forecast = PressForecastPosition();
    if (!forecast) {
      TakeCursorBarFromCrossHair();
      const bool onBar = gCrossHairChart == chart && gCrossHairPane == gSelectedPane;
      BeginLineDrag(chart, gSelectedPane, x, y, onBar ? gCrossHairBar : -1, gCursorValue);
      if (!PressMemo(chart, gSelectedPane, x, y, right)) hit = PressLine(chart, right);
    }
  }
  const bool changed = gSelectedChart != oldChart || gSelectedPane != oldPane || gCursorBar != oldBar;
  const bool marksChanged = gTrendLines != nullptr && gTrendLines->markedCount != markedBefore;
  if (changed || forecast || hit != 0 || marksChanged) RepaintMainWindowNow();
  return hit;
}

bool PressLinkButton(int x, int y) {
  for (int upper = 0; upper + 1 < ShownChartCount(); ++upper) {
    int pressed = LinkHalfAtPoint(upper, &ChartGeometry::dateLinkBottom, &ChartGeometry::dateLinkTop, x, y);
    if (pressed >= 0) {
      ToggleDateLink(upper, pressed);
      return true;
    }
    pressed = LinkHalfAtPoint(upper, &ChartGeometry::stockLinkBottom, &ChartGeometry::stockLinkTop, x, y);
    if (pressed >= 0) {
      ToggleStockLink(upper, pressed);
      return true;
    }
  }
  return false;
}

bool PressKeepStockButton(int x, int y) {
  for (int i = 0; i < ShownChartCount(); ++i) {
    if (!RectContains(gChartContexts[i].geometry.keepStockButton, x, y)) continue;
    ChartView& view = ViewOf(i);
    view.keepStock = view.keepStock != 0 ? 0 : 1;
    SyncLinkedKeepStockFlags(i);
    gSelectedChart = i;
    gSelectedPane = -1;
    gCursorBar = -1;
    return true;
  }
  return false;
}
