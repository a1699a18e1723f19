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

// Level by level: the runs do not overlap, so the order does not matter,
// and each brush is selected once.
void FillRuns(HDC dc, const VolumeCloudRuns& runs, bool light) {
  PixelCanvas canvas;
  const bool onCanvas = GetDcPixelCanvas(dc, &canvas);
  const HGDIOBJ oldBrush = onCanvas ? nullptr : SelectObject(dc, (light ? gLightRamp : gDarkRamp)[0]);
  for (int level = 1; level < kLevels; ++level) {
    const std::vector<VolumeCloudCell>& cells = runs.byLevel[level];
    if (cells.empty()) continue;
    if (onCanvas) {
      const uint32_t pixel = PixelOfColor(RampColor(light, level));
      for (const VolumeCloudCell& r : cells) FillCanvasRect(canvas, {r.left, r.top, r.right, r.bottom}, pixel);
    } else {
      SelectObject(dc, (light ? gLightRamp : gDarkRamp)[level]);
      for (const VolumeCloudCell& r : cells) PatBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, PATCOPY);
    }
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
  KeptVolumeCloudRuns runs;  // of the cloud as last painted
};
KeptCloud gKeptClouds[3];
VolumeCloudRuns gSharedRuns;  // of the shared cloud, collected at every paint

// The runs of the cloud of bars first..last of the pane.
const VolumeCloudRuns* CurrentRuns(const PaneFrame& frame, const ChartContext& context, int period, int first,
                                   int last) {
  const Rect& plot = frame.record->plot;
  const VolumeCloudLayout layout = {plot.top,       plot.bottom, plot.right, frame.spacing,
                                    frame.barWidth, first,       last,       frame.count};
  const int slot = ChartSlotOf(context);
  if (slot < 0) {
    if (!AllocVolumeCloud(&gVolumeCloud)) return nullptr;
    AccumulateVolumeCloud(*frame.bars, *frame.record, frame.logScale, period, first, last, &gVolumeCloud);
    CollectVolumeCloudRuns(gVolumeCloud, layout, &gSharedRuns);
    return &gSharedRuns;
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
  return &KeepVolumeCloudRuns(kept.cloud, layout, &kept.runs);
}

}  // namespace

void DrawVolumeCloud(HDC dc, const ChartView& view, const ChartContext& context, int pane, int first, int last) {
  PaneFrame frame;
  if (!GetPaneFrame(view, context, pane, &frame)) return;
  if (frame.record->plot.bottom - frame.record->plot.top <= 0) return;
  const VolumeCloudRuns* runs = CurrentRuns(frame, context, GetViewPeriod(view), first, last);
  if (runs == nullptr) return;
  BuildRamps();
  const HRGN clip = PushClipRect(dc, ToWinRect(frame.record->plot));
  FillRuns(dc, *runs, IsLightGround(PaletteColor(kColorBackground)));
  PopClipRect(dc, clip);
}

void FreeKeptVolumeClouds() {
  for (KeptCloud& kept : gKeptClouds) {
    FreeVolumeCloud(&kept.cloud);
    kept.source = VolumeCloudSource{};
    kept.filled = false;
    kept.runs = KeptVolumeCloudRuns{};
  }
  gSharedRuns = VolumeCloudRuns{};
}

void FreeVolumeCloudBrushes() {
  for (int k = 0; k < kLevels; ++k) {
    if (gLightRamp[k] != nullptr) DeleteObject(gLightRamp[k]);
    if (gDarkRamp[k] != nullptr) DeleteObject(gDarkRamp[k]);
    gLightRamp[k] = gDarkRamp[k] = nullptr;
  }
}
