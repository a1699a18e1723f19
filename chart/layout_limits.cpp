#include "chart/layout_limits.h"

#include <algorithm>
#include <cstdint>

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
