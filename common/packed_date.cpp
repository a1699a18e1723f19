#include "common/packed_date.h"

#include <array>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kMarketOpenSeconds = 9 * 3600;

constexpr int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0 && (a < 0) != (b < 0)) ? 1 : 0); }
constexpr int64_t FloorMod(int64_t a, int64_t b) { return a - FloorDiv(a, b) * b; }

// Days since 1970-01-01 of a proleptic Gregorian date with month 1..12.
constexpr int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = FloorDiv(year, 400);
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
  int64_t year;
  int month;
  int day;
};

constexpr CivilDate CivilFromDays(int64_t days) {
  days += 719468;
  const int64_t era = FloorDiv(days, 146097);
  const int64_t dayOfEra = days - era * 146097;
  const int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;  // 0 = March
  const int day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
  const int month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Month 0 is December of the year before, month 13 January of the next one;
// day 0 is the last day of the month before.
constexpr int64_t DaysFromFields(int64_t year, int64_t month, int64_t day) {
  const int64_t monthIndex = month - 1;
  const int64_t normalYear = year + FloorDiv(monthIndex, 12);
  const int normalMonth = static_cast<int>(FloorMod(monthIndex, 12)) + 1;
  return DaysFromCivil(normalYear, normalMonth, 1) + day - 1;
}

static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(DaysFromCivil(2000, 3, 1) == 11017);
static_assert(CivilFromDays(-1).year == 1969 && CivilFromDays(-1).day == 31);
static_assert(DaysFromFields(2024, 1, 32) == DaysFromCivil(2024, 2, 1));

// Weekday suffixes, Sunday first.
constexpr std::array<const char*, 7> kWeekdayTexts = {"（日）", "（月）", "（火）", "（水）",
                                                      "（木）", "（金）", "（土）"};

struct LocalClock {
  int64_t days;          // local date as days since 1970-01-01
  int64_t secondsOfDay;  // local time of day
};

LocalClock ToLocalClock(int64_t unixTime) {
  const int64_t local = unixTime + PlatformGetLocalUtcOffset(unixTime);
  return {FloorDiv(local, kSecondsPerDay), FloorMod(local, kSecondsPerDay)};
}

LocalClock ReadLocalClock() { return ToLocalClock(PlatformGetUnixTime()); }

// ---- Market holidays ---------------------------------------------------------
// This is the market's rule set as the program defines it, kept as it is;
// the trading days of the past come from the reference index's calendar.

struct MonthDay {
  int month;
  int day;
};

constexpr std::array<MonthDay, 11> kFixedHolidays = {
    {{1, 1}, {1, 2}, {1, 3}, {2, 11}, {4, 29}, {5, 3}, {5, 4}, {5, 5}, {11, 3}, {11, 23}, {12, 31}}};
// Closed only when the day falls on a Monday.
constexpr std::array<MonthDay, 5> kSubstituteMondays = {{{2, 12}, {4, 30}, {5, 6}, {11, 4}, {11, 24}}};

struct DayFacts {
  int year;
  int month;
  int day;
  int weekday;
};

template <size_t N>
bool IsListed(const std::array<MonthDay, N>& list, const DayFacts& f) {
  for (const MonthDay& md : list) {
    if (md.month == f.month && md.day == f.day) return true;
  }
  return false;
}

bool IsDay(const DayFacts& f, int month, int day) { return f.month == month && f.day == day; }

// The n-th Monday of the month (n = 2: day 8..14, n = 3: day 15..21).
bool IsNthMonday(const DayFacts& f, int month, int n) {
  return f.month == month && f.weekday == 1 && f.day >= 7 * n - 6 && f.day <= 7 * n;
}

bool IsAugustHoliday(const DayFacts& f) { return IsDay(f, 8, 11) || (IsDay(f, 8, 12) && f.weekday == 1); }

// The equinox day E of the year, or E + 1 when that is a Monday, within
// the three days from firstDay.
bool IsEquinoxHoliday(const DayFacts& f, int month, int firstDay, double base) {
  if (f.month != month || f.day < firstDay || f.day > firstDay + 2) return false;
  const int k = f.year - 1980;
  const int equinox = static_cast<int>(base + 0.242194 * k - (k / 4));
  return f.day == equinox || (f.day == equinox + 1 && f.weekday == 1);
}

bool IsEveryYearHoliday(const DayFacts& f) {
  return f.weekday == 0 || f.weekday == 6 || IsListed(kFixedHolidays, f) ||
         (f.weekday == 1 && IsListed(kSubstituteMondays, f)) || IsEquinoxHoliday(f, 3, 19, 20.8431) ||
         IsEquinoxHoliday(f, 9, 22, 23.2488);
}

bool IsYearDependentHoliday(const DayFacts& f) {
  if (f.year < 2000) {
    return IsDay(f, 1, 15) || IsDay(f, 10, 10) || IsDay(f, 9, 15) || IsDay(f, 7, 20) || IsAugustHoliday(f);
  }
  if (f.year <= 2002) {
    return IsNthMonday(f, 1, 2) || IsNthMonday(f, 10, 2) || IsDay(f, 9, 15) || IsDay(f, 7, 20) || IsAugustHoliday(f);
  }
  if (f.year == 2020) {
    return IsNthMonday(f, 1, 2) || IsDay(f, 7, 23) || IsDay(f, 7, 24) || IsNthMonday(f, 9, 3) || IsDay(f, 8, 10);
  }
  if (f.year == 2021) {
    return IsNthMonday(f, 1, 2) || IsDay(f, 7, 22) || IsDay(f, 7, 23) || IsNthMonday(f, 9, 3) || IsDay(f, 8, 8) ||
           IsDay(f, 8, 9);
  }
  return IsNthMonday(f, 1, 2) || IsNthMonday(f, 10, 2) || IsNthMonday(f, 9, 3) || IsNthMonday(f, 7, 3) ||
         IsAugustHoliday(f);
}

bool IsHolidayOnDay(int64_t days) {
  const CivilDate civil = CivilFromDays(days);
  const DayFacts facts = {static_cast<int>(civil.year), civil.month, civil.day,
                          static_cast<int>(FloorMod(days + 4, 7))};
  return IsEveryYearHoliday(facts) || IsYearDependentHoliday(facts);
}

int64_t RollBackDays(int64_t days) {
  while (IsHolidayOnDay(days)) --days;
  return days;
}

// ---- Holiday counts -------------------------------------------------------------
// Before 1265 and after 2435 every year has the holidays of the year 400
// before or after it: the equinox days have left the windows the rules look
// in, the other rules go by month, day and weekday only, and 400 Gregorian
// years are whole weeks. A long span is counted from a table of the years in
// between and by whole 400-year cycles beyond them.

constexpr int kTableFirstYear = 800;  // the table's first and last 400 years repeat
constexpr int kTableEndYear = 3200;
constexpr int kCycleYears = 400;
constexpr int64_t kCycleDays = 146097;
constexpr int64_t kCountedSpan = 2 * 366;  // shorter spans are counted day by day

using HolidayTable = std::array<int64_t, kTableEndYear - kTableFirstYear + 1>;

// Holidays before 1 January of each year, from kTableFirstYear on.
HolidayTable BuildHolidayTable() {
  HolidayTable before{};
  int64_t day = DaysFromCivil(kTableFirstYear, 1, 1);
  for (size_t k = 1; k < before.size(); ++k) {
    const int64_t end = DaysFromCivil(kTableFirstYear + static_cast<int64_t>(k), 1, 1);
    int64_t count = 0;
    for (; day < end; ++day) count += IsHolidayOnDay(day) ? 1 : 0;
    before[k] = before[k - 1] + count;
  }
  return before;
}

const HolidayTable& HolidaysBeforeYears() {
  static const HolidayTable table = BuildHolidayTable();  // built once, on the first long span
  return table;
}

int64_t CountDayByDay(int64_t fromDay, int64_t toDay) {
  int64_t count = 0;
  for (int64_t day = fromDay; day <= toDay; ++day) count += IsHolidayOnDay(day) ? 1 : 0;
  return count;
}

// Holidays on the days before `day`, counted from 1 January of
// kTableFirstYear (negative for days before it).
int64_t HolidaysBefore(int64_t day) {
  const HolidayTable& table = HolidaysBeforeYears();
  const int64_t first = DaysFromCivil(kTableFirstYear, 1, 1);
  const int64_t end = DaysFromCivil(kTableEndYear, 1, 1);
  if (day < first) {
    const int64_t cycles = (first - day + kCycleDays - 1) / kCycleDays;
    return HolidaysBefore(day + cycles * kCycleDays) - cycles * table[kCycleYears];
  }
  if (day >= end) {
    const int64_t cycles = (day - end) / kCycleDays + 1;
    const size_t last = table.size() - 1;
    return HolidaysBefore(day - cycles * kCycleDays) + cycles * (table[last] - table[last - kCycleYears]);
  }
  const int64_t year = CivilFromDays(day).year;
  const int64_t yearStart = DaysFromCivil(year, 1, 1);
  return table[static_cast<size_t>(year - kTableFirstYear)] + CountDayByDay(yearStart, day - 1);
}

}  // namespace

