#pragma once
// What a mouse drag in the main window means. The chart code reads it to
// tell a line drag from a new line or a forecast candle; the windows set it.
#include <cstdint>

enum DragMode : int32_t {
  kDragNone = 0,         // the mouse only hovers
  kDragNewLine = 1,      // a new trend line from a press on empty pane area
  kDragNewLineMode = 2,  // a new trend line in the new-trend-line mode
  kDragLineFirstEnd = 3,
  kDragLineSecondEnd = 4,
  kDragLineBody = 5,    // moving a whole trend line
  kDragLockedLine = 6,  // pressed on a locked line: nothing moves
  kDragMemo = 7,
  kDragGroupSplitter = 8,
  kDragDetailSplitter = 9,
  kDragForecastCandle = 10,
  kDragRightMargin = 11,
  kDragSheetFirst = 12,  // stock-sheet drags
  kDragSheetSecond = 13,
  kDragSimListFirst = 16,  // simulator-list drags
  kDragSimListSecond = 17,
};

// Shared with the stock sheet and simulator windows.
extern int32_t gDragMode;
