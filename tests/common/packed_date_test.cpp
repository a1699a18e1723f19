#include "common/packed_date.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/posix_recorder.h"
#include "tests/support/row.h"

namespace {

constexpr PackedDate D(int y, int m, int d) { return MakePackedDate(y, m, d); }

constexpr int kTokyo = 9 * 3600;
constexpr int64_t kMonday20240304Utc = 1709510400;  // 09:00 in Tokyo

TEST(DatesCivil, MatchesTheUtcCalendarFrom1900To2100) {
  for (int64_t days = -25567; days <= 47846; ++days) {
    const time_t t = static_cast<time_t>(days * 86400);
    tm utc{};
    gmtime_r(&t, &utc);
    const PackedDate date = DaysToPackedDate(days);
    ASSERT_EQ(date, D(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday)) << days;
    ASSERT_EQ(PackedDateToDays(date), days);
    ASSERT_EQ(GetDayOfWeek(date), utc.tm_wday);
  }
}

TEST(DatesCivil, WeekdaysFollowTheDayCountForEveryFieldValue) {
  for (int y = 0; y <= 65535; y += (y < 3000 ? 1 : 97))
    for (int m = 0; m <= 13; ++m)
      for (const int d : {0, 1, 17, 28, 29, 30, 31, 255}) {
        const PackedDate date = D(y, m, d);
        const int64_t shifted = PackedDateToDays(date) + 4;  // 1970-01-01 was a Thursday
        ASSERT_EQ(GetDayOfWeek(date), ((shifted % 7) + 7) % 7) << y << "/" << m << "/" << d;
      }
}

TEST(DatesCivil, NormalisationMonthLengthsAndWeekdayText) {
  EXPECT_EQ(Row(AddCalendarDays(D(2024, 1, 32), 0), AddCalendarDays(D(2024, 0, 15), 0),
                AddCalendarDays(D(2024, 3, 0), 0), AddCalendarDays(D(2023, 12, 31), 1)),
            Row(D(2024, 2, 1), D(2023, 12, 15), D(2024, 2, 29), D(2024, 1, 1)));
  EXPECT_EQ(Row(GetDaysInMonth(2024, 2), GetDaysInMonth(1900, 2), GetDaysInMonth(2000, 2), GetDaysInMonth(2023, 4)),
            Row(29, 28, 29, 30));
  char text[7];
  GetDayOfWeekText(D(2024, 3, 4), text);
  EXPECT_STREQ(text, "（月）");
}

TEST(HolidaysRules, TableDays) {
  for (int y = 1990; y <= 2050; ++y) {
    EXPECT_TRUE(IsMarketHoliday(D(y, 1, 2)) && IsMarketHoliday(D(y, 12, 31))) << y;
    EXPECT_EQ(IsMarketHoliday(D(y, 12, 23)), GetDayOfWeek(D(y, 12, 23)) % 6 == 0) << y;
    EXPECT_EQ(IsMarketHoliday(D(y, 2, 12)), GetDayOfWeek(D(y, 2, 12)) % 6 <= 1) << y;
  }
  for (PackedDate d : {D(2024, 3, 20), D(2016, 3, 21), D(2018, 9, 24), D(2020, 7, 24), D(2020, 8, 10), D(2021, 8, 9),
                       D(2010, 8, 11), D(1999, 1, 15), D(2001, 1, 8), D(2000, 9, 15), D(2024, 7, 15)}) {
    EXPECT_TRUE(IsMarketHoliday(d)) << std::hex << d;
  }
  for (PackedDate d : {D(2024, 3, 21), D(2019, 9, 24), D(2020, 8, 11), D(2020, 10, 12), D(2001, 1, 15), D(2005, 9, 15),
                       D(2023, 7, 20), D(2024, 2, 23)}) {
    EXPECT_FALSE(IsMarketHoliday(d)) << std::hex << d;
  }
}

TEST(HolidaysStepping, EveryDayFrom1990To2050) {
  for (PackedDate d = D(1990, 1, 1); d <= D(2050, 12, 31); d = AddCalendarDays(d, 1)) {
    const PackedDate back = RollBackToTradingDay(d);
    ASSERT_TRUE(back <= d && !IsMarketHoliday(back) && (back == d) != IsMarketHoliday(d)) << d;
    const PackedDate next = AddTradingDays(d, 1);
    ASSERT_TRUE(next > d && !IsMarketHoliday(next)) << d;
    ASSERT_EQ(RollBackToTradingDay(AddCalendarDays(next, -1)), back);  // no trading day skipped
  }
}

TEST(HolidaysStepping, TradingDaysWeeksAndMonthEnds) {
  const struct {
    PackedDate (*step)(PackedDate, int);
    PackedDate from;
    int n;
    PackedDate to;
  } cases[] = {{AddTradingDays, D(2024, 12, 30), 1, D(2025, 1, 6)},
               {AddTradingDays, D(2024, 3, 2), 0, D(2024, 3, 2)},
               {AddTradingDays, D(2024, 3, 2), -3, D(2024, 3, 2)},
               {AddWeeks, D(2024, 2, 26), 1, D(2024, 3, 4)},
               {AddWeeks, D(2024, 1, 15), -1, D(2024, 1, 5)},
               {AddMonthsToMonthEnd, D(2023, 3, 15), -3, D(2022, 12, 30)},
               {AddMonthsToMonthEnd, D(2024, 1, 31), 1, D(2024, 2, 29)},
               {AddMonthsToMonthEnd, D(2024, 5, 15), -17, D(2022, 12, 30)},
               {AddMonthsToMonthEnd, D(2024, 3, 15), 10, D(2025, 1, 31)}};
  for (const auto& c : cases) EXPECT_EQ(c.step(c.from, c.n), c.to) << std::hex << c.from << " " << std::dec << c.n;
}

// Spans of any length count what a walk over their days counts: within the
// years of the rules that change, below and above them, and across them all.
TEST(HolidaysCounting, LongSpansCountWhatEveryDayCounts) {
  const auto walked = [](int64_t from, int64_t to) {
    int64_t count = 0;
    for (int64_t day = from; day <= to; ++day) count += IsMarketHoliday(DaysToPackedDate(day)) ? 1 : 0;
    return count;
  };
  const struct {
    PackedDate from, to;
  } spans[] = {
      {D(2024, 3, 20), D(2024, 3, 20)},   {D(2024, 3, 21), D(2024, 3, 20)}, {D(2026, 12, 4), D(2100, 1, 1)},
      {D(700, 1, 1), D(900, 12, 31)},     {D(2300, 2, 28), D(2900, 3, 1)},  {D(1, 1, 1), D(9999, 12, 31)},
      {D(60000, 1, 1), D(65535, 12, 31)},
  };

  for (const auto& span : spans) {
    const int64_t from = PackedDateToDays(span.from), to = PackedDateToDays(span.to);
    EXPECT_EQ(CountMarketHolidays(from, to), walked(from, to)) << std::hex << span.from << " " << span.to;
  }
}

class DatesClock : public ::testing::Test {
 protected:
  void TearDown() override { ResetPlatformRecorder(); }
};

// Monday 00:00 in Tokyo is no holiday, Sunday 23:59:59 is: a time goes by its local date.
TEST_F(DatesClock, LocalDateTimeLastTradingDateAndHolidayOfATime) {
  SetFixedClock(kMonday20240304Utc - 1, kTokyo);
  EXPECT_EQ(Row(GetTodayPacked(), GetNowPackedTime(), GetLastTradingDate()),
            Row(D(2024, 3, 4), MakePackedTime(8, 59, 59), D(2024, 3, 1)));
  SetFixedClock(kMonday20240304Utc, kTokyo);
  EXPECT_EQ(Row(GetNowPackedTime(), GetLastTradingDate(), IsMarketHolidayTime(kMonday20240304Utc - kTokyo),
                IsMarketHolidayTime(kMonday20240304Utc - kTokyo - 1)),
            Row(0x90000, D(2024, 3, 4), 0, 1));
  SetFixedClock(kMonday20240304Utc - 3600, -5 * 3600);  // Sunday 18:00 at UTC-5
  int y = 0, m = 0, d = 0;
  GetTodayYmd(&y, &m, &d);
  EXPECT_EQ(Row(D(y, m, d), GetLastTradingDate()), Row(D(2024, 3, 3), D(2024, 3, 1)));
  SetFixedClock(1704758400 - 3600, kTokyo);  // Tuesday 9 Jan 08:00, after a holiday Monday
  EXPECT_EQ(GetLastTradingDate(), D(2024, 1, 5));
  SetFixedClock(kMonday20240304Utc, 0);
  EXPECT_TRUE(IsMarketHolidayTime(kMonday20240304Utc - kTokyo));
}

}  // namespace
