#include "window/chart_window_layout.h"

#include <algorithm>

#include "chart/chart_layout.h"
#include "records/settings_block.h"

namespace {

int PaneWeight(const uint16_t* paneHeights, uint32_t kind) {
  return kind < static_cast<uint32_t>(kPaneHeightCount) ? paneHeights[kind] : 0;
}

int64_t ChartWeight(const ChartView& view, const uint16_t* paneHeights) {
  int64_t weight = 0;
  const int panes = std::clamp(view.paneCount, 0, kMaxPanesPerChart);
  for (int i = 0; i < panes; ++i) weight += PaneWeight(paneHeights, view.paneKinds[i]);
  return weight;
}

bool NeedsSignalStrip(const ChartView& view, int pane) {
  return view.period == 0 && view.paneKinds[pane] <= kPaneIchimoku;
}

}  // namespace

int ComputeChartRects(const Rect& area, const ScreenPattern& pattern, const uint16_t* paneHeights, int fontSize,
                      Rect* charts) {
  const int count = std::clamp(pattern.chartCount, 1, kMaxChartsPerPattern);
  int64_t weights[kMaxChartsPerPattern];
  int64_t total = 0;
  for (int i = 0; i < count; ++i) total += weights[i] = ChartWeight(pattern.views[i], paneHeights);
  if (total == 0) {
    for (int i = 0; i < count; ++i) weights[i] = 1;
    total = count;
  }
  const int height = std::max(0, area.bottom - area.top);
  // An area too low for every overhead is split evenly, so no chart is squeezed to nothing.
  const int overhead = std::min(2 * (fontSize * 16 / 12 + 4), height / count);
  const int64_t share = std::max<int64_t>(0, height - static_cast<int64_t>(count) * overhead);
  int top = area.top;
  for (int i = 0; i < count; ++i) {
    const int64_t wanted = top + weights[i] * share / total + overhead;
    const int bottom = i == count - 1 ? area.bottom : static_cast<int>(std::min<int64_t>(wanted, area.bottom));
    charts[i] = {area.left, top, std::max(area.left, area.right), std::max(top, bottom)};
    top = charts[i].bottom;
  }
  return count;
}

bool ChartHasRoomForPanes(const Rect& chart, const ChartView& view, const uint16_t* paneHeights, int fontSize) {
  const int scaleWidth = 5 * fontSize;
  const int captionHeight = fontSize * 16 / 12;
  if (chart.right - chart.left - scaleWidth < 1) return false;
  const int top = chart.top + captionHeight;
  const int bottom = chart.bottom - captionHeight - kScrollStripHeight;
  const int64_t available = bottom - top;
  const int panes = std::clamp(view.paneCount, 0, kMaxPanesPerChart);
  if (panes == 0) return available >= 0;
  const int64_t total = ChartWeight(view, paneHeights);
  if (total <= 0 || available <= 0) return false;
  int64_t paneTop = top;
  for (int i = 0; i < panes; ++i) {
    const int64_t paneBottom =
        i == panes - 1 ? bottom : paneTop + PaneWeight(paneHeights, view.paneKinds[i]) * available / total;
    const int64_t need = NeedsSignalStrip(view, i) ? kSignalStripHeight + 1 : 1;
    if (paneBottom - paneTop < need) return false;
    paneTop = paneBottom;
  }
  return true;
}
