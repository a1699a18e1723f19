#pragma once
// Dates as (year << 16) | (month << 8) | day, and the Tokyo market's holidays.
#include <cstdint>

using PackedDate = uint32_t;

constexpr PackedDate MakePackedDate(int year, int month, int day) {
  return (static_cast<uint32_t>(year) << 16) | (static_cast<uint32_t>(month) << 8) | static_cast<uint32_t>(day);
}
constexpr int PackedYear(PackedDate d) { return static_cast<int>(d >> 16); }
constexpr int PackedMonth(PackedDate d) { return static_cast<int>((d >> 8) & 0xFF); }
constexpr int PackedDay(PackedDate d) { return static_cast<int>(d & 0xFF); }
// A time of day packed the same way: (hour << 16) | (minute << 8) | second.
constexpr uint32_t MakePackedTime(int hour, int minute, int second) {
  return (static_cast<uint32_t>(hour) << 16) | (static_cast<uint32_t>(minute) << 8) | static_cast<uint32_t>(second);
}

PackedDate GetTodayPacked();
void GetTodayYmd(int* year, int* month, int* day);
uint32_t GetNowPackedTime();
int GetDayOfWeek(PackedDate date);  // 0 Sunday .. 6 Saturday
// Copies "（日）".."（土）" into out (at least 7 bytes).
void GetDayOfWeekText(PackedDate date, char* out);
int GetDaysInMonth(int year, int month);
bool IsMarketHoliday(PackedDate date);
// Market holidays (weekends included) on the civil days from `fromDay` through
// `toDay` (0 when toDay < fromDay); as fast for centuries as for a few days.
int64_t CountMarketHolidays(int64_t fromDay, int64_t toDay);
bool IsMarketHolidayTime(int64_t unixTime);
PackedDate RollBackToTradingDay(PackedDate date);
PackedDate AddTradingDays(PackedDate date, int n);
PackedDate AddWeeks(PackedDate date, int n);
PackedDate AddMonthsToMonthEnd(PackedDate date, int n);
PackedDate GetLastTradingDate();

// Civil-day arithmetic: days since 1970-01-01 of a date, normalising month 0,
// day 0 and days past the month's end the way the calendar does.
int64_t PackedDateToDays(PackedDate date);
PackedDate DaysToPackedDate(int64_t days);
PackedDate AddCalendarDays(PackedDate date, int days);
