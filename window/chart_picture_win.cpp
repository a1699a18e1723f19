#include "window/chart_picture_win.h"

#include <algorithm>

#include "chart/chart_context.h"
#include "chart/chart_paint_win.h"
#include "chart/gdi_objects_win.h"
#include "chart/paint_tools_win.h"
#include "chart/print_layout.h"
#include "chart/screen_pattern.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "window/chart_window_layout.h"

namespace {

constexpr int kPreviewInset = 20;

bool HasRoomForPanes(int chart) {
  return ChartHasRoomForPanes(gChartContexts[chart].geometry.chart, CurrentScreenPattern().views[chart], gPaneHeights,
                              gChartFontSize);
}

Rect UnionOfShownCharts() {
  Rect bounds = {0, 0, 0, 0};
  for (int i = 0; i < ShownChartCount(); ++i) {
    const Rect& chart = gChartContexts[i].geometry.chart;
    if (!HasRoomForPanes(i)) continue;
    if (IsEmptyRect(bounds)) {
      bounds = chart;
      continue;
    }
    bounds = {std::min(bounds.left, chart.left), std::min(bounds.top, chart.top), std::max(bounds.right, chart.right),
              std::max(bounds.bottom, chart.bottom)};
  }
  return bounds;
}

// The picture's frame in hundredths of a millimetre, from the screen's pixels.
RECT FrameOfPixels(HDC screen, const Rect& pixels) {
  const int widthMm = GetDeviceCaps(screen, HORZSIZE), heightMm = GetDeviceCaps(screen, VERTSIZE);
  const int width = std::max(GetDeviceCaps(screen, HORZRES), 1), height = std::max(GetDeviceCaps(screen, VERTRES), 1);
  return {MulDiv(pixels.left, widthMm * 100, width), MulDiv(pixels.top, heightMm * 100, height),
          MulDiv(pixels.right, widthMm * 100, width), MulDiv(pixels.bottom, heightMm * 100, height)};
}

// Only the chart and its panes go into the picture: the margin handle and
// the buttons along the chart's edges belong to the screen.
void LeaveOutScreenParts(ChartGeometry* g) {
  for (Rect* part : {&g->marginHandle, &g->keepStockButton, &g->dateLinkTop, &g->dateLinkBottom, &g->stockLinkTop,
                     &g->stockLinkBottom})
    *part = {0, 0, 0, 0};
}

void FrameRectWithPen(HDC dc, const Rect& r) {
  const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, oldBrush);
}

// The live context is painted, not a copy, so that whatever is found by its
// slot (the forecast bars) shows; its geometry is put back afterwards.
void DrawChartIntoPicture(HDC dc, int chart, HPEN pen) {
  const ChartView& view = CurrentScreenPattern().views[chart];
  ChartContext& context = gChartContexts[chart];
  const ChartGeometry saved = context.geometry;
  LeaveOutScreenParts(&context.geometry);
  const RECT area = ToWinRect(context.geometry.chart);
  FillButtonFaceRect(dc, area);
  DrawSunkenFrame(dc, area);
  PaintChart(dc, view, context);
  DrawPaneTitleLabels(dc, view, context, -1);
  const HGDIOBJ oldPen = SelectObject(dc, pen);
  const int panes = std::clamp(view.paneCount, 0, kMaxPanesPerChart);
  for (int pane = 0; pane < panes; ++pane) FrameRectWithPen(dc, context.panes[pane].pane);
  FrameRectWithPen(dc, context.geometry.chart);
  SelectObject(dc, oldPen);
  context.geometry = saved;
}

// Dialog 170 shows this picture while it is open.
HENHMETAFILE gPreviewPicture = nullptr;

void SizePreviewToScreen(HWND dialog) {
  const int width =
      GetSystemMetrics(SM_CXFULLSCREEN) - 4 * GetSystemMetrics(SM_CXBORDER) + 2 * GetSystemMetrics(SM_CXFRAME);
  const int height = GetSystemMetrics(SM_CYFULLSCREEN) - 4 * GetSystemMetrics(SM_CYBORDER) +
                     GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
  SetWindowPos(dialog, nullptr, 0, 0, width, height, SWP_NOZORDER);
}

void PaintPreview(HWND dialog) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(dialog, &paint);
  RECT client;
  GetClientRect(dialog, &client);
  FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  InflateRect(&client, -kPreviewInset, -kPreviewInset);
  DrawMetafileFitted(dc, gPreviewPicture, client);
  EndPaint(dialog, &paint);
}

INT_PTR CALLBACK PreviewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: SizePreviewToScreen(dialog); return TRUE;
    case WM_PAINT: PaintPreview(dialog); return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace

HENHMETAFILE RenderChartsToMetafile() {
  const Rect bounds = UnionOfShownCharts();
  if (IsEmptyRect(bounds)) return nullptr;
  const HDC screen = GetDC(nullptr);
  const RECT frame = FrameOfPixels(screen, bounds);
  const HDC dc = CreateEnhMetaFileW(screen, nullptr, &frame, nullptr);
  ReleaseDC(nullptr, screen);
  if (dc == nullptr) return nullptr;
  const HPEN pen = CreatePen(PS_SOLID, 1, gPaletteColors[0]);
  gMetafileRendering = 1;
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  for (int i = 0; i < ShownChartCount(); ++i)
    if (HasRoomForPanes(i)) DrawChartIntoPicture(dc, i, pen);
  gMetafileRendering = 0;
  if (pen != nullptr) DeleteObject(pen);
  return CloseEnhMetaFile(dc);
}

void DrawMetafileFitted(HDC dc, HENHMETAFILE picture, const RECT& rect) {
  ENHMETAHEADER header{};
  if (picture == nullptr || GetEnhMetaFileHeader(picture, sizeof header, &header) == 0) return;
  const RECTL& frame = header.rclFrame;
  Rect target;
  const Rect area = {rect.left, rect.top, rect.right, rect.bottom};
  if (!FitPictureInArea(int64_t{frame.right} - frame.left, int64_t{frame.bottom} - frame.top, area, &target)) return;
  const RECT play = ToWinRect(target);
  PlayEnhMetaFile(dc, picture, &play);
}

bool CopyChartImage(HWND owner) {
  const HENHMETAFILE picture = RenderChartsToMetafile();
  if (picture == nullptr) return false;
  if (OpenClipboard(owner) == FALSE) {
    DeleteEnhMetaFile(picture);
    return false;
  }
  EmptyClipboard();
  // From here on the clipboard owns the picture.
  const bool placed = SetClipboardData(CF_ENHMETAFILE, picture) != nullptr;
  if (!placed) DeleteEnhMetaFile(picture);
  CloseClipboard();
  return placed;
}

void ShowPrintPreview(HWND owner) {
  gPreviewPicture = RenderChartsToMetafile();
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PRINT_PREVIEW), owner, PreviewDlgProc, 0);
  if (gPreviewPicture != nullptr) DeleteEnhMetaFile(gPreviewPicture);
  gPreviewPicture = nullptr;
}
