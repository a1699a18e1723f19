#include "chart/ichimoku_cloud.h"

#include <algorithm>
#include <cstdint>

#include "chart/pane_pixels.h"

void ComputeCloudColumns(const RealSeries& spanA, const RealSeries& spanB, const PaneRecord& pane, bool logScale,
                         int spacing, int first, int last, CloudColumns* out) {
  out->count = 0;
  const int count = std::min({spanA.count, spanB.count, kMaxBars});
  const int from = std::min(last - kIchimokuShift + 2, count - 1);
  const int to = std::max(first - kIchimokuShift, kIchimokuShift);
  const int n = static_cast<int>(std::clamp<int64_t>(int64_t{from} - to + 1, 0, kMaxCloudColumns));
  const PaneValueScale scale = PreparePaneValueScale(pane, logScale);
  ForEachBarCentre(pane.plot.right, spacing, last, from + kIchimokuShift, n, [&](int k, int x) {
    const double a = spanA.values[from - k];
    const double b = spanB.values[from - k];
    out->columns[k] = {x, ScaledValueY(scale, a), ScaledValueY(scale, b), a > b};
  });
  out->count = n;
}
