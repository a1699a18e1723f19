#pragma once
// Where a chart memo lies on the screen, without a device: the dates a chart
// shows memos for, the box beside the anchor, what part of a memo a point
// is on, the arrow's head, the faded colour of tiny memos, the lines of its
// text and the widening of a pane's range to the memos in it.
#include <cstdint>
#include <vector>

#include "chart/gdi_rules.h"
#include "records/settings_block.h"

constexpr int kMemoTipReach = 8;       // the arrow tip is hit this far off, and the shaft
constexpr int kMemoFrameGrowth = 3;    // the frame lies this far outside the text box
constexpr int kMemoArrowHeadSize = 8;  // length of the head's sides
constexpr int kMemoFadedBelowHeight = 6;
constexpr int kMemoReanchorGap = 12;  // between a re-anchored point and its box top

// Bar indices of the dates a chart shows memos for: the shown range widened
// on each side by its own length, (2 first - last) .. (2 last - first).
struct MemoBarWindow {
  int first, last;
};
MemoBarWindow MemoVisibleBars(int first, int last);

// The text box with its top-left corner at the anchor moved by the offsets,
// of the given size; every sum is kept within int32.
Rect PlaceMemoBox(int anchorX, int anchorY, int offsetX, int offsetY, int width, int height);
Rect MemoFrame(const Rect& box);  // 3 pixels more on every side

// One memo as the hit test sees it.
struct MemoShape {
  int anchorX, anchorY;
  Rect box;  // placed at the anchor, without the frame
  bool arrowShown;
};
// -1 off the memo, else its MemoPart: the arrow tip (a square of 8 pixels
// round it), the box (kMemoBox with an arrow, kMemoWhole without), the shaft
// (kMemoWhole).
int HitTestMemoShape(const MemoShape& shape, int x, int y);

// The arrow from the frame to the anchor: its start is the anchor brought
// into the frame; the head's corners are the anchor and two points 8 pixels
// back at 30 degrees to each side. An anchor inside the frame gives a head
// pointing right.
struct MemoArrow {
  int startX, startY;
  int headX[3], headY[3];
};
MemoArrow GetMemoArrow(const Rect& frame, int anchorX, int anchorY);

bool IsFadedMemoHeight(int height);
// Each channel moved 60 % toward the background, truncated.
ColorRef FadeMemoColor(ColorRef color, ColorRef background);

// The lines of a memo text: the characters up to each line feed, trailing
// line breaks dropped (and a carriage return before a line feed); an empty
// text is one empty line.
struct MemoTextLine {
  int start, length;
};
void SplitMemoText(const char* text, int size, std::vector<MemoTextLine>* lines);

// The text box laid out from its top-left corner: as wide as its widest
// line plus twice the pad, one line height per line. `widths` holds each
// line's measured width.
Rect LayOutMemoBox(int left, int top, const std::vector<int>& widths, int lineHeight, int pad);

// A pane's range widened so that a memo's anchor value and the values at
// its box's top and bottom fit, with a unit to spare.
void WidenRangeForMemo(int32_t anchorValue, int32_t valueAtTop, int32_t valueAtBottom, int32_t* minValue,
                       int32_t* maxValue);

// The bar under the centre of a box, counted from the bar whose centre the
// plot's right edge places at `plotRight` - 3; never below 0.
int MemoBoxCentreBar(const Rect& box, int lastBar, int plotRight, int barSpacing);
