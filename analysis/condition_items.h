#pragma once
// The vocabulary of screening conditions, sort keys and list columns: a
// condition item code names one value of a stock (an item of one period at
// one bar) or a special operand (the stock code, a constant, membership of a
// group, a monitoring line, a signal, a scenario).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/chart_series.h"
#include "records/indicator_parameter_set.h"
#include "records/indicator_snapshot.h"

using ConditionItemCode = int16_t;

constexpr int kItemSlotBase = kConditionItemCount;                    // code = slot * 91 + index
constexpr int kItemCodeCount = kSnapshotSlots * kConditionItemCount;  // 546

// Slots: the period and the bar of a code of 0 or more.
enum ItemSlot : int {
  kSlotDaily = 0,
  kSlotPreviousDay = 1,
  kSlotWeekly = 2,
  kSlotPreviousWeek = 3,
  kSlotMonthly = 4,
  kSlotPreviousMonth = 5,
};

// Special operands.
enum SpecialItemCode : int16_t {
  kItemStockCode = -1,
  kItemConstant = -2,
  kItemGroupLast = -100,   // group 99
  kItemGroupFirst = -199,  // group 0; group g = code + 199
  kItemAnyMonitoringLine = -200,
  kItemDateMonitoringLine = -201,
  kItemUpperMonitoringLine = -202,
  kItemLowerMonitoringLine = -203,
  kItemAnySignal = -300,    // kinds 1..4
  kItemSignalKind1 = -301,  // -301..-309: kinds 1..9
  kItemSignalKind9 = -309,
  kItemScenario = -400,
};

// Item indexes that other code refers to by meaning.
enum ItemIndex : int {
  kItemClose = 0,
  kItemTradingValue = 1,
  kItemChangeRate = 2,
  kItemVolume = 3,
  kItemAmount = 4,
  kItemLaggingLine = 42,
  kItemParabolicPosition = 62,
  kItemUnused0 = 75,
  kItemUnused1 = 76,
};

// Signal kinds of groups and signal definitions.
enum SignalKind : int32_t {
  kSignalNone = 0,
  kSignalShortBuy = 1,
  kSignalLongBuy = 2,
  kSignalShortSell = 3,
  kSignalLongSell = 4,
  kSignalExitLong = 5,
  kSignalExitShort = 6,
  kSignalLossCutLong = 7,
  kSignalLossCutShort = 8,
  kSignalMultiple = 9,
};

constexpr bool IsSlotItemCode(int code) { return code >= 0 && code < kItemCodeCount; }
constexpr int ItemSlotOf(int code) { return code / kItemSlotBase; }
constexpr int ItemIndexOf(int code) { return code % kItemSlotBase; }
constexpr ConditionItemCode MakeItemCode(int slot, int index) {
  return static_cast<ConditionItemCode>(slot * kItemSlotBase + index);
}
constexpr int PeriodOfSlot(int slot) { return slot / 2; }
constexpr bool IsPreviousBarSlot(int slot) { return slot % 2 != 0; }
constexpr bool IsGroupItemCode(int code) { return code >= kItemGroupFirst && code <= kItemGroupLast; }
constexpr int GroupOfItemCode(int code) { return code - kItemGroupFirst; }
constexpr bool IsMonitoringItemCode(int code) {
  return code >= kItemLowerMonitoringLine && code <= kItemAnyMonitoringLine;
}
constexpr bool IsSignalItemCode(int code) { return code >= kItemSignalKind9 && code <= kItemAnySignal; }
// Every code that has a meaning; anything else is unavailable everywhere.
constexpr bool IsKnownItemCode(int code) {
  return IsSlotItemCode(code) || code == kItemStockCode || code == kItemConstant || IsGroupItemCode(code) ||
         IsMonitoringItemCode(code) || IsSignalItemCode(code) || code == kItemScenario;
}

// Item codes of older files count their slots in steps of `base`:
// code / base * 91 + code % base; negative codes and base 0 are kept.
ConditionItemCode RebaseItemCode(ConditionItemCode code, uint32_t base);

// Parameter sets of the three periods, daily first.
using PeriodParameterSets = const IndicatorParameterSet (&)[kPeriodCount];

// The full name of a code, with the parameters and unit words of its period.
void GetConditionItemName(PeriodParameterSets params, int code, char* text, size_t size);
// Whether an item does not exist yet at `bar` with these parameters.
bool ItemNeedsMoreBars(int index, int bar, const IndicatorParameterSet& params);

// Which series of a chart context an item is read from.
enum class SeriesSet : int { kChart = 0, kSignal = 1 };

// The bars of the three periods an item is read at: the given bar for the
// latest slots, one less for the previous ones.
struct PeriodBars {
  int daily;
  int weekly;
  int monthly;
};

double GetConditionItemValue(SeriesSet set, const ChartSeriesSet& context, int stockIndex, PeriodBars bars, int code,
                             double constant);
bool IsItemUnavailableAtBars(SeriesSet set, const ChartSeriesSet& context, int stockIndex, PeriodBars bars, int code);
// The latest value of a code as kept in the stock's snapshots.
double GetSnapshotItemValue(int stockIndex, int code);
bool IsSnapshotItemUnavailable(int stockIndex, int code);

// The number and its unit, apart; both empty for an item without a form.
// The plain form is that of condition texts, the other that of lists.
void FormatConditionItemValue(bool plainForm, int code, double value, char* text, size_t textSize, char* unit,
                              size_t unitSize);
// The constants a comparison with an item can hold: those its plain form
// shows back as they were typed.
struct ConstantRange {
  double lowest;
  double highest;
};
ConstantRange GetConstantRange(int code);

// Every item offered as a left-hand operand, in display order.
std::vector<ConditionItemCode> GetConditionItemList();
// The items that may stand on the right of a comparison with `left`.
std::vector<ConditionItemCode> GetComparableItemList(int left, bool includeSelf);
