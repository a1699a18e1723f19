#include "analysis/indicator_params.h"

#include <array>

#include "records/settings_block.h"

namespace {

// Slots 0-5 (the six moving averages of the close) differ by period; the rest
// are shared by all three periods.
constexpr std::array<std::array<uint16_t, 6>, 3> kAveragePeriods = {{
    {5, 25, 75, 100, 150, 200},
    {9, 13, 26, 52, 104, 208},
    {6, 12, 24, 48, 60, 120},
}};

constexpr std::array<uint16_t, kIndicatorParamCount - 6> kSharedDefaults = {
    6, 13,          // 6-7 volume averages
    14, 21, 27,     // 8-10 RSI
    5, 9, 27,       // 11-13 RCI
    6, 26, 75,      // 14-16 deviation rate, first average
    0, 0, 0,        // 17-19 deviation rate, second average (none)
    5, 3, 3,        // 20-22 stochastics %K, %D, %SD
    12, 26, 9,      // 23-25 MACD short, long, signal
    14, 14, 14,     // 26-28 +DI, -DI, ADX
    13, 21,         // 29-30 S-ROC
    6, 12, 24,      // 31-33 psychological line
    12,             // 34 OBV average
    25,             // 35 Bollinger
    0,              // 36
    25,             // 37 volume ratio
    25,             // 38 advance/decline ratio
    3, 6, 9, 12, 15, 24,  // 39-44 price-range positions
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 45-54
};

}  // namespace

IndicatorParameterSet GetDefaultIndicatorParameters(int period) {
  IndicatorParameterSet set{};
  const auto& averages = kAveragePeriods[static_cast<size_t>(period < 0 || period > 2 ? 0 : period)];
  for (size_t i = 0; i < averages.size(); ++i) set.slot[i] = averages[i];
  for (size_t i = 0; i < kSharedDefaults.size(); ++i) set.slot[i + 6] = kSharedDefaults[i];
  return set;
}

// Slots 0-44 of the daily set, then the whole daily set to the weekly and
// monthly sets with their own averages; slots 45-54 keep what they held.
void SetDefaultIndicatorParameters() {
  constexpr int kDefaultedSlots = 45;
  const IndicatorParameterSet daily = GetDefaultIndicatorParameters(0);
  for (int i = 0; i < kDefaultedSlots; ++i) gIndicatorParams[0].slot[i] = daily.slot[i];
  for (int period = 1; period < 3; ++period) {
    gIndicatorParams[period] = gIndicatorParams[0];
    const auto& averages = kAveragePeriods[static_cast<size_t>(period)];
    for (size_t i = 0; i < averages.size(); ++i) gIndicatorParams[period].slot[i] = averages[i];
  }
}
