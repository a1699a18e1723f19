#include "chart/date_axis.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "chart/pane_pixels.h"
#include "common/app_globals.h"

namespace {

int BarCount(const DateAxisView& view) { return view.bars != nullptr ? std::clamp(view.bars->count, 0, kMaxBars) : 0; }

// Left edge of a text of `width` centred between a and b.
int CentredLeft(int a, int b, int width) { return a + (b - a - width) / 2; }

class LabelList {
 public:
  LabelList(const DateAxisView& view, TextWidthFn measure, void* context, AxisLabel* out)
      : view_(view), measure_(measure), context_(context), out_(out) {}

  // A label of the bar's period, not yet placed.
  AxisLabel& Add(int bar) {
    AxisLabel& label = out_[std::min(count_, kMaxAxisLabels - 1)];
    count_ = std::min(count_ + 1, kMaxAxisLabels);
    label.bar = bar;
    FormatAxisLabel(view_.period, view_.bars->bars[bar].date, label.text, sizeof label.text);
    label.width = measure_ != nullptr ? std::max(measure_(context_, label.text), 0) : 0;
    label.left = 0;
    return label;
  }
  int count() const { return count_; }

 private:
  const DateAxisView& view_;
  TextWidthFn measure_;
  void* context_;
  AxisLabel* out_;
  int count_ = 0;
};

// One separator: its period on the right, the period before it on the left.
void PlaceBesideOneSeparator(const DateAxisView& view, const AxisSeparatorMark& mark, LabelList* labels) {
  const int x = mark.x;
  if (mark.bar < view.last) {
    AxisLabel& label = labels->Add(mark.bar);
    label.left = std::max(CentredLeft(x + 1, view.rowRight - 1, label.width), x + 1);
  }
  if (mark.bar > view.first && mark.bar >= 2 && mark.bar - 1 < BarCount(view)) {
    AxisLabel& label = labels->Add(mark.bar - 1);
    const int room = (x - 1) - (view.rowLeft + 1);
    label.left = label.width > room ? x - 1 - label.width : CentredLeft(view.rowLeft + 1, x - 1, label.width);
  }
}

// Two or more: each full period centred between its separators, the newest
// period right of the rightmost one, the partial period left of the leftmost.
void PlaceBetweenSeparators(const DateAxisView& view, const AxisSeparatorMark* marks, int n, LabelList* labels) {
  for (int j = 1; j < n; ++j) {
    AxisLabel& label = labels->Add(marks[j].bar);
    label.left = (marks[j].x + marks[j - 1].x) / 2 - label.width / 2;
  }
  const AxisSeparatorMark& newest = marks[0];
  if (newest.bar < view.last && newest.bar < BarCount(view) - 1) {
    AxisLabel& label = labels->Add(newest.bar);
    const int a = newest.x + 1;
    const int b = std::min(2 * newest.x - marks[1].x, view.rowRight - 1);
    label.left = label.width <= b - a ? CentredLeft(a, b, label.width) : a;
  }
  const int leftmost = marks[n - 1].bar;
  const int next = marks[n - 2].bar;
  if (leftmost + 7 * (leftmost - next) / 10 < 0 || leftmost - 1 >= view.last || leftmost - 1 >= BarCount(view) - 1)
    return;
  AxisLabel& label = labels->Add(leftmost - 1);
  const int x = marks[n - 1].x;
  label.left = x - 1 - label.width;
  if (label.left < view.rowLeft) label.left = CentredLeft(view.rowLeft, x - 1, label.width);
}

// The weekdays of consecutive bars, each bar's worked out once: within a
// month the weekday moves with the day of the month.
class WeekdayWalk {
 public:
  // Whether a new week begins at `date` after `previous` of the same month.
  bool IsNewWeek(PackedDate previous, PackedDate date) {
    const int day = known_ && date == date_ ? weekday_ : GetDayOfWeek(date);
    const int month = PackedMonth(date);
    // GetDayOfWeek adds the day of the month to a constant of the year and
    // month for these; any other date is asked for on its own.
    const int before = PackedYear(date) >= 1 && month >= 1 && month <= 12
                           ? ((day - (PackedDay(date) - PackedDay(previous))) % 7 + 7) % 7
                           : GetDayOfWeek(previous);
    date_ = previous;
    weekday_ = before;
    known_ = true;
    return day <= before;
  }

