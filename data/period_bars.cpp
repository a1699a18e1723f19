#include "data/period_bars.h"

#include <algorithm>
#include <climits>

namespace {

constexpr int64_t kDaysPerWeek = 7;

// A daily bar opens a new week after a gap of a week or more, or when its
// weekday does not come after the previous bar's.
bool StartsNewWeek(PackedDate previous, PackedDate date) {
  return PackedDateToDays(date) - PackedDateToDays(previous) >= kDaysPerWeek ||
         GetDayOfWeek(date) <= GetDayOfWeek(previous);
}

bool StartsNewMonth(PackedDate previous, PackedDate date) { return (previous >> 8) != (date >> 8); }

int32_t SaturateVolume(int64_t volume) { return static_cast<int32_t>(std::clamp<int64_t>(volume, INT_MIN, INT_MAX)); }

// Walks the daily bars oldest first and folds each period into one bar dated
// by its last day.
int BuildPeriodBars(const BarSeries& daily, BarSeries* out, bool (*startsNewPeriod)(PackedDate, PackedDate)) {
  const int count = std::clamp(daily.count, 0, kMaxBars);
  out->code = daily.code;
  int made = 0;
  int64_t volume = 0;
  PackedDate previous = 0;
  for (int i = 0; i < count; ++i) {
    const PriceBar bar = daily.bars[i];
    if (made == 0 || startsNewPeriod(previous, bar.date)) {
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
    previous = bar.date;
  }
  out->count = made;
  return made;
}

}  // namespace

void BuildWeeklyBars(const BarSeries& daily, BarSeries* weekly) { BuildPeriodBars(daily, weekly, StartsNewWeek); }

int BuildMonthlyBars(const BarSeries& daily, BarSeries* monthly) {
  return BuildPeriodBars(daily, monthly, StartsNewMonth);
}
