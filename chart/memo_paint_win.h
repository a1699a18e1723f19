#pragma once
// Chart memos over a painted pane: each a framed text box, outlined against
// the chart background (filled when selected), with an arrow to its anchor
// unless switched off; tiny custom sizes drawn faded.
#include <windows.h>

#include "chart/chart_context.h"
#include "chart/memo_view.h"

// The memos of `set` that pane `pane` shows, later memos over earlier ones;
// each drawn memo's box is stored in it. `last` is the view's last bar.
// Restores what it changes in the DC.
void DrawPaneMemos(HDC dc, const ChartView& view, const ChartContext& context, int pane, int last,
                   const ChartMemoSet& set);
// The fonts of custom sizes and the laid-out texts; after a memo font change.
void FreeMemoPaintResources();
