#include "data/period_bars.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr PackedDate D(int year, int month, int day) { return MakePackedDate(year, month, day); }

PriceBar Bar(PackedDate date, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume) {
  return {date, open, high, low, close, volume};
}

PriceBar Bar(PackedDate date, int32_t price = 100, int32_t volume = 10) {
  return Bar(date, price, price, price, price, volume);
}

std::unique_ptr<BarSeries> Daily(const std::vector<PriceBar>& bars) {
  auto series = std::make_unique<BarSeries>();
  memset(series.get(), 0xAB, sizeof(BarSeries));
  series->code = StringToCode("7203");
  series->count = static_cast<int32_t>(bars.size());
  for (size_t i = 0; i < bars.size(); ++i) series->bars[i] = bars[i];
  return series;
}

// The bars built into a buffer of garbage.
std::unique_ptr<BarSeries> Weekly(const BarSeries& daily) {
  auto out = std::make_unique<BarSeries>();
  memset(out.get(), 0xCD, sizeof(BarSeries));
  BuildWeeklyBars(daily, out.get());
  return out;
}

std::unique_ptr<BarSeries> Monthly(const BarSeries& daily) {
  auto out = std::make_unique<BarSeries>();
  memset(out.get(), 0xCD, sizeof(BarSeries));
  EXPECT_EQ(BuildMonthlyBars(daily, out.get()), out->count);
  return out;
}

std::vector<PackedDate> Dates(const BarSeries& series) {
  std::vector<PackedDate> dates;
  for (int i = 0; i < series.count; ++i) dates.push_back(series.bars[i].date);
  return dates;
}

// ---- Weekly bars ---------------------------------------------------------------------

TEST(PeriodBarsWeekly, OneWeekGivesOneBarDatedFridayWithMondaysOpen) {
  const auto daily = Daily({Bar(D(2024, 6, 3), 100, 110, 95, 105, 1000), Bar(D(2024, 6, 4), 105, 130, 100, 120, 2000),
                            Bar(D(2024, 6, 5), 120, 125, 90, 95, 3000), Bar(D(2024, 6, 6), 95, 100, 92, 99, 4000),
                            Bar(D(2024, 6, 7), 99, 101, 97, 98, 5000)});
  const auto weekly = Weekly(*daily);
  EXPECT_EQ(weekly->code, StringToCode("7203"));
  ASSERT_EQ(weekly->count, 1);
  const PriceBar week = Bar(D(2024, 6, 7), 100, 130, 90, 98, 15000);
  EXPECT_EQ(memcmp(&weekly->bars[0], &week, sizeof week), 0);
}

TEST(PeriodBarsWeekly, GapOfAWeekOrMoreOrNoLaterWeekdayStartsANewBar) {
  // Wednesday, then Thursday eight days later (a suspended week).
  EXPECT_EQ(Dates(*Weekly(*Daily({Bar(D(2024, 6, 5)), Bar(D(2024, 6, 13))}))),
            (std::vector<PackedDate>{D(2024, 6, 5), D(2024, 6, 13)}));
  // Monday, then the next Monday.
  EXPECT_EQ(Weekly(*Daily({Bar(D(2024, 6, 3)), Bar(D(2024, 6, 10))}))->count, 2);
  // Across a month end: Wednesday 29 May to Wednesday 5 June, and to Thursday 6 June.
  EXPECT_EQ(Weekly(*Daily({Bar(D(2024, 5, 29)), Bar(D(2024, 6, 5))}))->count, 2);
  EXPECT_EQ(Weekly(*Daily({Bar(D(2024, 5, 29)), Bar(D(2024, 6, 6))}))->count, 2);
  // One week across a month end stays one bar: Thursday 30 May, Friday 31 May.
  EXPECT_EQ(Weekly(*Daily({Bar(D(2024, 5, 30)), Bar(D(2024, 5, 31))}))->count, 1);
  // Friday, then the next Monday three days later; and across a year end.
  EXPECT_EQ(Weekly(*Daily({Bar(D(2024, 5, 31)), Bar(D(2024, 6, 3))}))->count, 2);
  EXPECT_EQ(Weekly(*Daily({Bar(D(2024, 12, 30)), Bar(D(2025, 1, 3))}))->count, 1);
}

// ---- Monthly bars ----------------------------------------------------------------------

TEST(PeriodBarsMonthly, MonthOrYearChangeStartsANewBar) {
  const auto monthly =
      Monthly(*Daily({Bar(D(2024, 1, 4), 100, 120, 90, 110, 5), Bar(D(2024, 1, 30), 110, 140, 80, 130, 6),
                      Bar(D(2024, 3, 2), 130, 131, 129, 130, 7)}));
  ASSERT_EQ(monthly->count, 2);
  const PriceBar january = Bar(D(2024, 1, 30), 100, 140, 80, 130, 11);
  EXPECT_EQ(memcmp(&monthly->bars[0], &january, sizeof(PriceBar)), 0);
  EXPECT_EQ(monthly->bars[1].date, D(2024, 3, 2));
  EXPECT_EQ(Monthly(*Daily({Bar(D(2021, 1, 15)), Bar(D(2022, 1, 15))}))->count, 2);
}

// ---- Both ------------------------------------------------------------------------------------

TEST(PeriodBarsBoth, OneBarGivesItselfAndNoBarsGiveNone) {
  const auto one = Daily({Bar(D(2024, 6, 5), 100, 120, 90, 110, 77)});
  const auto weekly = Weekly(*one);
  const auto monthly = Monthly(*one);
  ASSERT_EQ(weekly->count, 1);
  ASSERT_EQ(monthly->count, 1);
  EXPECT_EQ(memcmp(&weekly->bars[0], &one->bars[0], sizeof(PriceBar)), 0);
  EXPECT_EQ(memcmp(&monthly->bars[0], &one->bars[0], sizeof(PriceBar)), 0);

  EXPECT_EQ(Weekly(*Daily({}))->count, 0);
  const auto noMonths = Monthly(*Daily({}));
  EXPECT_EQ(noMonths->count, 0);
  EXPECT_EQ(noMonths->code, StringToCode("7203"));
}

TEST(PeriodBarsBoth, VolumeSumsSaturateInsteadOfWrapping) {
  const auto daily =
      Daily({Bar(D(2024, 6, 3), 100, 2000000000), Bar(D(2024, 6, 4), 100, 2000000000), Bar(D(2024, 6, 5), 100, 5)});
  EXPECT_EQ(Monthly(*daily)->bars[0].volume, INT_MAX);
  EXPECT_EQ(Weekly(*daily)->bars[0].volume, INT_MAX);
}

}  // namespace
