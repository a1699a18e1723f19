// Memo geometry: the shown dates, the box, hit parts, the arrow, fading and text lines.
#include "chart/memo_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "chart/chart_layout.h"
#include "chart/memo_hooks.h"

namespace {

constexpr double kArrowHalfAngle = 0.5235988;  // 30 degrees
constexpr double kFadeShare = 0.6;
constexpr int kShaftMinSize = 4;

int ClampInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool Between(int v, int a, int b) { return v >= std::min(a, b) && v <= std::max(a, b); }

int ClampBetween(int v, int a, int b) { return std::clamp(v, std::min(a, b), std::max(a, b)); }

// The shaft's y at x = u, on the line from the start to the anchor.
int ShaftY(int64_t u, int sx, int sy, int ax, int ay) {
  return ClampInt((u - sx) * (int64_t{ay} - sy) / (int64_t{ax} - sx) + sy);
}

bool OnShaft(const MemoShape& s, int x, int y) {
  const int ax = s.anchorX, ay = s.anchorY;
  const int sx = ClampBetween(ax, s.box.left, s.box.right);
  const int sy = ClampBetween(ay, s.box.top, s.box.bottom);
  if (sx == ax) return std::llabs(int64_t{x} - ax) <= kMemoTipReach && Between(y, sy, ay);
  if (sy == ay) return std::llabs(int64_t{y} - ay) <= kMemoTipReach && Between(x, sx, ax);
  Rect span{}, near{};
  EnsureMinRectSize(&span, sx, ax, sy, ay, kShaftMinSize, kShaftMinSize);
  if (!RectContains(span, x, y)) return false;
  const int64_t before = int64_t{x} - kMemoTipReach, after = int64_t{x} + kMemoTipReach;
  EnsureMinRectSize(&near, ClampInt(before), ClampInt(after), ShaftY(before, sx, sy, ax, ay),
                    ShaftY(after, sx, sy, ax, ay), kShaftMinSize, kShaftMinSize);
  return RectContains(near, x, y);
}

int FadeChannel(int channel, int background) { return static_cast<int>(channel + (background - channel) * kFadeShare); }

}  // namespace

MemoBarWindow MemoVisibleBars(int first, int last) {
  return {ClampInt(2 * int64_t{first} - last), ClampInt(2 * int64_t{last} - first)};
}

Rect PlaceMemoBox(int anchorX, int anchorY, int offsetX, int offsetY, int width, int height) {
  const int64_t left = int64_t{anchorX} + offsetX, top = int64_t{anchorY} + offsetY;
  return {ClampInt(left), ClampInt(top), ClampInt(left + width), ClampInt(top + height)};
}

Rect MemoFrame(const Rect& box) {
  return {ClampInt(int64_t{box.left} - kMemoFrameGrowth), ClampInt(int64_t{box.top} - kMemoFrameGrowth),
          ClampInt(int64_t{box.right} + kMemoFrameGrowth), ClampInt(int64_t{box.bottom} + kMemoFrameGrowth)};
}

int HitTestMemoShape(const MemoShape& shape, int x, int y) {
  const Rect tip = {ClampInt(int64_t{shape.anchorX} - kMemoTipReach), ClampInt(int64_t{shape.anchorY} - kMemoTipReach),
                    ClampInt(int64_t{shape.anchorX} + kMemoTipReach), ClampInt(int64_t{shape.anchorY} + kMemoTipReach)};
  if (shape.arrowShown && RectContains(tip, x, y)) return kMemoArrowTip;
  if (RectContains(shape.box, x, y)) return shape.arrowShown ? kMemoBox : kMemoWhole;
  if (shape.arrowShown && OnShaft(shape, x, y)) return kMemoWhole;
  return -1;
}

MemoArrow GetMemoArrow(const Rect& frame, int anchorX, int anchorY) {
  MemoArrow arrow{};
  arrow.startX = ClampBetween(anchorX, frame.left, frame.right);
  arrow.startY = ClampBetween(anchorY, frame.top, frame.bottom);
  const double a = std::atan2(static_cast<double>(anchorY) - arrow.startY, static_cast<double>(anchorX) - arrow.startX);
  arrow.headX[0] = anchorX;
  arrow.headY[0] = anchorY;
  for (int k = 0; k < 2; ++k) {
    const double side = k == 0 ? a - kArrowHalfAngle : a + kArrowHalfAngle;
    arrow.headX[k + 1] = static_cast<int>(anchorX - kMemoArrowHeadSize * std::cos(side));
    arrow.headY[k + 1] = static_cast<int>(anchorY - kMemoArrowHeadSize * std::sin(side));
  }
  return arrow;
}

bool IsFadedMemoHeight(int height) { return height < kMemoFadedBelowHeight; }

ColorRef FadeMemoColor(ColorRef color, ColorRef background) {
  ColorRef faded = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int c = static_cast<int>((color >> shift) & 0xFF), b = static_cast<int>((background >> shift) & 0xFF);
    faded |= static_cast<ColorRef>(FadeChannel(c, b) & 0xFF) << shift;
  }
  return faded;
}

void SplitMemoText(const char* text, int size, std::vector<MemoTextLine>* lines) {
  lines->clear();
  int length = text != nullptr && size > 0 ? static_cast<int>(strnlen(text, static_cast<size_t>(size))) : 0;
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r')) --length;
  int start = 0;
  while (true) {
    const void* found = length > start ? memchr(text + start, '\n', static_cast<size_t>(length - start)) : nullptr;
    const int end = found != nullptr ? static_cast<int>(static_cast<const char*>(found) - text) : length;
    int lineEnd = end;
    if (lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
    lines->push_back({start, lineEnd - start});
    if (found == nullptr) break;
    start = end + 1;
  }
}

Rect LayOutMemoBox(int left, int top, const std::vector<int>& widths, int lineHeight, int pad) {
  int64_t widest = 0;
  for (const int w : widths) widest = std::max<int64_t>(widest, w);
  const int64_t lines = static_cast<int64_t>(widths.size());
  return {left, top, ClampInt(left + widest + 2 * int64_t{pad}), ClampInt(top + lines * lineHeight)};
}

void WidenRangeForMemo(int32_t anchorValue, int32_t valueAtTop, int32_t valueAtBottom, int32_t* minValue,
                       int32_t* maxValue) {
  const int64_t low = int64_t{std::min(anchorValue, valueAtBottom)} - 1;
  const int64_t high = int64_t{std::max(anchorValue, valueAtTop)} + 1;
  if (*minValue > low) *minValue = ClampInt(low);
  if (*maxValue < high) *maxValue = ClampInt(high);
}

int MemoBoxCentreBar(const Rect& box, int lastBar, int plotRight, int barSpacing) {
  const int64_t centre = (int64_t{box.left} + box.right) / 2;
  const int64_t bar = lastBar + (centre + 3 - plotRight) / std::max(1, barSpacing);
  return ClampInt(std::max<int64_t>(0, bar));
}
