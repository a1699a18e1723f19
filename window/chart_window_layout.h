#pragma once
// How the main window shares its chart area between the charts of a pattern.
#include <cstdint>

#include "chart/screen_pattern.h"
#include "chart/gdi_rules.h"

// Each chart weighs the sum of the pane heights of its panes' kinds (all
// charts weigh 1 when every weight is 0) and keeps a fixed overhead of
// 2 (F + 4) pixels, F = fontSize * 16 / 12. The rest of the area's height is
// shared by weight; the last chart ends at the area's bottom. An area lower
// than all overheads is split evenly instead: no chart has a negative height,
// however small the area. Returns the chart count.
int ComputeChartRects(const Rect& area, const ScreenPattern& pattern, const uint16_t* paneHeights, int fontSize,
                      Rect* charts);

// True when a chart laid out in `chart` gives every pane a plot at least one
// pixel high (a daily price pane also needs its 22-pixel signal strip) and
// the plot a positive width: only then may its scales be computed.
bool ChartHasRoomForPanes(const Rect& chart, const ChartView& view, const uint16_t* paneHeights, int fontSize);
