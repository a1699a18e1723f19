#pragma once
// The 55 parameters (mostly periods) of the indicators of one bar period, as
// stored in the settings and in signal-settings files.
#include <cstdint>

constexpr int kIndicatorParamCount = 55;

// What each slot holds; a group of lines takes consecutive slots from its first one.
enum ParamSlot : int {
  kParamCloseAverage0 = 0,      // 0-5: the six price averages
  kParamVolumeAverage0 = 6,     // 6-7
  kParamRsi0 = 8,               // 8-10
  kParamRci0 = 11,              // 11-13
  kParamDeviation0 = 14,        // 14-16: the average each deviation line is measured from
  kParamDeviationSecond0 = 17,  // 17-19: a second average whose deviation is added; below 4 none
  kParamStochK = 20,
  kParamStochD = 21,
  kParamStochSD = 22,
  kParamMacdShort = 23,
  kParamMacdLong = 24,
  kParamMacdSignal = 25,
  kParamPlusDi = 26,
  kParamMinusDi = 27,
  kParamAdx = 28,
  kParamSrocEma = 29,         // the smoothing average of S-ROC
  kParamSrocSpan = 30,        // the bars its change is taken over
  kParamPsychological0 = 31,  // 31-33
  kParamObvEma = 34,
  kParamBollinger = 35,
  kParamUnused = 36,  // no indicator reads it
  kParamVolumeRatio = 37,
  kParamAdvanceDecline = 38,
  kParamPriceRange0 = 39,  // 39-44: the six price-range positions
  kParamSpare0 = 45,       // 45-54: no indicator reads them; the defaults leave them alone
};

struct IndicatorParameterSet {
  uint16_t slot[kIndicatorParamCount];
};
static_assert(sizeof(IndicatorParameterSet) == 110, "IndicatorParameterSet is 110 bytes");
