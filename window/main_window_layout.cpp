#include "window/main_window_layout.h"

#include <algorithm>

#include "window/chart_window_layout.h"
#include "window/drag_modes.h"

namespace {

constexpr Rect kNoRect = {0, 0, 0, 0};

// Width and height never negative.
Rect MakeRect(int left, int top, int right, int bottom) {
  return {left, top, std::max(left, right), std::max(top, bottom)};
}

// Columns of the client: group list, its splitter, chart area, detail splitter, detail list.
// Stored widths keep within a splitter drag's limits for this client, then within the client.
void LayoutColumns(const MainLayoutInput& in, int top, int bottom, MainWindowLayout* out) {
  const int left = in.client.left;
  const int right = std::max(left, in.client.right);
  const int clientWidth = right - left;
  int areaLeft = std::min(left + 1, right);
  out->groupListSplitter = kNoRect;
  if (in.showGroupList) {
    const int stored = GroupListWidthInRange(in.groupListWidth, clientWidth);
    const int width = std::clamp(stored, 0, std::max(0, clientWidth - kSplitterWidth));
    out->groupListSplitter = MakeRect(left + width, top, std::min(right, left + width + kSplitterWidth), bottom);
    areaLeft = out->groupListSplitter.right;
  }
  int areaRight = right;
  out->detailListSplitter = kNoRect;
  out->detailListArea = kNoRect;
  if (in.showDetailList) {
    const int room = std::max(0, right - areaLeft - kSplitterWidth);
    const int width = std::clamp(DetailListWidthInRange(in.detailListWidth, clientWidth), 0, room);
    areaRight = std::max(areaLeft, right - width - kSplitterWidth);
    out->detailListSplitter = MakeRect(areaRight, top, std::min(right, areaRight + kSplitterWidth), bottom);
    out->detailListArea = MakeRect(out->detailListSplitter.right, top, right, bottom);
  }
  out->chartArea = MakeRect(areaLeft, top, areaRight, bottom);
}

bool LinksStockDown(const ScreenPattern& pattern, int count, int chart) {
  return chart + 1 < count && pattern.views[chart].stockLink != 0;
}

// The last chart whose lists are chart `chart`'s: up to two stock links down.
int LastListedChart(const ScreenPattern& pattern, int count, int chart) {
  int last = chart;
  while (last < chart + 2 && LinksStockDown(pattern, count, last)) ++last;
  return last;
}

ChartListPlacement PlaceChartLists(const MainLayoutInput& in, const ScreenPattern& pattern,
                                   const MainWindowLayout& layout, int chart) {
  ChartListPlacement place = {false, kNoRect, kNoRect, kNoRect};
  const int count = layout.chartCount;
  if (!in.showGroupList || !in.hasSeries[chart]) return place;
  if (chart > 0 && LinksStockDown(pattern, count, chart - 1)) return place;
  const int last = LastListedChart(pattern, count, chart);
  const int left = in.client.left;
  place.shown = true;
  place.area = MakeRect(left, layout.charts[chart].top, layout.groupListSplitter.left, layout.charts[last].bottom);
  const int comboBottom = std::min(place.area.top + in.fontSize * 20 / 12, place.area.bottom);
  place.comboBox = MakeRect(place.area.left, place.area.top, place.area.right, comboBottom);
  place.listBox = MakeRect(place.area.left, comboBottom, place.area.right, place.area.bottom);
  return place;
}

}  // namespace

void ComputeMainWindowLayout(const MainLayoutInput& in, const ScreenPattern& pattern, MainWindowLayout* layout) {
  const int clientBottom = std::max(in.client.top, in.client.bottom - 1);
  const int top = std::min(in.client.top + std::max(0, in.toolbarHeight), clientBottom);
  const int bottom = std::max(top, clientBottom - std::max(0, in.statusBarHeight));
  LayoutColumns(in, top, bottom, layout);
  layout->chartCount = ComputeChartRects(layout->chartArea, pattern, in.paneHeights, in.fontSize, layout->charts);
  for (int i = 0; i < kMaxChartsPerPattern; ++i) {
    if (i >= layout->chartCount) {
      layout->charts[i] = kNoRect;
      layout->lists[i] = {false, kNoRect, kNoRect, kNoRect};
      layout->detailColumns[i] = kNoRect;
      continue;
    }
    layout->lists[i] = PlaceChartLists(in, pattern, *layout, i);
    const Rect& chart = layout->charts[i];
    layout->detailColumns[i] =
        in.showDetailList ? MakeRect(layout->detailListArea.left, chart.top, layout->detailListArea.right, chart.bottom)
                          : kNoRect;
  }
}

void ComputeStatusBarEdges(int clientWidth, int maxCharWidth, int sampleTextWidth, bool pastPriceFetchRunning,
                           int edges[4]) {
  const int width = std::max(0, clientWidth);
  const int w = 8 * std::max(0, maxCharWidth);
  const int part2 = pastPriceFetchRunning ? std::max(0, width - 3 * w) : width;
  edges[0] = 0;
  edges[1] = std::min(std::max(w, sampleTextWidth + 16), part2);
  edges[2] = part2;
  edges[3] = width;
}

Rect ComputeSearchBoxRect(const Rect& plot, const Rect& chart, int fontSize, int fixedFontHeight, int boxFontHeight) {
  const int centreX = plot.left + (plot.right - plot.left) / 2;
  const int centreY = plot.top + (plot.bottom - plot.top) / 2;
  const int halfWidth = fontSize * 128 / 12;
  const int halfHeight = std::max(fixedFontHeight / 2 + 2, boxFontHeight / 2 + 3);
  const int left = std::clamp(centreX - halfWidth, chart.left, std::max(chart.left, chart.right));
  const int top = std::clamp(centreY - halfHeight, chart.top, std::max(chart.top, chart.bottom));
  const int right = std::clamp(centreX + halfWidth, left, std::max(left, chart.right));
  const int bottom = std::clamp(centreY + halfHeight, top, std::max(top, chart.bottom));
  return {left, top, right, bottom};
}
