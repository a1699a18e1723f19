#include "window/main_window_drags_win.h"

#include <algorithm>

#include "chart/chart_context.h"
#include "chart/chart_scroll.h"
#include "window/drag_modes.h"
#include "window/main_window_controls_win.h"
#include "window/main_window_layout.h"
#include "chart/screen_pattern.h"
#include "records/settings_block.h"

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

void EndMouseDrag() {
  if (gDragMode != kDragNone && GetCapture() != nullptr) ReleaseCapture();
  gDragMode = kDragNone;
  gMarginChart = -1;
}

bool IsOverSizingHandle(int x, int y) {
  const MainWindowLayout& layout = CurrentMainWindowLayout();
  if (gShowGroupList != 0 && RectContains(layout.groupListSplitter, x, y)) return true;
  if (gShowDetailList != 0 && RectContains(layout.detailListSplitter, x, y)) return true;
  return MarginHandleAt(x, y) >= 0;
}
