#include "chart/price_scale.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "chart/chart_layout.h"
#include "chart/pane_pixels.h"

namespace {

constexpr int32_t kScaleSteps[] = {10000000, 5000000, 1000000, 500000, 100000, 50000, 10000,
                                   5000,     1000,    500,     100,    50,     10,    5};
constexpr int kMaxCoveragePercent = 30;
constexpr int kReferenceIndexStep = 10;
constexpr int kFirstTickLabelDrop = 10;  // the lowest tick label may hang this far below the scale
constexpr int kIterationLimit = 100000;

bool HasScale(const PaneRecord& pane, bool logScale) {
  return logScale ? pane.logPerPixel > 0 : pane.valuePerPixel > 0;
}

// T pixels centred on y, from the scale's left edge to its right edge - 4.
Rect CentredLabel(const PaneRecord& pane, int y, int textHeight) {
  const int top = y - textHeight / 2;
  return {pane.scale.left, top, pane.scale.right - 4, top + textHeight};
}

// Kept 1 pixel inside the scale's top and bottom.
Rect ClampedLabel(const PaneRecord& pane, int y, int textHeight) {
  Rect r = CentredLabel(pane, y, textHeight);
  if (r.top < pane.scale.top + 1) {
    r.top = pane.scale.top + 1;
    r.bottom = r.top + textHeight;
  }
  if (r.bottom > pane.scale.bottom - 1) {
    r.bottom = pane.scale.bottom - 1;
    r.top = r.bottom - textHeight;
  }
  return r;
}

bool OverlapsVertically(const Rect& a, const Rect& b) { return a.top < b.bottom && b.top < a.bottom; }

bool OverlapsAnyLabel(const PriceScaleMarks& marks, const Rect& label) {
  for (int i = 0; i < marks.count; ++i)
    if (OverlapsVertically(marks.marks[i].label, label)) return true;
  return false;
}

int32_t ShownScaleValue(int64_t v, int32_t minValue, int32_t maxValue) {
  if (v < minValue) return minValue;
  return static_cast<int32_t>(std::min<int64_t>(v, maxValue));
}

// One step's ticks; false when the label limit is reached.
bool AddStepLabels(const PaneRecord& pane, bool logScale, int textHeight, int32_t step, int* coveredHeight,
                   int* iterations, PriceScaleMarks* out) {
  const int64_t from = static_cast<int64_t>(step) * (pane.minValue / step);
  const int64_t to = static_cast<int64_t>(step) * (pane.maxValue / step + 1);
  for (int64_t v = from; v <= to && *iterations < kIterationLimit; v += step, ++*iterations) {
    const int32_t shown = ShownScaleValue(v, pane.minValue, pane.maxValue);
    const int y = PaneValueY(pane, logScale, shown);
    const Rect label = ClampedLabel(pane, y, textHeight);
    if (OverlapsAnyLabel(*out, label)) continue;
    out->marks[out->count++] = {shown, y, label, true};
    *coveredHeight += label.bottom - label.top;
    if (out->count >= kMaxScaleLabels) return false;
  }
  return true;
}

int32_t TickStepAt(int stockIndex, int64_t price, int marketCode, bool referenceIndex) {
  if (referenceIndex) return kReferenceIndexStep;
  const int32_t clamped = static_cast<int32_t>(std::clamp<int64_t>(price, INT32_MIN, INT32_MAX));
  return std::max(1, GetPriceTickStep(stockIndex, clamped, marketCode));
}

int64_t RoundUpToMultiple(int64_t value, int64_t step) {
  const int64_t q = value / step;
  const int64_t down = q * step;
  return down < value ? down + step : down;
}

int64_t FirstGridValue(const PaneRecord& pane, int stockIndex, int marketCode, bool referenceIndex) {
  if (referenceIndex) return static_cast<int64_t>(kReferenceIndexStep) * (pane.minValue / kReferenceIndexStep);
  return RoundUpToMultiple(pane.minValue, TickStepAt(stockIndex, pane.minValue, marketCode, false));
}

// The next tick after v that can lie on a pixel row above y: ticks on the
// same row would only draw the same line again.
int64_t NextGridValue(const PaneRecord& pane, bool logScale, int64_t v, int y, int stockIndex, int marketCode,
                      bool referenceIndex) {
  const int64_t next = v + TickStepAt(stockIndex, v, marketCode, referenceIndex);
  const double above = PaneOffsetValue(pane, logScale, pane.plot.bottom - y + 1);
  if (!std::isfinite(above) || above <= static_cast<double>(next)) return next;
  // One step back from the estimate, so that rounding never skips a row.
  const int64_t guess = static_cast<int64_t>(std::floor(std::min(above, static_cast<double>(pane.maxValue))));
  const int32_t step = TickStepAt(stockIndex, guess, marketCode, referenceIndex);
  return std::max(next, RoundUpToMultiple(guess - step, step));
}

}  // namespace

void ComputePriceScaleMarks(const PaneRecord& pane, bool logScale, int textHeight, PriceScaleMarks* out) {
  out->count = 0;
  const int scaleHeight = pane.scale.bottom - pane.scale.top;
  if (scaleHeight <= 0 || textHeight <= 0 || !HasScale(pane, logScale)) return;
  int covered = 0;
  int iterations = 0;
  for (int32_t step : kScaleSteps) {
    if (pane.maxValue < step) continue;
    if (!AddStepLabels(pane, logScale, textHeight, step, &covered, &iterations, out)) return;
    if (covered * 100 / scaleHeight > kMaxCoveragePercent) return;
  }
}

void ComputeTickGridMarks(const PaneRecord& pane, bool logScale, int textHeight, int stockIndex, int marketCode,
                          bool referenceIndex, TickGridMarks* out) {
  out->count = 0;
  if (textHeight <= 0 || !HasScale(pane, logScale)) return;
  int lastLabelTop = pane.scale.bottom + kFirstTickLabelDrop;
  int lastY = INT_MAX;
  int64_t v = FirstGridValue(pane, stockIndex, marketCode, referenceIndex);
  for (int i = 0; v <= pane.maxValue && out->count < kMaxTickGridMarks && i < kIterationLimit; ++i) {
    const int y = PaneValueY(pane, logScale, static_cast<double>(v));
    if (y != lastY) {
      ScaleMark& mark = out->marks[out->count++];
      mark = {static_cast<int32_t>(v), y, CentredLabel(pane, y, textHeight), false};
      mark.labelled = mark.label.bottom <= lastLabelTop;
      if (mark.labelled) lastLabelTop = mark.label.top;
      lastY = y;
    }
    v = NextGridValue(pane, logScale, v, y, stockIndex, marketCode, referenceIndex);
  }
}
