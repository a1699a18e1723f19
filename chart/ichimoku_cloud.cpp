#include "chart/ichimoku_cloud.h"

#include <algorithm>

#include "chart/pane_pixels.h"

void ComputeCloudColumns(const RealSeries& spanA, const RealSeries& spanB, const PaneRecord& pane, bool logScale,
                         int spacing, int first, int last, CloudColumns* out) {
  out->count = 0;
  const int count = std::min({spanA.count, spanB.count, kMaxBars});
  const int from = std::min(last - kIchimokuShift + 2, count - 1);
  const int to = std::max(first - kIchimokuShift, kIchimokuShift);
  for (int i = from; i >= to && out->count < kMaxCloudColumns; --i) {
    const double a = spanA.values[i];
    const double b = spanB.values[i];
    CloudColumn& column = out->columns[out->count++];
    column.x = BarCentreX(pane.plot.right, spacing, last, i + kIchimokuShift);
    column.spanAY = PaneValueY(pane, logScale, a);
    column.spanBY = PaneValueY(pane, logScale, b);
    column.spanAAbove = a > b;
  }
}