 private:
  bool known_ = false;
  PackedDate date_ = 0;
  int weekday_ = 0;
};

// GetAxisSeparator of one bar of a walk from the right to the left.
AxisSeparator WalkedSeparator(int period, bool weekSeparators, PackedDate previous, PackedDate date,
                              WeekdayWalk* weekdays) {
  if (period != 0 || !weekSeparators || PackedYear(date) != PackedYear(previous) ||
      PackedMonth(date) != PackedMonth(previous))
    return GetAxisSeparator(period, weekSeparators, previous, date);
  return weekdays->IsNewWeek(previous, date) ? AxisSeparator::kMinor : AxisSeparator::kNone;
}

uint32_t HashOfLabel(const char (&text)[kAxisLabelSize]) {
  uint32_t hash = 2166136261u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

}  // namespace

AxisSeparator GetAxisSeparator(int period, bool weekSeparators, PackedDate previous, PackedDate date) {
  const bool newYear = PackedYear(date) != PackedYear(previous);
  const bool newMonth = newYear || PackedMonth(date) != PackedMonth(previous);
  switch (period) {
    case 0:
      if (newMonth) return AxisSeparator::kMajor;
      return weekSeparators && GetDayOfWeek(date) <= GetDayOfWeek(previous) ? AxisSeparator::kMinor
                                                                            : AxisSeparator::kNone;
    case 1:
      if (newYear) return AxisSeparator::kMajor;
      return newMonth ? AxisSeparator::kMinor : AxisSeparator::kNone;
    default: return newYear ? AxisSeparator::kMajor : AxisSeparator::kNone;
  }
}

void FormatAxisLabel(int period, PackedDate date, char* out, size_t size) {
  if (period == 0) {
    snprintf(out, size, "%d/%d", PackedYear(date), PackedMonth(date));
  } else {
    snprintf(out, size, "%d%s", PackedYear(date), gYearUnitText);
  }
}

int BarSlotLeftX(int plotRight, int spacing, int last, int bar) {
  const int64_t x = static_cast<int64_t>(plotRight) - 2 - (static_cast<int64_t>(last) - bar + 1) * spacing;
  return static_cast<int>(std::clamp<int64_t>(x, -kPixelOffsetLimit, kPixelOffsetLimit));
}

void CollectAxisSeparators(const DateAxisView& view, bool weekSeparators, DateAxisMarks* marks) {
  marks->majors.clear();
  marks->minorX.clear();
  marks->barX.clear();
  const int count = BarCount(view);
  WeekdayWalk weekdays;
  for (int i = std::min(view.last, count - 1); i >= std::max(view.first, 0); --i) {
    const int x = BarSlotLeftX(view.plotRight, view.spacing, view.last, i);
    marks->barX.push_back(x);
    if (i == 0) continue;
    const PriceBar* bars = view.bars->bars;
    switch (WalkedSeparator(view.period, weekSeparators, bars[i - 1].date, bars[i].date, &weekdays)) {
      case AxisSeparator::kMajor: marks->majors.push_back({x, i}); break;
      case AxisSeparator::kMinor: marks->minorX.push_back(x); break;
      case AxisSeparator::kNone: break;
    }
  }
}

int PlaceAxisLabels(const DateAxisView& view, const AxisSeparatorMark* majors, int majorCount, TextWidthFn measure,
                    void* measureContext, AxisLabel* out) {
  LabelList labels(view, measure, measureContext, out);
  const int n = std::clamp(majorCount, 0, kMaxLabelledSeparators);
  if (n == 0) {
    if (view.first < view.last && view.first >= 0 && view.first < BarCount(view)) {
      AxisLabel& label = labels.Add(view.first);
      label.left = CentredLeft(view.rowLeft, view.rowRight, label.width);
    }
  } else if (n == 1) {
    PlaceBesideOneSeparator(view, majors[0], &labels);
  } else {
    PlaceBetweenSeparators(view, majors, n, &labels);
  }
  return labels.count();
}

int GetKeptAxisLabelWidth(AxisLabelWidths* widths, uint64_t font, const char* text, TextWidthFn measure,
                          void* measureContext) {
  const size_t length = strnlen(text, kAxisLabelSize);
  if (length == 0 || length >= kAxisLabelSize) return measure(measureContext, text);  // no label's text
  char key[kAxisLabelSize] = {};
  std::memcpy(key, text, length);
  if (widths->font != font || widths->kept >= kKeptLabelWidthSlots * 3 / 4) {
    ForgetAxisLabelWidths(widths);
    widths->font = font;
  }
  for (uint32_t i = HashOfLabel(key);; ++i) {
    AxisLabelWidths::Slot& slot = widths->slots[i % kKeptLabelWidthSlots];
    if (slot.text[0] == 0) {
      std::memcpy(slot.text, key, sizeof key);
      slot.width = measure(measureContext, text);
      ++widths->kept;
      return slot.width;
    }
    if (std::memcmp(slot.text, key, sizeof key) == 0) return slot.width;
  }
}

void ForgetAxisLabelWidths(AxisLabelWidths* widths) {
  for (AxisLabelWidths::Slot& slot : widths->slots) slot.text[0] = 0;
  widths->kept = 0;
}
