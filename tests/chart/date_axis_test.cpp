// The date axis: where periods begin, and where their labels go.
#include "chart/date_axis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int kPlotRight = 600;
constexpr int kRowLeft = 60;

PackedDate Ymd(int ymd) { return MakePackedDate(ymd / 10000, ymd / 100 % 100, ymd % 100); }

int SixPixelsAByte(void*, const char* text) { return 6 * static_cast<int>(strlen(text)); }

TEST(DateAxisTest, SeparatorsByPeriod) {
  const struct {
    int period;
    bool weeks;
    int previous, date;
    AxisSeparator expected;
  } cases[] = {
      {0, true, 20240329, 20240401, AxisSeparator::kMajor}, {0, true, 20230428, 20240401, AxisSeparator::kMajor},
      {0, true, 20240105, 20240109, AxisSeparator::kMinor},  // Friday, then Tuesday after a Monday holiday
      {0, false, 20240105, 20240109, AxisSeparator::kNone}, {0, true, 20240109, 20240110, AxisSeparator::kNone},
      {1, true, 20231229, 20240105, AxisSeparator::kMajor}, {1, false, 20240126, 20240202, AxisSeparator::kMinor},
      {1, true, 20240202, 20240209, AxisSeparator::kNone},  {2, true, 20231201, 20240101, AxisSeparator::kMajor},
      {2, true, 20240101, 20240201, AxisSeparator::kNone},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetAxisSeparator(c.period, c.weeks, Ymd(c.previous), Ymd(c.date)), c.expected) << c.date;
}

// Every label lies inside its own period: right of the separator that opens
// it, left of the one that ends it.
TEST(DateAxisTest, EachPeriodLabelledBetweenItsSeparators) {
  const struct {
    int period, start, count, spacing;
    const char* labels;
  } cases[] = {
      {0, 20240318, 20, 11, "2024/4 2024/3 "},         // one separator, at April 1st
      {0, 20240104, 12, 11, "2024/1 "},                // inside one month: centred in the row
      {1, 20220304, 110, 5, "2023年 2024年 2022年 "},  // 43 weeks of 2022: 70 % of a year and more
      {1, 20220603, 110, 5, "2023年 2024年 "},         // 30 weeks: too few to label
  };
  for (const auto& c : cases) {
    BarSeries bars{};
    PackedDate date = Ymd(c.start);
    for (int i = 0; i < c.count; ++i, date = AddCalendarDays(date, c.period == 0 ? 1 : 7)) {
      while (c.period == 0 && IsMarketHoliday(date)) date = AddCalendarDays(date, 1);
      bars.bars[bars.count++].date = date;
    }
    const int first = std::max(0, c.count - 1 - (kPlotRight - kRowLeft) / c.spacing);  // the bars a chart shows
    const DateAxisView view = {&bars, c.period, first, c.count - 1, kPlotRight, c.spacing, kRowLeft, kPlotRight};
    DateAxisMarks marks;
    CollectAxisSeparators(view, true, &marks);
    for (const AxisSeparatorMark& mark : marks.majors)
      EXPECT_EQ(mark.x, kPlotRight - 2 - (c.count - mark.bar) * c.spacing) << "the left edge of the bar's slot";
    AxisLabel labels[kMaxAxisLabels];
    const int count = PlaceAxisLabels(view, marks.majors.data(), static_cast<int>(marks.majors.size()), SixPixelsAByte,
                                      nullptr, labels);
    std::string texts;
    for (int i = 0; i < count; ++i) {
      texts += std::string(labels[i].text) + " ";
      for (const AxisSeparatorMark& mark : marks.majors) {
        if (mark.bar <= labels[i].bar) {
          EXPECT_GT(labels[i].left, mark.x) << labels[i].text;
        } else {
          EXPECT_LT(labels[i].left + labels[i].width, mark.x) << labels[i].text;
        }
      }
    }
    EXPECT_EQ(texts, c.labels);
    if (marks.majors.empty()) {
      EXPECT_EQ(labels[0].left, kRowLeft + (kPlotRight - kRowLeft - 36) / 2);
    }
    if (c.start == 20240318) {
      EXPECT_EQ(bars.bars[marks.majors.at(0).bar].date, Ymd(20240401));
    }
  }
}

}  // namespace
