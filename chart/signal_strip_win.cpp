// The signal strip of a daily price pane: per bar and row a triangle where a
// signal of the row's kind fires, else the colour of a back-test position.

#include <algorithm>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/gdi_objects_win.h"
#include "chart/paint_tools_win.h"
#include "chart/signal_strip.h"

namespace {

// Painting runs on the main thread only; the bands keep their memory between paints.
StripBand gStripBands[kStripRowCount];

// 0x00RRGGBB, as a 32-bit DIB holds it.
uint32_t ToPixel(COLORREF color) {
  return static_cast<uint32_t>(GetRValue(color)) << 16 | static_cast<uint32_t>(GetGValue(color)) << 8 |
         GetBValue(color);
}

uint32_t SlotPixel(int slot) { return ToPixel(PaletteColor(slot)); }

// The slot of the scenario state's cell, -1 for none.
int StateSlot(const StripRow& row, int state) {
  if (state == kScenarioClosedByExit) return row.exitSlot;
  if (state == kScenarioClosedByLossCut) return row.lossCutSlot;
  return state == kScenarioHeldMark || (state >= -6 && state <= -1) ? row.heldSlot : -1;
}

// What the cells of one paint share: the scenarios of each kind and the marks' shapes.
struct StripPaint {
  StripScenarios scenarios;
  StripTriangle down, up;
};

void AddBarCells(const ChartView& view, const ChartContext& context, const PaneFrame& frame, const StripPaint& paint,
                 int bar, int cellLeft) {
  const uint8_t kinds =
      bar < frame.count ? GetCachedSignalKinds(&context.signalStrip, view.stockCode, context, bar) : 0;
  const Rect cell = {cellLeft, 0, cellLeft + frame.spacing - 1, kStripRowHeight};
  for (int row = 0; row < kStripRowCount; ++row) {
    const StripRow& strip = GetStripRow(row);
    if ((kinds & (1u << (strip.kind - 1))) != 0) {
      FillMadeStripTriangle(&gStripBands[row], strip.markDown ? paint.down : paint.up, cell, SlotPixel(strip.markSlot));
      continue;
    }
    const int slot = StateSlot(strip, GetStripScenarioState(paint.scenarios, bar, strip.kind));
    if (slot >= 0) FillStripCell(&gStripBands[row], cell, SlotPixel(slot));
  }
}

void DrawBand(HDC dc, const StripBand& band, int top) {
  if (band.width <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = band.width;
  info.bmiHeader.biHeight = -kStripRowHeight;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (gMetafileRendering != 0) {
    // Played back at any size: the pixels must scale with the rest of the picture.
    StretchDIBits(dc, band.left, top, band.width, kStripRowHeight, 0, 0, band.width, kStripRowHeight,
                  band.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    return;
  }
  SetDIBitsToDevice(dc, band.left, top, static_cast<DWORD>(band.width), kStripRowHeight, 0, 0, 0, kStripRowHeight,
                    band.pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace

void DrawSignalStrip(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  PaneFrame frame;
  if (GetViewPeriod(view) != 0 || !GetPaneFrame(view, context, pane, &frame)) return;
  if (view.paneKinds[pane] > kPaneIchimoku) return;
  const Rect& full = frame.record->fullPlot;
  if (IsEmptyRect(full)) return;
  for (int row = 0; row < kStripRowCount; ++row)
    ResetStripBand(&gStripBands[row], full.left, full.right - full.left, SlotPixel(GetStripRow(row).backgroundSlot));
  PrepareSignalStripCache(&context.signalStrip, view.stockCode, context);
  StripPaint paint;
  FindStripScenarios(context, &paint.scenarios);
  MakeStripTriangle(frame.spacing - 1, true, &paint.down);
  MakeStripTriangle(frame.spacing - 1, false, &paint.up);
  for (int bar = last; bar >= std::max(first, 0); --bar)
    AddBarCells(view, context, frame, paint, bar, BarX(frame, last, bar) - frame.spacing / 2 + 1);
  const HRGN clip = PushClipRect(dc, ToWinRect(full));
  for (int row = 0; row < kStripRowCount; ++row)
    DrawBand(dc, gStripBands[row], full.top + kStripFirstRowOffset + row * kStripRowPitch);
  PopClipRect(dc, clip);
}
