#pragma once
// Arithmetic shared by the kernels: periods and counts brought into range and
// doubles turned into 32-bit values without undefined conversions.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "records/price_series.h"

// Kernels that split a pass in two (a chain of cheap steps, then a loop the
// compiler vectorises) do so a block of bars at a time, on the stack.
constexpr int kKernelBlockBars = 256;

// A period below 1 counts as 1; one above every series length acts as any
// longer one, so it is capped there.
constexpr int ClampKernelPeriod(int n) { return std::clamp(n, 1, kMaxBars + 1); }

// A series count outside 0..kMaxBars is read as the nearest bound.
constexpr int ClampKernelCount(int32_t count) { return std::clamp<int32_t>(count, 0, kMaxBars); }

// Saturates a 64-bit result to 32 bits.
constexpr int32_t ClampKernelSum(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

// Toward zero; out-of-range values saturate and NaN gives 0.
inline int32_t TruncateKernelValue(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// Truncated into lo..hi: for a value that is not NaN the same as clamping the
// truncated value, but free of branches, so that loops of it vectorise.
inline int32_t TruncateIntoRange(double value, int32_t lo, int32_t hi) {
  return static_cast<int32_t>(std::clamp(value, static_cast<double>(lo), static_cast<double>(hi)));
}

// The closes of bars 0..count-1 side by side, two to a 64-bit store: the
// compiler's own vectorised gather of them is slower than plain copies.
inline void GatherCloses(const PriceBar* bars, int count, int32_t* closes) {
  int k = 0;
  for (; k + 2 <= count; k += 2) {
    const uint64_t pair =
        static_cast<uint32_t>(bars[k].close) | static_cast<uint64_t>(static_cast<uint32_t>(bars[k + 1].close)) << 32;
    std::memcpy(closes + k, &pair, sizeof pair);
  }
  if (k < count) closes[k] = bars[k].close;
}

// Two doubles, four 32-bit or eight 16-bit integers in one SSE2 register (a vector
// extension of GCC and Clang), for loops that keep several registers of
// sums across an inner loop, which the compiler would leave in memory.
using DoubleLanes = double __attribute__((vector_size(16)));
using Int32Lanes = int32_t __attribute__((vector_size(16)));
using Int16Lanes = int16_t __attribute__((vector_size(16)));

template <typename Lanes, typename Value>
Lanes LoadLanes(const Value* values) {
  Lanes lanes;
  std::memcpy(&lanes, values, sizeof lanes);
  return lanes;
}

// Truncated after adding 0.5.
inline int32_t RoundKernelValue(double value) { return TruncateKernelValue(value + 0.5); }
