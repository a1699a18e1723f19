#pragma once
// Indicator series buffers: integer series in hundredths (10000 = 100 %) or
// price units, real series as doubles; value i belongs to bar i.
#include <cstddef>
#include <cstdint>

#include "analysis/indicator_params.h"
#include "records/price_series.h"

struct IntSeries {
  int32_t count;
  int32_t values[kMaxBars];
};
static_assert(sizeof(IntSeries) == 20484, "IntSeries is 20484 bytes");

struct RealSeries {
  int32_t count;
  int32_t spare;
  double values[kMaxBars];
};
static_assert(sizeof(RealSeries) == 40968, "RealSeries is 40968 bytes");

constexpr int kIntSlotCount = 39;
constexpr int kRealSlotCount = 19;

// Integer series slots of a period.
enum IntSlot : int {
  kIntVolumeAverage0 = 0,  // 0-1
  kIntRsi0 = 2,            // 2-4
  kIntRci0 = 5,            // 5-7
  kIntDeviation0 = 8,      // 8-10
  kIntStochK = 11,
  kIntStochD = 12,
  kIntStochSD = 13,
  kIntMacdShortEma = 14,
  kIntMacdLongEma = 15,
  kIntMacdLine = 16,
  kIntMacdSignal = 17,
  kIntMacdDifference = 18,
  kIntPlusDm = 19,
  kIntMinusDm = 20,
  kIntTrueRange = 21,
  kIntPlusDiPerBar = 22,
  kIntMinusDiPerBar = 23,
  kIntPlusDi = 24,
  kIntMinusDi = 25,
  kIntDx = 26,
  kIntAdx = 27,
  kIntSrocEma = 28,
  kIntSroc = 29,
  kIntPsychological0 = 30,  // 30-32
  kIntObv = 33,
  kIntObvEma = 34,
  kIntTypicalPrice = 35,
  kIntParabolicPosition = 36,
  kIntVolumeRatio = 37,
  kIntAdvanceDecline = 38,
};

// Real series slots of a period.
enum RealSlot : int {
  kRealCloseAverage0 = 0,  // 0-5
  kRealIchimokuConversion = 6,
  kRealIchimokuBase = 7,
  kRealIchimokuSpanA = 8,
  kRealIchimokuSpanB = 9,
  kRealIchimokuLagging = 10,
  kRealBollingerCentre = 11,  // then +1σ, -1σ, +2σ, -2σ, +3σ, -3σ
  kRealParabolicSar = 18,
};

// One bar period of a chart context: its parameters, its bars and every series.
struct PeriodSeriesBlock {
  IndicatorParameterSet params;
  uint16_t spare;
  BarSeries* rawBars;
  BarSeries* bars;  // split-adjusted; every kernel reads this one
  IntSeries* chartInt[kIntSlotCount];
  RealSeries* chartReal[kRealSlotCount];
  IntSeries* signalInt[kIntSlotCount];
  RealSeries* signalReal[kRealSlotCount];
};

struct BarColumns;

// The intermediate series of one thread's kernels, and the columns that the
// lines of one period share while a chart context is computed.
struct KernelScratchSet {
  IntSeries* ints[4];
  RealSeries* reals[2];
  BarColumns* columns;
};

// Allocates or frees a thread's scratch set; false when memory is short.
bool AllocateKernelScratchSet(KernelScratchSet* scratch);
void FreeKernelScratchSet(KernelScratchSet* scratch);
extern KernelScratchSet gMainScratch;  // the main thread's

void SetDefaultParameterSet(IndicatorParameterSet* set);
void AddIntSeries(const IntSeries& a, const IntSeries& b, IntSeries* out);
void SubtractIntSeries(const IntSeries& a, const IntSeries& b, IntSeries* out);
void CopyIntSeries(IntSeries* dst, const IntSeries& src);
void CopyRealSeries(RealSeries* dst, const RealSeries& src);
