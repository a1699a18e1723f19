#include "analysis/series_buffers.h"

#include <cstdlib>
#include <cstring>

#include "analysis/bar_columns.h"
#include "analysis/kernel_math.h"

KernelScratchSet gMainScratch{};

bool AllocateKernelScratchSet(KernelScratchSet* scratch) {
  *scratch = KernelScratchSet{};
  bool complete = true;
  for (IntSeries*& series : scratch->ints) {
    series = static_cast<IntSeries*>(std::calloc(1, sizeof(IntSeries)));
    complete = complete && series != nullptr;
  }
  for (RealSeries*& series : scratch->reals) {
    series = static_cast<RealSeries*>(std::calloc(1, sizeof(RealSeries)));
    complete = complete && series != nullptr;
  }
  scratch->columns = static_cast<BarColumns*>(std::malloc(sizeof(BarColumns)));
  complete = complete && scratch->columns != nullptr;
  if (!complete) FreeKernelScratchSet(scratch);
  return complete;
}

void FreeKernelScratchSet(KernelScratchSet* scratch) {
  for (IntSeries*& series : scratch->ints) {
    std::free(series);
    series = nullptr;
  }
  for (RealSeries*& series : scratch->reals) {
    std::free(series);
    series = nullptr;
  }
  std::free(scratch->columns);
  scratch->columns = nullptr;
}

// All 55 slots; the word after the set is left alone, as it may be the next
// period's slot 0.
void SetDefaultParameterSet(IndicatorParameterSet* set) { *set = GetDefaultIndicatorParameters(0); }

void AddIntSeries(const IntSeries& a, const IntSeries& b, IntSeries* out) {
  const int count = ClampKernelCount(a.count);
  for (int i = 0; i < count; ++i) out->values[i] = ClampKernelSum(int64_t{a.values[i]} + b.values[i]);
  out->count = count;
}

// The difference in double is exact; so the loop vectorises.
void SubtractIntSeries(const IntSeries& a, const IntSeries& b, IntSeries* out) {
  const int count = ClampKernelCount(a.count);
  for (int i = 0; i < count; ++i) {
    out->values[i] = TruncateIntoRange(static_cast<double>(a.values[i]) - b.values[i], INT32_MIN, INT32_MAX);
  }
  out->count = count;
}

void CopyIntSeries(IntSeries* dst, const IntSeries& src) {
  if (dst == &src) return;
  const int count = ClampKernelCount(src.count);
  dst->count = count;
  std::memcpy(dst->values, src.values, sizeof(int32_t) * static_cast<size_t>(count));
}

void CopyRealSeries(RealSeries* dst, const RealSeries& src) {
  if (dst == &src) return;
  const int count = ClampKernelCount(src.count);
  dst->count = count;
  dst->spare = src.spare;
  std::memcpy(dst->values, src.values, sizeof(double) * static_cast<size_t>(count));
}
