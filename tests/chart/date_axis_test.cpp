// The date axis: where periods begin, and where their labels go.
#include "chart/date_axis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

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

// The walk over the bars gives each pair of neighbours the separator
// GetAxisSeparator gives it, whatever the dates: gaps of weeks, Monday
// holidays, year ends and dates no calendar has.
TEST(DateAxisTest, SeparatorsOfAWalkAreThoseOfEachPairOfBars) {
  const struct {
    const char* name;
    std::vector<int> dates;  // yyyymmdd, oldest first
  } cases[] = {
      {"trading days", {20240102, 20240103, 20240104, 20240105, 20240109, 20240110, 20240111, 20240112, 20240115}},
      {"gaps of a week and more", {20240101, 20240108, 20240109, 20240116, 20240130, 20240131, 20240201, 20240215}},
      {"same weekday a week apart", {20240105, 20240112, 20240119, 20240126, 20240202}},
      {"year end", {20231227, 20231228, 20231229, 20240104, 20240105, 20240108}},
      {"a day twice", {20240110, 20240110, 20240111, 20240111, 20240115}},
      {"days no month has", {20240130, 20240135, 20240140, 20240200, 20240231, 20240299, 20240301}},
      {"months and years no calendar has", {20241301, 20241303, 20241310, 10101, 10103, 10112, 20240102}},
      {"dates out of order", {20240112, 20240110, 20240108, 20240105, 20240109}},
  };
  for (const auto& c : cases) {
    auto bars = std::make_unique<BarSeries>();
    for (const int ymd : c.dates) bars->bars[bars->count++].date = Ymd(ymd);
    for (const bool weeks : {true, false}) {
      for (const int period : {0, 1, 2}) {
        const DateAxisView view = {bars.get(), period, 0, bars->count - 1, kPlotRight, 7, kRowLeft, kPlotRight};
        DateAxisMarks marks;
        CollectAxisSeparators(view, weeks, &marks);
        std::string walked, paired;
        for (const AxisSeparatorMark& mark : marks.majors) walked += "M" + std::to_string(mark.bar);
        for (const int x : marks.minorX) walked += "m" + std::to_string(view.last - (kPlotRight - 2 - x) / 7 + 1);
        std::string minors;
        for (int i = bars->count - 1; i >= 1; --i) {
          const AxisSeparator s = GetAxisSeparator(period, weeks, bars->bars[i - 1].date, bars->bars[i].date);
          if (s == AxisSeparator::kMajor) paired += "M" + std::to_string(i);
          if (s == AxisSeparator::kMinor) minors += "m" + std::to_string(i);
        }
        EXPECT_EQ(walked, paired + minors) << c.name << " period " << period << (weeks ? " with weeks" : "");
      }
    }
  }
}

struct CountedMeasure {
  int calls = 0;
  int perByte = 6;
};

int CountedWidth(void* context, const char* text) {
  auto* measure = static_cast<CountedMeasure*>(context);
  ++measure->calls;
  return measure->perByte * static_cast<int>(strlen(text));
}

// A width is measured once per font; another font, or fonts made anew
// (whose handles may be the old ones'), measure again.
TEST(DateAxisTest, LabelWidthsAreKeptPerFontUntilForgotten) {
  auto widths = std::make_unique<AxisLabelWidths>();
  ForgetAxisLabelWidths(widths.get());
  CountedMeasure measure;
  const auto width = [&](uint64_t font, const char* text) {
    return GetKeptAxisLabelWidth(widths.get(), font, text, CountedWidth, &measure);
  };
  EXPECT_EQ(width(1, "2024/4") + width(1, "2024/10") + width(1, "2024/4") + width(1, "2024/10"), 2 * (36 + 42));
  EXPECT_EQ(measure.calls, 2);
  measure.perByte = 8;  // a larger font
  EXPECT_EQ(width(2, "2024/4"), 48);
  EXPECT_EQ(width(2, "2024/4"), 48);
  EXPECT_EQ(measure.calls, 3);
  measure.perByte = 10;  // made anew under the same handle
  ForgetAxisLabelWidths(widths.get());
  EXPECT_EQ(width(2, "2024/4"), 60);
  EXPECT_EQ(measure.calls, 4);
  // Texts longer than a label holds, and many more texts than the table keeps.
  EXPECT_EQ(width(2, "2024/4") + width(2, ""), 60);
  EXPECT_EQ(width(2, "2024/4 and so on, and on") + width(2, "2024/4 and so on"), 240 + 160);
  for (int round = 0; round < 2; ++round) {
    for (int year = 1900; year < 2500; ++year) {
      const std::string text = std::to_string(year) + "/" + std::to_string(year % 12 + 1);
      ASSERT_EQ(width(2, text.c_str()), 10 * static_cast<int>(text.size())) << text;
    }
  }
}

}  // namespace
