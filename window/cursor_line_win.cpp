// The cross-hair's cursor line: a focus rectangle around the bar column, the
// horizontal guide and the value boxes, drawn by inversion on the window so
// that a second drawing erases it.
#include "window/cursor_line_win.h"

#include "chart/chart_context.h"
#include "chart/cross_hair.h"
#include "chart/paint_tools_win.h"
#include "records/settings_block.h"
#include "window/detail_window_win.h"
#include "window/drag_modes.h"
#include "window/main_window_access_win.h"

namespace {

// The plot areas of the shown charts: the only place the cursor line may touch.
HRGN PlotAreasRegion() {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  for (int i = 0; i < ShownChartCount(); ++i) {
    const RECT plot = ToWinRect(gChartContexts[i].geometry.plotArea);
    HRGN part = CreateRectRgnIndirect(&plot);
    CombineRgn(region, region, part, RGN_OR);
    DeleteObject(part);
  }
  return region;
}

void InvertBarColumn(HDC dc, const RECT& plot) {
  Rect column;
  GetBarColumnRect(gCrossHairChart, gCrossHairBar, &column);
  const RECT rect = ToWinRect(column);
  RECT inside;
  if (IntersectRect(&inside, &rect, &plot)) DrawFocusRect(dc, &rect);
}

void InvertGuideLine(HDC dc, const RECT& plot) {
  if (gSettings.showGuideLine == 0 || gCrossHairY < plot.top || gCrossHairY >= plot.bottom) return;
  PatBlt(dc, plot.left, gCrossHairY, plot.right - plot.left, 1, DSTINVERT);
}

void InvertCursorLine(HDC dc) {
  if (!IsChartIndex(gCrossHairChart)) return;
  const RECT plot = ToWinRect(gChartContexts[gCrossHairChart].geometry.plotArea);
  InvertBarColumn(dc, plot);
  InvertGuideLine(dc, plot);
  for (int i = 0; i < gCrossHairRectCount; ++i) {
    const RECT rect = ToWinRect(gCrossHairRects[i]);
    DrawFocusRect(dc, &rect);
  }
}

}  // namespace

// Inverts the cursor line on the window, within the plot areas and, when
// given, within `limit`.
void InvertCursorLineOnWindow(HRGN limit) {
  const HWND hwnd = MainWindow();
  if (hwnd == nullptr) return;
  const HDC dc = GetDC(hwnd);
  HRGN clip = PlotAreasRegion();
  if (limit != nullptr) CombineRgn(clip, clip, limit, RGN_AND);
  const int saved = SaveDC(dc);
  SelectClipRgn(dc, clip);
  InvertCursorLine(dc);
  RestoreDC(dc, saved);
  DeleteObject(clip);
  ReleaseDC(hwnd, dc);
}

void SetCrossHair(int chart, int pane, int bar, int x, int y, int value) {
  if (IsCrossHairUnchanged(chart, pane, bar, y, value)) return;
  EraseCursorLine();
  StoreCrossHair(chart, pane, bar, x, y, value);
  if (!IsDragging(gDragMode)) DrawCursorLine();
  FollowCrossHairInDetails();
}

void ClearCrossHair() {
  EraseCursorLine();
  ClearCrossHairState();
  FollowCrossHairInDetails();
}

void DrawCursorLine() {
  if (gCursorLineDrawn || !IsChartIndex(gCrossHairChart)) return;
  InvertCursorLineOnWindow(nullptr);
  gCursorLineDrawn = true;
}

void EraseCursorLine() {
  if (!gCursorLineDrawn) return;
  InvertCursorLineOnWindow(nullptr);
  gCursorLineDrawn = false;
}
