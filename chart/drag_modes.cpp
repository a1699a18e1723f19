#include "chart/drag_modes.h"

#include <algorithm>

int32_t gDragMode = kDragNone;

bool IsObjectDragMode(int32_t mode) {
  switch (mode) {
    case kDragNone:
    case kDragGroupSplitter:
    case kDragDetailSplitter:
    case kDragForecastCandle:
    case kDragRightMargin:
      return false;
    default:
      return true;
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

int GroupListWidthForDrag(int x, int clientWidth) { return std::max(kMinListWidth, std::min(x, clientWidth / 2)); }

int DetailListWidthForDrag(int x, int clientWidth) {
  const int splitter = std::max(clientWidth / 2, std::min(x, clientWidth - kMinListWidth));
  return clientWidth - splitter - 2;
}

int RightMarginForDrag(int startMargin, int pressX, int x, int clientWidth) {
  const int64_t margin = static_cast<int64_t>(startMargin) + pressX - x;
  return static_cast<int>(std::max<int64_t>(1, std::min<int64_t>(margin, clientWidth / 2)));
}

// The group list starts at the client's left edge: its splitter lies at its width.
int GroupListWidthInRange(int width, int clientWidth) { return GroupListWidthForDrag(width, clientWidth); }

int DetailListWidthInRange(int width, int clientWidth) {
  const int64_t splitter = int64_t{clientWidth} - width - 2;
  return DetailListWidthForDrag(static_cast<int>(std::clamp<int64_t>(splitter, INT32_MIN, INT32_MAX)), clientWidth);
}

int RightMarginInRange(int margin, int clientWidth) { return RightMarginForDrag(margin, 0, 0, clientWidth); }

Rect WidenedMarginHandle(const Rect& handle, const Rect& chart) {
  if (handle.right <= handle.left || handle.bottom <= handle.top) return {0, 0, 0, 0};
  return {std::max(handle.left - 12, chart.left), std::max(handle.top, chart.top),
          std::min(handle.right + 12, chart.right), std::min(handle.bottom, chart.bottom)};
}
