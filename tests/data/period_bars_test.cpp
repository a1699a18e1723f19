#include "data/period_bars.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr PackedDate D(int year, int month, int day) { return MakePackedDate(year, month, day); }

PriceBar Bar(PackedDate date, int32_t open, int32_t high, int32_t low, int32_t close, int32_t volume) {
  return {date, open, high, low, close, volume};
}

PriceBar Bar(PackedDate date, int32_t volume = 10) { return Bar(date, 100, 100, 100, 100, volume); }

// Weekly or monthly bars of the daily bars, built into a buffer of garbage.
std::unique_ptr<BarSeries> Built(bool monthly, const std::vector<PriceBar>& bars) {
  auto daily = std::make_unique<BarSeries>(), out = std::make_unique<BarSeries>();
  std::memset(daily.get(), 0xAB, sizeof(BarSeries));
  std::memset(out.get(), 0xCD, sizeof(BarSeries));
  daily->code = StringToCode("7203");
  daily->count = static_cast<int32_t>(bars.size());
  std::copy(bars.begin(), bars.end(), daily->bars);
  if (monthly) {
    EXPECT_EQ(BuildMonthlyBars(*daily, out.get()), out->count);
  } else {
    BuildWeeklyBars(*daily, out.get());
  }
  EXPECT_EQ(out->code, daily->code);
  return out;
}

TEST(PeriodBars, OneWeekOrOneBarGivesOneBarWithTheFirstOpenAndTheLastDateAndClose) {
  const std::vector<PriceBar> week = {
      Bar(D(2024, 6, 3), 100, 110, 95, 105, 1000), Bar(D(2024, 6, 4), 105, 130, 100, 120, 2000),
      Bar(D(2024, 6, 5), 120, 125, 90, 95, 3000), Bar(D(2024, 6, 6), 95, 100, 92, 99, 4000),
      Bar(D(2024, 6, 7), 99, 101, 97, 98, 5000)};
  const PriceBar one = Bar(D(2024, 6, 5), 100, 120, 90, 110, 77);
  const std::pair<std::vector<PriceBar>, PriceBar> cases[] = {{week, Bar(D(2024, 6, 7), 100, 130, 90, 98, 15000)},
                                                              {{one}, one}};
  for (const auto& [daily, expected] : cases) {
    for (bool monthly : {false, true}) {
      const auto out = Built(monthly, daily);
      ASSERT_EQ(out->count, 1);
      EXPECT_EQ(std::memcmp(&out->bars[0], &expected, sizeof expected), 0) << monthly;
    }
  }
  // Volume sums saturate instead of wrapping.
  for (bool monthly : {false, true})
    EXPECT_EQ(Built(monthly, {Bar(D(2024, 6, 3), 2000000000), Bar(D(2024, 6, 4), 2000000000), Bar(D(2024, 6, 5))})
                  ->bars[0]
                  .volume,
              INT_MAX);
}

TEST(PeriodBars, AGapOfAWeekOrMoreOrNoLaterWeekdayOrANewMonthStartsANewBar) {
  const struct {
    bool monthly;
    std::vector<PackedDate> days;
    int bars;
  } cases[] = {
      {false, {D(2024, 6, 5), D(2024, 6, 13)}, 2},  // Wednesday, Thursday eight days later
      {false, {D(2024, 6, 3), D(2024, 6, 10)}, 2},  // Monday, the next Monday
      {false, {D(2024, 5, 29), D(2024, 6, 5)}, 2},  // across a month end
      {false, {D(2024, 5, 29), D(2024, 6, 6)}, 2},
      {false, {D(2024, 5, 30), D(2024, 5, 31)}, 1},
      {false, {D(2024, 5, 31), D(2024, 6, 3)}, 2},   // Friday, Monday three days later
      {false, {D(2024, 12, 30), D(2025, 1, 3)}, 1},  // one week across a year end
      {true, {D(2024, 1, 4), D(2024, 1, 30), D(2024, 3, 2)}, 2},
      {true, {D(2021, 1, 15), D(2022, 1, 15)}, 2},
      {false, {}, 0},
      {true, {}, 0},
  };
  for (const auto& c : cases) {
    std::vector<PriceBar> bars;
    for (PackedDate day : c.days) bars.push_back(Bar(day));
    const auto out = Built(c.monthly, bars);
    ASSERT_EQ(out->count, c.bars) << std::hex << (c.days.empty() ? 0 : c.days[0]);
    if (c.bars > 0) EXPECT_EQ(out->bars[c.bars - 1].date, c.days.back());
  }
}

}  // namespace
