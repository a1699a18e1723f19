#pragma once
// The memos of a chart's panes: which memos a pane shows, where their anchors
// and boxes lie, the widening of a pane's range to them, the hit test, and
// the drag of a memo's box, arrow tip or whole memo.
#include <cstdint>
#include <vector>

#include "chart/chart_context.h"
#include "chart/line_dragging.h"
#include "chart/memo_geometry.h"
#include "chart/memo_hooks.h"
#include "records/memo_record.h"

// The memos of the view's stock and period, in table order, collected once
// for all the panes of a chart; the dates are the shown range widened on
// each side by its own length.
struct ChartMemoSet {
  uint32_t code;
  int32_t period;
  uint32_t firstDate, lastDate;
  bool usable;  // the series holds at least 2 bars
  std::vector<int> memos;
};
// `first` may be negative (the shown range then starts before the data).
void CollectChartMemos(const ChartView& view, const ChartContext& context, int first, int last, ChartMemoSet* set);
bool PaneShowsMemo(const ChartMemoSet& set, const Memo& memo, int paneKind);

// The stored box's size, each kept within what a layout can make.
int MemoBoxWidth(const Memo& memo);
int MemoBoxHeight(const Memo& memo);
// The memo's anchor on the pane, and the memo as the hit test sees it.
MemoShape MemoShapeOnPane(const ChartView& view, const ChartContext& context, int pane, const Memo& memo, int last);

// Widens `minValue` .. `maxValue` of pane `pane` to the memos of `set` it
// shows; `scaled` holds the scale the boxes are converted with (the first
// pass's).
void PositionPaneMemos(const ChartView& view, int stockIndex, const ChartContext& scaled, int pane,
                       const ChartMemoSet& set, int32_t* minValue, int32_t* maxValue);

// The first memo in table order under (x, y), -1 when none; with
// `selectedOnly` only selected memos are tried. `part` may be null.
int HitTestMemosPass(const ChartView& view, const ChartContext& context, int pane, int x, int y, bool selectedOnly,
                     MemoPart* part);
// Selected memos first, then all.
int HitTestMemos(const ChartView& view, const ChartContext& context, int pane, int x, int y, MemoPart* part);

// ---- Dragging ----------------------------------------------------------------------

// A press on `part` of `memo` on pane `pane` of chart `chart` at (x, y).
void BeginMemoDrag(int memo, MemoPart part, int chart, int pane, int x, int y);
// The box follows the mouse (part 0); the tip (1) moves the anchor and
// leaves the box where it is; the whole memo (2) moves with its anchor.
// True when the memo changed.
bool DragMemoTo(const DragPoint& point);
void EndMemoDrag();

// Moves memo `index`'s anchor 12 pixels above the centre of its box as the
// first chart and pane of the pattern that show it last drew it; nothing
// when none shows it.
void ReanchorMemoToBox(int index);
