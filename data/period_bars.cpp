#include "data/period_bars.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int64_t kDaysPerWeek = 7;

// Day numbers of dates that run through the months in order: the first of
// each month is counted once rather than every bar's date from scratch.
// The day number is linear in the day field, so any day value counts alike.
class DayNumbers {
 public:
  int64_t Of(PackedDate date) {
    const PackedDate month = date & ~PackedDate{0xFF};
    if (month != month_ || !known_) {
      month_ = month;
      known_ = true;
      dayZero_ = PackedDateToDays(month);
    }
    return dayZero_ + PackedDay(date);
  }

 private:
  PackedDate month_ = 0;
  bool known_ = false;
  int64_t dayZero_ = 0;  // the day before the month's first
};

int Weekday(int64_t days) { return static_cast<int>(((days + 4) % 7 + 7) % 7); }  // day 0 was a Thursday

int32_t SaturateVolume(int64_t volume) { return static_cast<int32_t>(std::clamp<int64_t>(volume, INT_MIN, INT_MAX)); }

// Walks the daily bars oldest first and folds each period into one bar dated
// by its last day. `startsNewPeriod` sees every date in order and tells
// whether it opens a new period after the one before.
template <typename StartsNewPeriod>
int BuildPeriodBars(const BarSeries& daily, BarSeries* out, StartsNewPeriod startsNewPeriod) {
  const int count = std::clamp(daily.count, 0, kMaxBars);
  out->code = daily.code;
  int made = 0;
  int64_t volume = 0;
  for (int i = 0; i < count; ++i) {
    const PriceBar bar = daily.bars[i];
    const bool opens = startsNewPeriod(bar.date);
    if (made == 0 || opens) {
      out->bars[made++] = bar;
      volume = bar.volume;
    } else {
      PriceBar& period = out->bars[made - 1];
      period.date = bar.date;
      period.high = std::max(period.high, bar.high);
      period.low = std::min(period.low, bar.low);
      period.close = bar.close;
      volume += bar.volume;
      period.volume = SaturateVolume(volume);
    }
  }
  out->count = made;
  return made;
}

}  // namespace

// A daily bar opens a new week after a gap of a week or more, or when its
// weekday does not come after the previous bar's.
void BuildWeeklyBars(const BarSeries& daily, BarSeries* weekly) {
  DayNumbers days;
  int64_t previous = 0;
  BuildPeriodBars(daily, weekly, [&days, &previous](PackedDate date) {
    const int64_t day = days.Of(date);
    const bool opens = day - previous >= kDaysPerWeek || Weekday(day) <= Weekday(previous);
    previous = day;
    return opens;
  });
}

int BuildMonthlyBars(const BarSeries& daily, BarSeries* monthly) {
  PackedDate previous = 0;
  return BuildPeriodBars(daily, monthly, [&previous](PackedDate date) {
    const bool opens = (previous >> 8) != (date >> 8);
    previous = date;
    return opens;
  });
}
