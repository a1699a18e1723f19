#include "common/packed_date.h"

#include <gtest/gtest.h>

#include <ctime>

#include "platform/posix_recorder.h"

namespace {

constexpr PackedDate D(int y, int m, int d) { return MakePackedDate(y, m, d); }

constexpr int kTokyo = 9 * 3600;
constexpr int64_t kMonday20240304Utc = 1709510400;  // 2024-03-04 00:00:00 UTC

TEST(DatesCivil, MatchesTheUtcCalendarFrom1900To2100) {
  for (int64_t days = -25567; days <= 47846; ++days) {
    const time_t t = static_cast<time_t>(days * 86400);
    tm utc {};
    gmtime_r(&t, &utc);
    const PackedDate date = DaysToPackedDate(days);
    ASSERT_EQ(date, D(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday)) << days;
    ASSERT_EQ(PackedDateToDays(date), days);
    ASSERT_EQ(GetDayOfWeek(date), utc.tm_wday);
  }
}

TEST(DatesCivil, OutOfRangeFieldsAreNormalised) {
  EXPECT_EQ(DaysToPackedDate(PackedDateToDays(D(2024, 1, 32))), D(2024, 2, 1));
  EXPECT_EQ(DaysToPackedDate(PackedDateToDays(D(2024, 0, 15))), D(2023, 12, 15));
  EXPECT_EQ(DaysToPackedDate(PackedDateToDays(D(2024, 3, 0))), D(2024, 2, 29));
  EXPECT_EQ(DaysToPackedDate(PackedDateToDays(D(2023, 13, 1))), D(2024, 1, 1));
  EXPECT_EQ(AddCalendarDays(D(2023, 12, 31), 1), D(2024, 1, 1));
  EXPECT_EQ(AddCalendarDays(D(2024, 3, 1), -1), D(2024, 2, 29));
  EXPECT_EQ(GetDaysInMonth(2024, 2), 29);
  EXPECT_EQ(GetDaysInMonth(2023, 2), 28);
  EXPECT_EQ(GetDaysInMonth(1900, 2), 28);
  EXPECT_EQ(GetDaysInMonth(2000, 2), 29);
  EXPECT_EQ(GetDaysInMonth(2023, 4), 30);
  EXPECT_EQ(GetDaysInMonth(2023, 12), 31);
}

TEST(DatesCivil, WeekdayText) {
  char text[7];
  GetDayOfWeekText(D(2024, 3, 4), text);
  EXPECT_STREQ(text, "（月）");
  GetDayOfWeekText(D(2024, 3, 3), text);
  EXPECT_STREQ(text, "（日）");
}

TEST(HolidaysRules, EveryYearDays) {
  for (int y = 1990; y <= 2050; ++y) {
    EXPECT_TRUE(IsMarketHoliday(D(y, 1, 2))) << y;
    EXPECT_TRUE(IsMarketHoliday(D(y, 12, 31))) << y;
    EXPECT_EQ(IsMarketHoliday(D(y, 12, 23)), GetDayOfWeek(D(y, 12, 23)) % 6 == 0) << y;
    EXPECT_EQ(IsMarketHoliday(D(y, 2, 12)), GetDayOfWeek(D(y, 2, 12)) % 6 <= 1) << y;
  }
  EXPECT_FALSE(IsMarketHoliday(D(2024, 2, 23)));  // Friday
}

TEST(HolidaysRules, Equinoxes) {
  EXPECT_TRUE(IsMarketHoliday(D(2024, 3, 20)));
  EXPECT_FALSE(IsMarketHoliday(D(2024, 3, 21)));  // Thursday
  EXPECT_TRUE(IsMarketHoliday(D(2016, 3, 21)));   // the Monday after a Sunday equinox
  EXPECT_TRUE(IsMarketHoliday(D(2018, 9, 24)));
  EXPECT_TRUE(IsMarketHoliday(D(2019, 9, 23)));
  EXPECT_FALSE(IsMarketHoliday(D(2019, 9, 24)));
}

TEST(HolidaysRules, YearDependentDays) {
  EXPECT_TRUE(IsMarketHoliday(D(2020, 7, 24)));
  EXPECT_TRUE(IsMarketHoliday(D(2020, 8, 10)));
  EXPECT_FALSE(IsMarketHoliday(D(2020, 8, 11)));
  EXPECT_FALSE(IsMarketHoliday(D(2020, 10, 12)));  // no October Monday in 2020
  EXPECT_TRUE(IsMarketHoliday(D(2021, 8, 9)));
  EXPECT_TRUE(IsMarketHoliday(D(2010, 8, 11)));
  EXPECT_TRUE(IsMarketHoliday(D(1999, 1, 15)));
  EXPECT_TRUE(IsMarketHoliday(D(2001, 1, 8)));
  EXPECT_FALSE(IsMarketHoliday(D(2001, 1, 15)));  // third Monday
  EXPECT_TRUE(IsMarketHoliday(D(2000, 9, 15)));
  EXPECT_FALSE(IsMarketHoliday(D(2005, 9, 15)));
  EXPECT_TRUE(IsMarketHoliday(D(2024, 7, 15)));
  EXPECT_FALSE(IsMarketHoliday(D(2023, 7, 20)));
}

TEST(HolidaysStepping, EveryDayFrom1990To2050) {
  for (PackedDate d = D(1990, 1, 1); d <= D(2050, 12, 31); d = AddCalendarDays(d, 1)) {
    const PackedDate back = RollBackToTradingDay(d);
    ASSERT_LE(back, d);
    ASSERT_FALSE(IsMarketHoliday(back));
    ASSERT_EQ(back == d, !IsMarketHoliday(d));
    const PackedDate next = AddTradingDays(d, 1);
    ASSERT_GT(next, d);
    ASSERT_FALSE(IsMarketHoliday(next));
    ASSERT_EQ(RollBackToTradingDay(AddCalendarDays(next, -1)), back);  // nothing skipped
  }
}

TEST(HolidaysStepping, TradingDaysWeeksAndMonthEnds) {
  EXPECT_EQ(AddTradingDays(D(2024, 3, 1), 1), D(2024, 3, 4));
  EXPECT_EQ(AddTradingDays(D(2024, 1, 5), 1), D(2024, 1, 9));
  EXPECT_EQ(AddTradingDays(D(2024, 12, 30), 1), D(2025, 1, 6));
  EXPECT_EQ(AddTradingDays(D(2024, 3, 1), 5), D(2024, 3, 8));
  EXPECT_EQ(AddTradingDays(D(2024, 3, 2), 0), D(2024, 3, 2));
  EXPECT_EQ(AddTradingDays(D(2024, 3, 2), -3), D(2024, 3, 2));
  EXPECT_EQ(RollBackToTradingDay(D(2024, 1, 3)), D(2023, 12, 29));
  EXPECT_EQ(AddWeeks(D(2024, 2, 26), 1), D(2024, 3, 4));
  EXPECT_EQ(AddWeeks(D(2024, 1, 15), -1), D(2024, 1, 5));
  EXPECT_EQ(AddMonthsToMonthEnd(D(2023, 3, 15), -3), D(2022, 12, 30));
  EXPECT_EQ(AddMonthsToMonthEnd(D(2024, 1, 31), 1), D(2024, 2, 29));
  EXPECT_EQ(AddMonthsToMonthEnd(D(2024, 3, 4), 0), D(2024, 3, 29));
  EXPECT_EQ(AddMonthsToMonthEnd(D(2024, 5, 15), -17), D(2022, 12, 30));
  EXPECT_EQ(AddMonthsToMonthEnd(D(2024, 3, 15), 10), D(2025, 1, 31));
}

class DatesClock : public ::testing::Test {
 protected:
  void TearDown() override { ResetPlatformRecorder(); }
};

TEST_F(DatesClock, TodayAndTimeUseTheLocalOffset) {
  SetFixedClock(kMonday20240304Utc - 1, kTokyo);  // Monday 08:59:59 in Tokyo
  EXPECT_EQ(GetTodayPacked(), D(2024, 3, 4));
  EXPECT_EQ(GetNowPackedTime(), MakePackedTime(8, 59, 59));
  int y = 0, m = 0, d = 0;
  GetTodayYmd(&y, &m, &d);
  EXPECT_EQ(D(y, m, d), D(2024, 3, 4));
  SetFixedClock(kMonday20240304Utc + 3600, -5 * 3600);
  EXPECT_EQ(GetTodayPacked(), D(2024, 3, 3));
  EXPECT_EQ(GetNowPackedTime(), MakePackedTime(20, 0, 0));
}

TEST_F(DatesClock, LastTradingDateChangesAtNine) {
  SetFixedClock(kMonday20240304Utc - 1, kTokyo);
  EXPECT_EQ(GetLastTradingDate(), D(2024, 3, 1));
  SetFixedClock(kMonday20240304Utc, kTokyo);
  EXPECT_EQ(GetLastTradingDate(), D(2024, 3, 4));
  SetFixedClock(kMonday20240304Utc + 14 * 3600, -5 * 3600);  // 09:00 on Monday at UTC-5
  EXPECT_EQ(GetLastTradingDate(), D(2024, 3, 4));
  // Tuesday 2024-01-09 08:00 in Tokyo: Monday is a holiday, back to Friday.
  SetFixedClock(1704758400 - 3600, kTokyo);
  EXPECT_EQ(GetLastTradingDate(), D(2024, 1, 5));
}

TEST_F(DatesClock, HolidayOfATimeUsesItsLocalDate) {
  SetFixedClock(kMonday20240304Utc, kTokyo);
  EXPECT_FALSE(IsMarketHolidayTime(kMonday20240304Utc - 1));  // Monday 08:59:59
  EXPECT_TRUE(IsMarketHolidayTime(kMonday20240304Utc - kTokyo - 1));  // Sunday 23:59:59
  SetFixedClock(kMonday20240304Utc, 0);
  EXPECT_TRUE(IsMarketHolidayTime(kMonday20240304Utc - 1));
}

}  // namespace
