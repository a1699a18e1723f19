#include "analysis/indicator_snapshot.h"

#include "analysis/condition_items.h"
#include "analysis/item_values.h"
#include "data/stock_table.h"

namespace {

double* SnapshotElement(int stockIndex, int item) {
  if (gStockTable == nullptr || stockIndex < 0 || stockIndex >= kMaxStocks || !IsSlotItemCode(item)) return nullptr;
  return &gStockTable->records[stockIndex].snapshots[ItemSlotOf(item)].values[ItemIndexOf(item)];
}

}  // namespace

void FillIndicatorSnapshot(StockCode code, int slot, int bar, const ChartSeriesSet& context, int period) {
  const int stockIndex = FindStockIndexByCode(code);
  if (stockIndex < 0 || slot < 0 || slot >= kSnapshotSlots || period < 0 || period >= kPeriodCount) return;
  StockRecord& stock = gStockTable->records[stockIndex];
  IndicatorSnapshot& snapshot = stock.snapshots[slot];
  snapshot = {};
  if (bar < 0) return;
  const ItemSource source = ChartItemSource(context.periods[period], stock.master.tradingUnit);
  for (int index = 0; index < kConditionItemCount; ++index) {
    snapshot.values[index] = ComputeItemValue(source, index, bar);
  }
}

void SetSnapshotChangeRate(int stockIndex, int bar, int item, const RealSeries& series) {
  double* element = SnapshotElement(stockIndex, item);
  if (element == nullptr || bar < 1 || bar >= series.count) return;
  *element = (series.values[bar] - series.values[bar - 1]) * 100 / series.values[bar - 1];
}

void SetSnapshotScaledValue(int stockIndex, int bar, int item, const IntSeries& series, double divisor) {
  double* element = SnapshotElement(stockIndex, item);
  if (element != nullptr && bar >= 0 && bar < series.count) *element = series.values[bar] / divisor;
}

void SetSnapshotRealValue(int stockIndex, int bar, int item, const RealSeries& series) {
  double* element = SnapshotElement(stockIndex, item);
  if (element != nullptr && bar >= 0 && bar < series.count) *element = series.values[bar];
}
