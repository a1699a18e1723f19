// The date axis: where periods begin, and where their labels go.
#include "chart/date_axis.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr int kPlotRight = 600;
constexpr int kSpacing = 11;
constexpr int kRowLeft = 60;

// Trading days from `start` (holidays skipped), weeks or months.
std::unique_ptr<BarSeries> MakeBars(int period, PackedDate start, int count) {
  auto bars = std::make_unique<BarSeries>();
  bars->count = count;
  PackedDate date = start;
  for (int i = 0; i < count; ++i) {
    if (period == 0) {
      while (IsMarketHoliday(date)) date = AddCalendarDays(date, 1);
    }
    bars->bars[i] = {date, 100, 110, 90, 100, 1000};
    date = period == 0   ? AddCalendarDays(date, 1)
           : period == 1 ? AddCalendarDays(date, 7)
                         : MakePackedDate(PackedYear(date) + PackedMonth(date) / 12, PackedMonth(date) % 12 + 1, 1);
  }
  return bars;
}

int SixPixelsAByte(void*, const char* text) { return 6 * static_cast<int>(strlen(text)); }

struct AxisResult {
  DateAxisMarks marks;
  AxisLabel labels[kMaxAxisLabels];
  int labelCount = 0;
  std::string Texts() const {
    std::string texts;
    for (int i = 0; i < labelCount; ++i) texts += std::string(labels[i].text) + " ";
    return texts;
  }
};

// The whole series shown, newest bar at the right edge.
std::unique_ptr<AxisResult> LayOutAxis(const BarSeries& bars, int period, int first = 0) {
  auto result = std::make_unique<AxisResult>();
  const DateAxisView view = {&bars, period, first, bars.count - 1, kPlotRight, kSpacing, kRowLeft, kPlotRight};
  CollectAxisSeparators(view, true, &result->marks);
  result->labelCount = PlaceAxisLabels(view, result->marks.majors.data(), static_cast<int>(result->marks.majors.size()),
                                       SixPixelsAByte, nullptr, result->labels);
  return result;
}

TEST(DateAxisTest, SeparatorsByPeriod) {
  const struct {
    int period;
    bool weeks;
    PackedDate previous, date;
    AxisSeparator expected;
  } cases[] = {
      {0, true, MakePackedDate(2024, 3, 29), MakePackedDate(2024, 4, 1), AxisSeparator::kMajor},
      {0, true, MakePackedDate(2023, 4, 28), MakePackedDate(2024, 4, 1), AxisSeparator::kMajor},  // a year apart
      {0, true, MakePackedDate(2024, 4, 5), MakePackedDate(2024, 4, 9), AxisSeparator::kMinor},   // Fri, Tue
      {0, false, MakePackedDate(2024, 4, 5), MakePackedDate(2024, 4, 9), AxisSeparator::kNone},
      {0, true, MakePackedDate(2024, 4, 9), MakePackedDate(2024, 4, 10), AxisSeparator::kNone},
      {1, true, MakePackedDate(2023, 12, 29), MakePackedDate(2024, 1, 5), AxisSeparator::kMajor},
      {1, false, MakePackedDate(2024, 1, 26), MakePackedDate(2024, 2, 2), AxisSeparator::kMinor},
      {1, true, MakePackedDate(2024, 2, 2), MakePackedDate(2024, 2, 9), AxisSeparator::kNone},
      {2, true, MakePackedDate(2023, 12, 1), MakePackedDate(2024, 1, 1), AxisSeparator::kMajor},
      {2, true, MakePackedDate(2024, 1, 1), MakePackedDate(2024, 2, 1), AxisSeparator::kNone},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetAxisSeparator(c.period, c.weeks, c.previous, c.date), c.expected)
        << c.period << " " << PackedMonth(c.date) << "/" << PackedDay(c.date);
  }
}

TEST(DateAxisTest, MarchToAprilHasOneSeparatorWithAMonthOnEachSide) {
  const auto bars = MakeBars(0, MakePackedDate(2024, 3, 18), 20);
  const auto axis = LayOutAxis(*bars, 0);
  ASSERT_EQ(axis->marks.majors.size(), 1u);
  const AxisSeparatorMark separator = axis->marks.majors[0];
  EXPECT_EQ(bars->bars[separator.bar].date, MakePackedDate(2024, 4, 1));
  EXPECT_EQ(separator.x, kPlotRight - 2 - (bars->count - separator.bar) * kSpacing);
  ASSERT_EQ(axis->Texts(), "2024/4 2024/3 ");
  EXPECT_GE(axis->labels[0].left, separator.x + 1);
  EXPECT_LE(axis->labels[1].left + axis->labels[1].width, separator.x - 1);
  EXPECT_GE(axis->labels[1].left, kRowLeft);
}

TEST(DateAxisTest, AMondayHolidayMovesTheWeekSeparatorToTuesday) {
  ASSERT_TRUE(IsMarketHoliday(MakePackedDate(2024, 1, 8)));
  const auto bars = MakeBars(0, MakePackedDate(2024, 1, 4), 12);  // Thursday 4th to Monday 22nd
  const auto axis = LayOutAxis(*bars, 0);
  std::string weekStarts;
  for (const int x : axis->marks.minorX) {
    const int bar = bars->count - 1 - (kPlotRight - 2 - x) / kSpacing + 1;
    weekStarts += std::to_string(PackedDay(bars->bars[bar].date)) + " ";
  }
  EXPECT_EQ(weekStarts, "22 15 9 ");
  EXPECT_TRUE(axis->marks.majors.empty());
  EXPECT_EQ(axis->Texts(), "2024/1 ") << "no separator: the first bar's month, centred";
  EXPECT_EQ(axis->labels[0].left, kRowLeft + (kPlotRight - kRowLeft - 36) / 2);
}

TEST(DateAxisTest, YearLabelsOfWeeklyChartsAndThePartialYearAtTheLeft) {
  const struct {
    PackedDate start;
    const char* labels;
  } cases[] = {
      {MakePackedDate(2022, 3, 4), "2023年 2024年 2022年 "},  // 43 weeks of 2022: 70 % of a year and more
      {MakePackedDate(2022, 6, 3), "2023年 2024年 "},         // 30 weeks: too few to label
  };
  for (const auto& c : cases) {
    const auto bars = MakeBars(1, c.start, 110);
    const auto axis = LayOutAxis(*bars, 1);
    ASSERT_EQ(axis->marks.majors.size(), 2u);
    EXPECT_EQ(axis->Texts(), c.labels);
    const AxisSeparatorMark* marks = axis->marks.majors.data();
    EXPECT_EQ(axis->labels[0].left + axis->labels[0].width / 2, (marks[0].x + marks[1].x) / 2);
    EXPECT_GE(axis->labels[1].left, marks[0].x + 1);
    EXPECT_FALSE(axis->marks.minorX.empty());
  }
}

}  // namespace
