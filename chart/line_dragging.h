#pragma once
// Trend lines under the mouse: the press that grabs a line (Shift adds it to
// the selection, Ctrl copies it, Alt takes the other tracker steps of its
// stock along), the new line drawn as a rubber band, and the moves of a line's
// ends or of the whole line with the value rules of each kind of pane.
#include <array>
#include <cstdint>

#include "chart/chart_context.h"
#include "records/trend_line_record.h"

// ---- Value rules -----------------------------------------------------------------

// The range a trend-line point may take on a pane of `paneKind` (prices at
// least 1, volumes at least 0, percentages 0..100 %, and so on).
void ClampTrendLineValue(int paneKind, int32_t* value);
// Both values moved by `delta` within the pane's range: when one end is
// pushed against the range, the other takes the same correction, so that
// the line keeps its slope.
void ShiftValuesKeepingSlope(int paneKind, int32_t value1, int32_t value2, int64_t delta, int32_t* out1, int32_t* out2);
// A price on a logarithmic pane moved `pixelsUp`: 10 to the power (log10 of
// the press value + pixelsUp x logPerPixel), kept within 1..INT32_MAX before
// it becomes a whole number.
int32_t LogPaneDraggedValue(int32_t pressValue, int pixelsUp, double logPerPixel);
// The snap option (round prices) applies while the no-convert key is up;
// holding the key swaps it.
constexpr bool SnapsToRoundPrices(bool optionOn, bool noConvertDown) { return optionOn != noConvertDown; }
// A dragged price: to hundreds or thousands when snapping, else to the
// stock's nearest tick; at least 1.
int32_t RoundDraggedPrice(int stockIndex, int32_t value, bool snap);

// ---- Shift and the tracker ----------------------------------------------------------

enum DragAxis : int {
  kAxisFree = 0,
  kAxisLevel = 1,  // the value is held: the line stays or becomes horizontal
  kAxisDate = 2,   // the date is held: the move is up or down only
};
// `forcedLevel`: a tracker line's end or a group move, always horizontal.
// With Shift the larger of |dx| and |dy| wins, sideways on a tie.
DragAxis ChooseDragAxis(bool shift, bool forcedLevel, int dx, int dy);

// ---- The press ---------------------------------------------------------------------

constexpr int kMaxGroupCompanions = 32;

struct CompanionLine {
  int line;
  int startBar1, startBar2;
  int32_t value1, value2;
};

// What a press grabbed, kept until the release.
struct LineDrag {
  int mode;  // DragMode of the drag
  int chart, pane;
  int pressX, pressY;
  int pressBar;
  int32_t pressValue;
  int line;  // the grabbed line, -1 none
  TrendLine before;
  int startBar1, startBar2;
  bool groupMove;
  int companionCount;
  std::array<CompanionLine, kMaxGroupCompanions> companions;
};
extern LineDrag gLineDrag;

struct PressKeys {
  bool shift, ctrl, alt;
};

// Starts a drag record for a press at (x, y) on pane `pane` of `chart`; the
// cross-hair's bar and value at the press are the reference of later moves.
void BeginLineDrag(int chart, int pane, int x, int y, int pressBar, int32_t pressValue);
// A press on a line of the pane: 0 none, 1 its body, 2 its first end, 3 its
// second end. A hit selects the line (Shift keeps the others marked) and
// remembers it; with Alt on a tracker step the other steps of that side of
// the stock join the move.
int PressTrendLine(const ChartView& view, const ChartContext& context, const PressKeys& keys);
// Ctrl on a line's body: a copy, unlocked and without tracker roles, becomes
// the grabbed line; the original loses its mark. False when the store is full.
bool CopyPressedTrendLine();

// ---- Moves -------------------------------------------------------------------------

struct DragPoint {
  int x, y;
  bool shift;
  bool snap;  // SnapsToRoundPrices now
};
// Moves the grabbed line (and the group) for the mouse at the point; true
// when a record changed. A locked line never changes.
bool MoveGrabbedTrendLine(const ChartView& view, const ChartContext& context, const DragPoint& point);
// Release of an end or body move: every moved line judged again without a
// notice, the table saved.
void FinishTrendLineMove();

// ---- A new line --------------------------------------------------------------------

enum NewLineStart : int { kNewLineStarted, kNewLineStoreFull, kNewLineNoPlace };
// The record after the last counted one becomes a line of zero length at
// (bar, value) on the pane, the only marked line.
NewLineStart BeginNewTrendLine(const ChartView& view, const ChartContext& context, int pane, int bar, int32_t value,
                               bool newLineMode);
// Its second point follows the cross-hair; true when it moved.
bool StretchNewTrendLine(const ChartView& view, const ChartContext& context, int bar, int32_t value,
                         const DragPoint& point);
// The button went up: kept lines are counted, judged and saved (a line of
// zero length is dropped), others dropped. True when a line was added.
bool FinishNewTrendLine(bool keep);
