#include "analysis/indicator_params.h"

#include <array>
#include <initializer_list>

#include "records/settings_block.h"

namespace {

// The six price averages differ by period; the rest are shared by all three.
constexpr std::array<std::array<uint16_t, 6>, 3> kAveragePeriods = {{
    {5, 25, 75, 100, 150, 200},
    {9, 13, 26, 52, 104, 208},
    {6, 12, 24, 48, 60, 120},
}};

void PutPeriods(IndicatorParameterSet& set, int first, std::initializer_list<uint16_t> periods) {
  for (const uint16_t period : periods) set.slot[first++] = period;
}

// kParamUnused and the spare slots stay 0.
void PutSharedDefaults(IndicatorParameterSet& set) {
  PutPeriods(set, kParamVolumeAverage0, {6, 13});
  PutPeriods(set, kParamRsi0, {14, 21, 27});
  PutPeriods(set, kParamRci0, {5, 9, 27});
  PutPeriods(set, kParamDeviation0, {6, 26, 75});
  PutPeriods(set, kParamDeviationSecond0, {0, 0, 0});  // no second average
  PutPeriods(set, kParamStochK, {5, 3, 3});            // %K, %D, %SD
  PutPeriods(set, kParamMacdShort, {12, 26, 9});       // short, long, signal
  PutPeriods(set, kParamPlusDi, {14, 14, 14});         // +DI, -DI, ADX
  PutPeriods(set, kParamSrocEma, {13, 21});            // average, span
  PutPeriods(set, kParamPsychological0, {6, 12, 24});
  PutPeriods(set, kParamObvEma, {12});
  PutPeriods(set, kParamBollinger, {25});
  PutPeriods(set, kParamVolumeRatio, {25});
  PutPeriods(set, kParamAdvanceDecline, {25});
  PutPeriods(set, kParamPriceRange0, {3, 6, 9, 12, 15, 24});
}

void PutAveragePeriods(IndicatorParameterSet& set, int period) {
  const auto& averages = kAveragePeriods[static_cast<size_t>(period)];
  for (size_t i = 0; i < averages.size(); ++i) set.slot[kParamCloseAverage0 + i] = averages[i];
}

}  // namespace

IndicatorParameterSet GetDefaultIndicatorParameters(int period) {
  IndicatorParameterSet set{};
  PutAveragePeriods(set, period < 0 || period > 2 ? 0 : period);
  PutSharedDefaults(set);
  return set;
}

// The defaulted slots of the daily set, then the whole daily set to the
// weekly and monthly sets with their own averages; the spare slots keep what
// they held.
void SetDefaultIndicatorParameters() {
  const IndicatorParameterSet daily = GetDefaultIndicatorParameters(0);
  for (int i = 0; i < kParamSpare0; ++i) gIndicatorParams[0].slot[i] = daily.slot[i];
  for (int period = 1; period < 3; ++period) {
    gIndicatorParams[period] = gIndicatorParams[0];
    PutAveragePeriods(gIndicatorParams[period], period);
  }
}
