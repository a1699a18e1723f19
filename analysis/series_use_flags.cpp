#include "analysis/series_use_flags.h"

#include <algorithm>

#include "analysis/condition_items.h"

namespace {

// Items firstItem..lastItem need entries firstEntry, firstEntry + 1, ...
// (perLine) or all of them firstEntry (one series group).
struct ItemRange {
  int firstItem;
  int lastItem;
  int firstEntry;
  bool perLine;
};

constexpr ItemRange kItemRanges[] = {
    {9, 14, kUsePriceAverage0, true},
    {15, 16, kUseVolumeAverage0, true},
    {17, 19, kUseRsi0, true},
    {20, 22, kUseRci0, true},
    {23, 25, kUseDeviation0, true},
    {26, 28, kUseStochastics, false},
    {29, 30, kUseMacd, false},
    {31, 33, kUseDmi, false},
    {34, 34, kUseSroc, false},
    {35, 37, kUsePsychological0, true},
    {38, 39, kUseObv, false},
    {50, 57, kUseBollinger, false},
    {61, 62, kUseParabolic, false},
    {67, 67, kUseVolumeRatio, false},
    {68, 68, kUseAdvanceDecline, false},
    {69, 74, kUsePriceAverage0, true},
    {80, 85, kUsePriceRange0, true},
    // Range positions of deviation rate 1: without its series they would be
    // read from whatever stock filled the slot before.
    {86, 90, kUseDeviation0, false},
};

}  // namespace

int SeriesUseEntryOfItem(int index) {
  for (const ItemRange& range : kItemRanges) {
    if (index < range.firstItem || index > range.lastItem) continue;
    return range.perLine ? range.firstEntry + index - range.firstItem : range.firstEntry;
  }
  return -1;
}

void MarkSeriesUsedByItem(SeriesUseFlags (&flags)[3], int code, int32_t* periods) {
  if (!IsSlotItemCode(code)) return;
  const int period = PeriodOfSlot(ItemSlotOf(code));
  if (periods != nullptr) periods[period] = 1;
  const int entry = SeriesUseEntryOfItem(ItemIndexOf(code));
  if (entry >= 0) flags[period].flags[entry] = 1;
}

void ComputeSignalFileSeriesUse(SignalSettingsFile& file) {
  for (SeriesUseFlags& flags : file.useFlags) flags = SeriesUseFlags{};
  const int definitions = std::clamp(file.definitionCount, 0, kMaxSignalDefinitions);
  for (int d = 0; d < definitions; ++d) {
    const SignalDefinition& definition = file.definitions[d];
    const int terms = std::clamp(static_cast<int>(definition.termCount), 0, kMaxConditionTerms);
    for (int t = 0; t < terms; ++t) {
      const ConditionTerm& term = definition.terms[t];
      MarkSeriesUsedByItem(file.useFlags, term.left);
      if (term.left >= 0) MarkSeriesUsedByItem(file.useFlags, term.right);
    }
  }
}
