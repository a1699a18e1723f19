#include "window/drag_modes.h"

#include <algorithm>

bool IsObjectDragMode(int32_t mode) {
  switch (mode) {
    case kDragNone:
    case kDragGroupSplitter:
    case kDragDetailSplitter:
    case kDragForecastCandle:
    case kDragRightMargin: return false;
    default: return true;
  }
}

bool IsLineDrawingMode(int32_t mode) { return mode >= kDragLineBody && mode <= kDragMemo; }

bool HoverFollowsMouse(int32_t mode) {
  return mode != kDragGroupSplitter && mode != kDragDetailSplitter && mode != kDragRightMargin;
}

bool IsDragging(int32_t mode) { return mode != kDragNone; }

int32_t DragModeForLineHit(int hit, bool locked) {
  if (hit < 1 || hit > 3) return kDragNone;
  if (locked) return kDragLockedLine;
  if (hit == 2) return kDragLineFirstEnd;
  if (hit == 3) return kDragLineSecondEnd;
  return kDragLineBody;
}

bool LineDragCapturesMouse(int32_t mode) { return mode >= kDragLineFirstEnd && mode <= kDragLineBody; }

void ClampPointIntoRect(const Rect& rect, int* x, int* y) {
  *x = std::clamp(*x, rect.left, std::max(rect.left, rect.right - 1));
  *y = std::clamp(*y, rect.top, std::max(rect.top, rect.bottom - 1));
}

Rect WidenedMarginHandle(const Rect& handle, const Rect& chart) {
  if (handle.right <= handle.left || handle.bottom <= handle.top) return {0, 0, 0, 0};
  return {std::max(handle.left - 12, chart.left), std::max(handle.top, chart.top),
          std::min(handle.right + 12, chart.right), std::min(handle.bottom, chart.bottom)};
}