int64_t PackedDateToDays(PackedDate date) {
  return DaysFromFields(PackedYear(date), PackedMonth(date), PackedDay(date));
}

PackedDate DaysToPackedDate(int64_t days) {
  const CivilDate civil = CivilFromDays(days);
  return MakePackedDate(static_cast<int>(civil.year), civil.month, civil.day);
}

PackedDate AddCalendarDays(PackedDate date, int days) { return DaysToPackedDate(PackedDateToDays(date) + days); }

int GetDayOfWeek(PackedDate date) {
  // Real dates in 32-bit steps: the date axis asks for every bar's weekday at
  // each paint, and 64-bit divisions are library calls on 32-bit Windows.
  const int year = PackedYear(date), month = PackedMonth(date);
  if (year >= 1 && month >= 1 && month <= 12) {
    static constexpr int kMonthShift[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int y = year - (month < 3 ? 1 : 0);
    return (y + y / 4 - y / 100 + y / 400 + kMonthShift[month - 1] + PackedDay(date)) % 7;
  }
  return static_cast<int>(FloorMod(PackedDateToDays(date) + 4, 7));  // 1970-01-01 was a Thursday
}

void GetDayOfWeekText(PackedDate date, char* out) { std::strcpy(out, kWeekdayTexts[GetDayOfWeek(date)]); }

int GetDaysInMonth(int year, int month) {
  const int64_t first = DaysFromFields(year, month, 1);
  return static_cast<int>(DaysFromFields(year, int64_t{month} + 1, 1) - first);
}

bool IsMarketHoliday(PackedDate date) { return IsHolidayOnDay(PackedDateToDays(date)); }

int64_t CountMarketHolidays(int64_t fromDay, int64_t toDay) {
  if (toDay < fromDay) return 0;
  if (toDay - fromDay < kCountedSpan) return CountDayByDay(fromDay, toDay);
  return HolidaysBefore(toDay + 1) - HolidaysBefore(fromDay);
}

PackedDate RollBackToTradingDay(PackedDate date) { return DaysToPackedDate(RollBackDays(PackedDateToDays(date))); }

PackedDate AddTradingDays(PackedDate date, int n) {
  if (n < 1) return date;
  int64_t days = PackedDateToDays(date);
  for (int counted = 0; counted < n;) {
    ++days;
    if (!IsHolidayOnDay(days)) ++counted;
  }
  return DaysToPackedDate(days);
}

PackedDate AddWeeks(PackedDate date, int n) {
  return DaysToPackedDate(RollBackDays(PackedDateToDays(date) + int64_t{7} * n));
}

// Day 0 of the month after the target month is the target month's last day.
PackedDate AddMonthsToMonthEnd(PackedDate date, int n) {
  const int64_t monthAfter = int64_t{PackedMonth(date)} + n + 1;
  return DaysToPackedDate(RollBackDays(DaysFromFields(PackedYear(date), monthAfter, 0)));
}

PackedDate GetTodayPacked() { return DaysToPackedDate(ReadLocalClock().days); }

void GetTodayYmd(int* year, int* month, int* day) {
  const PackedDate today = GetTodayPacked();
  *year = PackedYear(today);
  *month = PackedMonth(today);
  *day = PackedDay(today);
}

uint32_t GetNowPackedTime() {
  const int64_t seconds = ReadLocalClock().secondsOfDay;
  return MakePackedTime(static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                        static_cast<int>(seconds % 60));
}

bool IsMarketHolidayTime(int64_t unixTime) { return IsHolidayOnDay(ToLocalClock(unixTime).days); }

// Before the morning session opens, yesterday's prices are the newest complete ones.
PackedDate GetLastTradingDate() {
  const LocalClock now = ReadLocalClock();
  const int64_t days = now.secondsOfDay < kMarketOpenSeconds ? now.days - 1 : now.days;
  return DaysToPackedDate(RollBackDays(days));
}
