#pragma once
// The date axis without a device: which bars open a new period, where their
// separators stand across the panes and where the period labels go in the
// date-axis row.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/number_text.h"
#include "common/packed_date.h"
#include "records/price_series.h"

constexpr int kMaxLabelledSeparators = 49;
constexpr int kMaxAxisLabels = kMaxLabelledSeparators + 1;
constexpr int kAxisLabelSize = 16;

enum class AxisSeparator { kNone, kMinor, kMajor };

// What stands between two consecutive bars of a period. Daily: a new month
// is major; a new week (a day of week not after the previous bar's, so that a
// Monday holiday moves it to Tuesday) is minor when week separators are on.
// Weekly: a new year is major, a new month minor. Monthly: a new year is major.
AxisSeparator GetAxisSeparator(int period, bool weekSeparators, PackedDate previous, PackedDate date);

// "2024/4" on daily charts; "2024年" on weekly and monthly ones.
void FormatAxisLabel(int period, PackedDate date, char* out, size_t size);

// Left edge of a bar's slot: plot right - 2 - (last - bar + 1) p.
int BarSlotLeftX(int plotRight, int spacing, int last, int bar);

struct AxisSeparatorMark {
  int32_t x;
  int32_t bar;  // the first bar of the new period
};

struct DateAxisMarks {
  std::vector<AxisSeparatorMark> majors;  // right to left; the first 49 are labelled
  std::vector<int32_t> minorX;
  std::vector<int32_t> barX;  // every bar's slot edge, for the ticks
};

struct DateAxisView {
  const BarSeries* bars;
  int period;
  int first, last;
  int plotRight, spacing;
  int rowLeft, rowRight;  // the date-axis row
};

// The separators and tick places of bars last down to first (bar 0 and bars
// beyond the series never get a separator).
void CollectAxisSeparators(const DateAxisView& view, bool weekSeparators, DateAxisMarks* marks);

struct AxisLabel {
  int32_t bar;
  int32_t left;  // the text is drawn from here
  int32_t width;
  char text[kAxisLabelSize];
};

// Labels of the periods between and beside the labelled separators (right
// to left): centred in their period where it is wide enough, else against
// the separator; the partial period at the left edge only when at least 70 %
// of a period's bars lie before it. Returns the count written to `out`
// (kMaxAxisLabels at most).
int PlaceAxisLabels(const DateAxisView& view, const AxisSeparatorMark* majors, int majorCount, TextWidthFn measure,
                    void* measureContext, AxisLabel* out);

// Label widths measured in one font, kept between paints: the same few
// dozen labels would otherwise be measured again at every paint.
constexpr int kKeptLabelWidthSlots = 256;
struct AxisLabelWidths {
  uint64_t font;  // what the widths were measured in
  int32_t kept;
  struct Slot {
    char text[kAxisLabelSize];  // zero-padded; empty: a free slot
    int32_t width;
  } slots[kKeptLabelWidthSlots];
};
// The width of `text` in `font`: kept, or measured and kept. Widths of any
// other font are forgotten first.
int GetKeptAxisLabelWidth(AxisLabelWidths* widths, uint64_t font, const char* text, TextWidthFn measure,
                          void* measureContext);
void ForgetAxisLabelWidths(AxisLabelWidths* widths);
