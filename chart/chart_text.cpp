#include "chart/chart_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chart/segment_clip.h"

char gDayUnitText[8] = "日";
char gWeekUnitText[8] = "週";
char gMonthUnitText[8] = "月";

namespace {

constexpr int kTrailSpacing = 32;
constexpr int kCrossArm = 1;
// A trail point is truncated to less than a pixel from the line, and its
// cross reaches one pixel further.
constexpr int kTrailReach = kCrossArm + 1;

void AppendText(char* text, int size, const char* tail) {
  const size_t used = strnlen(text, static_cast<size_t>(size));
  if (used + 1 >= static_cast<size_t>(size)) return;
  snprintf(text + used, static_cast<size_t>(size) - used, "%s", tail);
}

uint32_t LightenChannel(uint32_t color, int shift, int amount) {
  int channel = static_cast<int>((color >> shift) & 0xFF) + amount;
  if (channel > 255) channel = 255;
  if (channel < 0) channel = 0;
  return static_cast<uint32_t>(channel) << shift;
}

// Distance in whole pixels; 64-bit so that far-apart points cannot overflow.
int64_t TrailDistance(int x1, int y1, int x2, int y2) {
  const double dx = static_cast<double>(x2) - x1;
  const double dy = static_cast<double>(y2) - y1;
  return static_cast<int64_t>(std::sqrt(dx * dx + dy * dy));
}

int TrailSegments(int x1, int y1, int x2, int y2) {
  const int64_t d = TrailDistance(x1, y1, x2, y2);
  return d < 2 * kTrailSpacing ? 1 : static_cast<int>(d / kTrailSpacing);
}

}  // namespace

void FormatFixed2(int32_t value, char* out) {
  const int64_t magnitude = std::llabs(static_cast<int64_t>(value));
  const long long whole = static_cast<long long>(magnitude / 100);
  const int cents = static_cast<int>(magnitude % 100);
  snprintf(out, kFixed2TextSize, "%s%lld.%02d", value < 0 ? "-" : "", whole, cents);
}

void AppendIntText(char* text, int size, int value) {
  char number[16];
  snprintf(number, sizeof number, "%d", value);
  AppendText(text, size, number);
}

void AppendPeriodUnit(char* text, int size, int period) {
  const char* const units[] = {gDayUnitText, gWeekUnitText, gMonthUnitText};
  if (period >= 0 && period <= 2) AppendText(text, size, units[period]);
}

uint32_t LightenColor(uint32_t color, int amount) {
  return LightenChannel(color, 0, amount) | LightenChannel(color, 8, amount) | LightenChannel(color, 16, amount);
}

int CountCrossTrailPoints(int x1, int y1, int x2, int y2) { return TrailSegments(x1, y1, x2, y2) + 1; }

PixelPoint GetCrossTrailPoint(int x1, int y1, int x2, int y2, int k) {
  const int64_t n = TrailSegments(x1, y1, x2, y2);
  const int64_t dx = int64_t{x2} - x1;
  const int64_t dy = int64_t{y2} - y1;
  return {static_cast<int32_t>(x1 + k * dx / n), static_cast<int32_t>(y1 + k * dy / n)};
}

bool GetCrossTrailRange(int x1, int y1, int x2, int y2, const Rect& area, int* first, int* last) {
  SegmentSpan span{};
  if (!ClipSegmentToRect(WidenRect(area, kTrailReach), {x1, y1}, {x2, y2}, &span)) return false;
  const int n = TrailSegments(x1, y1, x2, y2);
  // One point more on either side: the parameters are doubles.
  *first = std::max(0, static_cast<int>(std::floor(span.t0 * n)) - 1);
  *last = std::min(n, static_cast<int>(std::ceil(span.t1 * n)) + 1);
  return true;
}

bool CrossTouchesRect(const Rect& area, PixelPoint p) {
  const auto meets = [](int64_t from, int64_t to, int32_t low, int32_t high) { return from < high && to >= low; };
  const int64_t x = p.x, y = p.y;
  return (meets(x - kCrossArm, x + kCrossArm, area.left, area.right) && meets(y, y, area.top, area.bottom)) ||
         (meets(x, x, area.left, area.right) && meets(y - kCrossArm, y + kCrossArm, area.top, area.bottom));
}

void GetTriangleMarkPoints(const Rect& rect, bool down, PixelPoint points[3]) {
  const int32_t centre = (rect.left + rect.right - 2) / 2;
  if (down) {
    points[0] = {rect.left, rect.top};
    points[1] = {rect.right - 2, rect.top};
    points[2] = {centre, rect.bottom - 1};
  } else {
    points[0] = {centre, rect.top};
    points[1] = {rect.right - 2, rect.bottom - 1};
    points[2] = {rect.left, rect.bottom - 1};
  }
}
