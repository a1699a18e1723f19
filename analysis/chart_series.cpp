#include "analysis/chart_series.h"

#include "common/file_io.h"

namespace {

template <typename T>
bool AllocInto(T** slot, bool ok) {
  if (!ok) return false;
  *slot = static_cast<T*>(AllocBlock(sizeof(T)));
  return *slot != nullptr;
}

template <typename T>
void FreeFrom(T** slot) {
  FreeBlock(*slot);
  *slot = nullptr;
}

template <typename T, int N>
bool AllocAll(T* (&slots)[N], bool ok) {
  for (T*& slot : slots) ok = AllocInto(&slot, ok);
  return ok;
}

template <typename T, int N>
void FreeAll(T* (&slots)[N]) {
  for (T*& slot : slots) FreeFrom(&slot);
}

}  // namespace

bool AllocChartContextBuffers(ChartSeriesSet* context) {
  bool ok = true;
  for (PeriodSeriesBlock& block : context->periods) {
    ok = AllocInto(&block.rawBars, ok);
    ok = AllocInto(&block.bars, ok);
    ok = AllocAll(block.chartInt, ok);
    ok = AllocAll(block.chartReal, ok);
    ok = AllocAll(block.signalInt, ok);
    ok = AllocAll(block.signalReal, ok);
  }
  ok = AllocAll(context->fileMarks, ok);
  ok = AllocAll(context->tableMarks, ok);
  ok = AllocAll(context->fileValues, ok);
  ok = AllocAll(context->tableValues, ok);
  if (!ok) FreeChartContextBuffers(context);
  return ok;
}

void FreeChartContextBuffers(ChartSeriesSet* context) {
  for (PeriodSeriesBlock& block : context->periods) {
    FreeFrom(&block.rawBars);
    FreeFrom(&block.bars);
    FreeAll(block.chartInt);
    FreeAll(block.chartReal);
    FreeAll(block.signalInt);
    FreeAll(block.signalReal);
  }
  FreeAll(context->fileMarks);
  FreeAll(context->tableMarks);
  FreeAll(context->fileValues);
  FreeAll(context->tableValues);
}
