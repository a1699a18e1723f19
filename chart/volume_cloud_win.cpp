// The volume cloud behind the candles: grey cells per bar and price band.

#include <algorithm>
#include <utility>
#include <vector>

#include "chart/chart_layout.h"
#include "chart/chart_paint_win.h"
#include "chart/paint_tools_win.h"
#include "chart/volume_cloud.h"
#include "chart/gdi_objects_win.h"
#include "chart/pixel_canvas_win.h"
#include "records/palette_slots.h"

namespace {

constexpr int kLevels = kVolumeCloudTopLevel + 1;
constexpr int kLightGroundSum = 384;  // red + green + blue of a light background

// Built on first use and kept: light ramp (grey 255 - 2k) and dark ramp (grey 6k).
HBRUSH gLightRamp[kLevels];
HBRUSH gDarkRamp[kLevels];

COLORREF RampColor(bool light, int level) {
  const int grey = light ? 255 - 2 * level : 6 * level;
  return RGB(grey, grey, grey);
}

bool IsLightGround(COLORREF background) {
  return GetRValue(background) + GetGValue(background) + GetBValue(background) >= kLightGroundSum;
}

void BuildRamps() {
  if (gLightRamp[0] != nullptr) return;
  for (int k = 0; k < kLevels; ++k) {
    gLightRamp[k] = CreateSolidBrush(RampColor(true, k));
    gDarkRamp[k] = CreateSolidBrush(RampColor(false, k));
  }
}

// A run of neighbouring cells of one level in one band.
struct CellRun {
  int left, right, level;
};

// The runs of every band, filled level by level: no two of them overlap, so
// the order does not matter, and each brush is selected once.
struct CellRect {
  int left, top, right, bottom;
};
std::vector<CellRect> gRunsByLevel[kLevels];  // painting runs on the main thread only

void KeepRun(const CellRun& run, int top, int bottom) {
  if (run.level <= 0 || run.level >= kLevels || run.left >= run.right) return;
  gRunsByLevel[run.level].push_back({run.left, top, run.right, bottom});
}

// One band's cells from the right to the left; neighbours of one level make one run.
void CollectBand(const VolumeCloud& cloud, const PaneFrame& frame, int band, int first, int last) {
  const Rect& plot = frame.record->plot;
  const int height = plot.bottom - plot.top;
  const int top = plot.bottom - (band + 1) * height / kVolumeCloudBands;
  const int bottom = plot.bottom - band * height / kVolumeCloudBands;
  if (top >= bottom) return;
  CellRun run = {0, 0, 0};
  for (int bar = std::min(last, frame.count - 1); bar >= first; --bar) {
    const int left = BarX(frame, last, bar) - frame.barWidth / 2;
    const int level = VolumeCloudLevel(cloud, bar, band);
    if (level == run.level && left + frame.spacing == run.left) {
      run.left = left;
      continue;
    }
    KeepRun(run, top, bottom);
    run = {left, left + frame.spacing, level};
  }
  KeepRun(run, top, bottom);
}

void FillRuns(HDC dc, bool light) {
  PixelCanvas canvas;
  const bool onCanvas = GetDcPixelCanvas(dc, &canvas);
  const HGDIOBJ oldBrush = onCanvas ? nullptr : SelectObject(dc, (light ? gLightRamp : gDarkRamp)[0]);
  for (int level = 1; level < kLevels; ++level) {
    std::vector<CellRect>& runs = gRunsByLevel[level];
    if (runs.empty()) continue;
    if (onCanvas) {
      const uint32_t pixel = PixelOfColor(RampColor(light, level));
      for (const CellRect& r : runs) FillCanvasRect(canvas, {r.left, r.top, r.right, r.bottom}, pixel);
    } else {
      SelectObject(dc, (light ? gLightRamp : gDarkRamp)[level]);
      for (const CellRect& r : runs) PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
    }
    runs.clear();
  }
  if (!onCanvas) SelectObject(dc, oldBrush);
}

// Each main-window chart keeps its cloud with what it was computed from: a
// repaint of an unchanged view (blinking marks, the cross-hair, a window
// above it) computes nothing. Any other context uses the shared one.
struct KeptCloud {
  VolumeCloud cloud;
  VolumeCloudSource source;
  bool filled;
};
KeptCloud gKeptClouds[3];

const VolumeCloud* CurrentCloud(const PaneFrame& frame, const ChartContext& context, int period, int first, int last) {
  const int slot = ChartSlotOf(context);
  if (slot < 0) {
    if (!AllocVolumeCloud(&gVolumeCloud)) return nullptr;
    AccumulateVolumeCloud(*frame.bars, *frame.record, frame.logScale, period, first, last, &gVolumeCloud);
    return &gVolumeCloud;
  }
  KeptCloud& kept = gKeptClouds[slot];
  if (!AllocVolumeCloud(&kept.cloud)) {
    kept.filled = false;
    return nullptr;
  }
  VolumeCloudSource source = DescribeVolumeCloudSource(*frame.bars, *frame.record, frame.logScale, period, first, last);
  if (!kept.filled || !IsSameVolumeCloudSource(source, kept.source)) {
    AccumulateVolumeCloud(*frame.bars, *frame.record, frame.logScale, period, first, last, &kept.cloud);
    kept.source = std::move(source);
    kept.filled = true;
  }
  return &kept.cloud;
}

}  // namespace

void DrawVolumeCloud(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  if (frame.record->plot.bottom - frame.record->plot.top <= 0) return;
  const VolumeCloud* cloud = CurrentCloud(frame, context, GetViewPeriod(view), first, last);
  if (cloud == nullptr) return;
  BuildRamps();
  const HRGN clip = PushClipRect(dc, ToWinRect(frame.record->plot));
  for (int band = 0; band < kVolumeCloudBands; ++band) CollectBand(*cloud, frame, band, first, last);
  FillRuns(dc, IsLightGround(PaletteColor(kColorBackground)));
  PopClipRect(dc, clip);
}

void FreeKeptVolumeClouds() {
  for (KeptCloud& kept : gKeptClouds) {
    FreeVolumeCloud(&kept.cloud);
    kept.source = VolumeCloudSource{};
    kept.filled = false;
  }
}

void FreeVolumeCloudBrushes() {
  for (int k = 0; k < kLevels; ++k) {
    if (gLightRamp[k] != nullptr) DeleteObject(gLightRamp[k]);
    if (gDarkRamp[k] != nullptr) DeleteObject(gDarkRamp[k]);
    gLightRamp[k] = gDarkRamp[k] = nullptr;
  }
}
