// The volume cloud behind the candles: grey cells per bar and price band.

#include <algorithm>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/paint_tools_win.h"
#include "chart/volume_cloud.h"
#include "chart/gdi_objects_win.h"
#include "records/palette_slots.h"

namespace {

constexpr int kLevels = kVolumeCloudTopLevel + 1;
constexpr int kLightGroundSum = 384;  // red + green + blue of a light background

// Built on first use and kept: light ramp (grey 255 - 2k) and dark ramp (grey 6k).
HBRUSH gLightRamp[kLevels];
HBRUSH gDarkRamp[kLevels];

HBRUSH* RampFor(COLORREF background) {
  const int sum = GetRValue(background) + GetGValue(background) + GetBValue(background);
  return sum >= kLightGroundSum ? gLightRamp : gDarkRamp;
}

void BuildRamps() {
  if (gLightRamp[0] != nullptr) return;
  for (int k = 0; k < kLevels; ++k) {
    const int light = 255 - 2 * k;
    const int dark = 6 * k;
    gLightRamp[k] = CreateSolidBrush(RGB(light, light, light));
    gDarkRamp[k] = CreateSolidBrush(RGB(dark, dark, dark));
  }
}

// A run of neighbouring cells of one level in one band.
struct CellRun {
  int left, right, level;
};

void FlushRun(HDC dc, const CellRun& run, int top, int bottom, HBRUSH* ramp) {
  if (run.level <= 0 || run.left >= run.right) return;
  const RECT cells = {run.left, top, run.right, bottom};
  FillRect(dc, &cells, ramp[run.level]);
}

// One band's cells from the right to the left; neighbours of one level are filled together.
void DrawBand(HDC dc, const PaneFrame& frame, int band, int first, int last, HBRUSH* ramp) {
  const Rect& plot = frame.record->plot;
  const int height = plot.bottom - plot.top;
  const int top = plot.bottom - (band + 1) * height / kVolumeCloudBands;
  const int bottom = plot.bottom - band * height / kVolumeCloudBands;
  if (top >= bottom) return;
  CellRun run = {0, 0, 0};
  for (int bar = std::min(last, frame.count - 1); bar >= first; --bar) {
    const int left = BarX(frame, last, bar) - frame.barWidth / 2;
    const int level = VolumeCloudLevel(gVolumeCloud, bar, band);
    if (level == run.level && left + frame.spacing == run.left) {
      run.left = left;
      continue;
    }
    FlushRun(dc, run, top, bottom, ramp);
    run = {left, left + frame.spacing, level};
  }
  FlushRun(dc, run, top, bottom, ramp);
}

}  // namespace

void DrawVolumeCloud(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame) || !AllocVolumeCloud(&gVolumeCloud)) return;
  if (frame.record->plot.bottom - frame.record->plot.top <= 0) return;
  AccumulateVolumeCloud(*frame.bars, *frame.record, frame.logScale, GetViewPeriod(view), first, last, &gVolumeCloud);
  BuildRamps();
  HBRUSH* ramp = RampFor(PaletteColor(kColorBackground));
  const HRGN clip = PushClipRect(dc, ToWinRect(frame.record->plot));
  for (int band = 0; band < kVolumeCloudBands; ++band) DrawBand(dc, frame, band, first, last, ramp);
  PopClipRect(dc, clip);
}

void FreeVolumeCloudBrushes() {
  for (int k = 0; k < kLevels; ++k) {
    if (gLightRamp[k] != nullptr) DeleteObject(gLightRamp[k]);
    if (gDarkRamp[k] != nullptr) DeleteObject(gDarkRamp[k]);
    gLightRamp[k] = gDarkRamp[k] = nullptr;
  }
}
