#include "analysis/condition_terms.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "analysis/line_monitoring.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

namespace {

constexpr std::array<const char*, kConditionOperatorCount> kOperatorTexts = {"＞",
                                                                             "＜",
                                                                             "＞＝",
                                                                             "＜＝",
                                                                             "＝",
                                                                             "に属している",
                                                                             "に属していない",
                                                                             "が存在する",
                                                                             "に到達している",
                                                                             "に到達していない",
                                                                             "が買い",
                                                                             "が売り"};

int TermCount(int16_t count) { return std::clamp<int>(count, 0, kMaxConditionTerms); }

bool IsInMarkets(uint16_t marketMask, const StockRecord& stock) {
  return (marketMask & GetMarketFlagFromId(stock.master.marketId)) != 0;
}

bool IsParabolicPosition(int code) { return IsSlotItemCode(code) && ItemIndexOf(code) == kItemParabolicPosition; }

// Operands whose term reads no value of the stock: they take no right operand.
bool IsSpecialOperand(int code) {
  return IsMonitoringItemCode(code) || IsGroupItemCode(code) || IsSignalItemCode(code) || code == kItemScenario;
}

bool KindMatches(int32_t kind, int signalCode) {
  if (signalCode == kItemAnySignal) return kind >= kSignalShortBuy && kind <= kSignalLongSell;
  return kind == kItemAnySignal - signalCode;
}

// A monitoring line of the stock that covers its last bar, of the kind the
// operand names (-200 any, -201 date, -202 upper, -203 lower): it exists,
// is reached, or is not reached.
bool TestMonitoringTerm(const StockRecord& stock, const ConditionTerm& term) {
  const int kind = term.left == kItemAnyMonitoringLine ? 0 : term.left - kItemLowerMonitoringLine + kMonitorLower;
  switch (term.op) {
    case kOpLineExists: return HasStockMonitorLine(stock.master.code, kind, -1);
    case kOpLineReached: return HasStockMonitorLine(stock.master.code, kind, 1);
    case kOpLineNotReached: return HasStockMonitorLine(stock.master.code, kind, 0);
    default: return false;
  }
}

bool TestMembershipTerm(const GroupTable& table, int stockIndex, const StockRecord& stock, const ConditionTerm& term,
                        GroupMemberIndex* members) {
  const int g = GroupOfItemCode(term.left);
  const bool member =
      members != nullptr ? members->Holds(g, stockIndex) : FindCodeInGroup(table, g, stock.master.code) >= 0;
  return term.op == kOpMemberOf ? member : !member;
}

bool TestParabolicTerm(int stockIndex, const ConditionTerm& term) {
  const double value = GetSnapshotItemValue(stockIndex, term.left);
  if (term.op == kOpBuySide) return !IsSnapshotItemUnavailable(stockIndex, term.left) && value == 0;
  return value != 0;
}

bool TestScenarioTerm(const StockRecord& stock) {
  if (gRecomputeNeeded != 0 || gGroupsDirty != 0) return false;
  return (stock.flags & kStockFlagScenarioMark) != 0;
}

bool TestLatestValueTerm(int stockIndex, const ConditionTerm& term) {
  if (IsSnapshotItemUnavailable(stockIndex, term.left)) return false;
  const double left = GetSnapshotItemValue(stockIndex, term.left);
  double right = term.constant;
  if (term.right != kItemConstant) {
    if (IsSnapshotItemUnavailable(stockIndex, term.right)) return false;
    right = GetSnapshotItemValue(stockIndex, term.right);
  }
  return CompareByOperator(left, term.op, right);
}

bool TestLatestTerm(const GroupTable& table, int stockIndex, const StockRecord& stock, const ConditionTerm& term,
                    GroupMemberIndex* members) {
  if (!IsKnownOperator(term.op)) return false;
  if (IsMonitoringItemCode(term.left)) return TestMonitoringTerm(stock, term);
  if (IsGroupItemCode(term.left)) return TestMembershipTerm(table, stockIndex, stock, term, members);
  if (IsSignalItemCode(term.left)) return IsStockInSignalKindGroup(stockIndex, term.left);
  if (IsParabolicPosition(term.left)) return TestParabolicTerm(stockIndex, term);
  if (term.left == kItemScenario) return TestScenarioTerm(stock);
  return TestLatestValueTerm(stockIndex, term);
}

// One operand's value at the bars, through the cache when there is one.
double ValueAtBars(SeriesSet set, const ChartSeriesSet& context, int stockIndex, PeriodBars bars, int code,
                   double constant, ItemValueCache* cache) {
  if (cache == nullptr || !IsSlotItemCode(code)) {
    return GetConditionItemValue(set, context, stockIndex, bars, code, constant);
  }
  if (!cache->known[code]) {
    cache->values[code] = GetConditionItemValue(set, context, stockIndex, bars, code, constant);
    cache->known[code] = true;
  }
  return cache->values[code];
}

struct TermList {
  uint16_t marketMask;
  int16_t count;
  const ConditionTerm* terms;
};

bool TestTermsAtBars(const TermList& list, SeriesSet set, int stockIndex, const ChartSeriesSet& context,
                     PeriodBars bars, ItemValueCache* cache) {
  const StockRecord* stock = StockRecordAt(stockIndex);
  if (stock == nullptr || !IsInMarkets(list.marketMask, *stock)) return false;
  for (int t = 0; t < TermCount(list.count); ++t) {
    const ConditionTerm& term = list.terms[t];
    if (!IsKnownOperator(term.op)) return false;
    if (IsItemUnavailableAtBars(set, context, stockIndex, bars, term.left) ||
        IsItemUnavailableAtBars(set, context, stockIndex, bars, term.right)) {
      return false;
    }
    const double left = ValueAtBars(set, context, stockIndex, bars, term.left, term.constant, cache);
    const bool sideTest = term.op == kOpBuySide || term.op == kOpSellSide;
    const double right = sideTest ? 0 : ValueAtBars(set, context, stockIndex, bars, term.right, term.constant, cache);
    if (!CompareByOperator(left, term.op, right)) return false;
  }
  return true;
}

bool HasMonitoringFlags(const GroupRecord& group) {
  return group.monitorDateLines != 0 || group.monitorUpperLines != 0 || group.monitorLowerLines != 0;
}

}  // namespace

bool CompareByOperator(double left, int op, double right) {
  switch (op) {
    case kOpGreater: return left > right;
    case kOpLess: return left < right;
    case kOpGreaterOrEqual: return left >= right;
    case kOpLessOrEqual: return left <= right;
    case kOpEqual: return left == right;
    case kOpBuySide: return left == 0;
    case kOpSellSide: return !(left == 0);
    default: return IsKnownOperator(op);
  }
}

void FormatConditionText(const ConditionTerm& term, char* text, size_t size) {
  if (size == 0) return;
  char left[160];
  GetConditionItemName(gIndicatorParams, term.left, left, sizeof left);
  const char* op = "";
  if (IsSignalItemCode(term.left) || term.left == kItemScenario) {
  } else if (IsParabolicPosition(term.left)) {
    op = kOperatorTexts[term.op == kOpBuySide ? kOpBuySide : kOpSellSide];
  } else if (IsKnownOperator(term.op)) {
    op = kOperatorTexts[static_cast<size_t>(term.op)];
  }
  if (IsSpecialOperand(term.left) || IsParabolicPosition(term.left)) {
    snprintf(text, size, "%s%s", left, op);
    return;
  }
  char right[160];
  if (term.right == kItemConstant) {
    char number[64];
    char unit[16];
    FormatConditionItemValue(true, term.left, term.constant, number, sizeof number, unit, sizeof unit);
    snprintf(right, sizeof right, "%s%s", number, unit);
  } else {
    GetConditionItemName(gIndicatorParams, term.right, right, sizeof right);
  }
  snprintf(text, size, "%s　%s　%s", left, op, right);
}

bool TestExtractionConditions(const GroupTable& table, int g, int stockIndex, GroupMemberIndex* members) {
  const StockRecord* stock = StockRecordAt(stockIndex);
  if (stock == nullptr || g < 0 || g >= kGroupCount) return false;
  const GroupRecord& group = table.groups[g];
  if (!IsInMarkets(group.marketMask, *stock)) return false;
  for (int t = 0; t < TermCount(group.termCount); ++t) {
    if (!TestLatestTerm(table, stockIndex, *stock, group.terms[t], members)) return false;
  }
  return true;
}

namespace {

constexpr size_t kMemberSetWords = (kMaxStocks + 63) / 64;

bool IsMemberSetIndex(int g, int stockIndex) {
  return g >= 0 && g < kGroupCount && stockIndex >= 0 && stockIndex < kMaxStocks;
}

}  // namespace

void GroupMemberIndex::Track(int g) {
  if (g < 0 || g >= kGroupCount || built_[static_cast<size_t>(g)]) return;
  built_[static_cast<size_t>(g)] = true;
  std::vector<uint64_t>& set = sets_[static_cast<size_t>(g)];
  set.assign(kMemberSetWords, 0);
  const GroupRecord& group = table_.groups[g];
  const int count = MemberCount(group);
  for (int i = 0; i < count; ++i) {
    const int stockIndex = StockIndexOf(group.members[i]);
    if (stockIndex >= 0) set[static_cast<size_t>(stockIndex) / 64] |= 1ull << (stockIndex % 64);
  }
}

bool GroupMemberIndex::Holds(int g, int stockIndex) {
  if (!IsMemberSetIndex(g, stockIndex)) return false;
  Track(g);
  return (sets_[static_cast<size_t>(g)][static_cast<size_t>(stockIndex) / 64] >> (stockIndex % 64) & 1u) != 0;
}

void GroupMemberIndex::Set(int g, int stockIndex, bool member) {
  if (!IsMemberSetIndex(g, stockIndex) || !built_[static_cast<size_t>(g)]) return;
  uint64_t& word = sets_[static_cast<size_t>(g)][static_cast<size_t>(stockIndex) / 64];
  const uint64_t bit = 1ull << (stockIndex % 64);
  word = member ? word | bit : word & ~bit;
}

int GroupMemberIndex::StockIndexOf(StockCode code) {
  const int count = gStockTable != nullptr ? std::clamp(gStockTable->count, 0, kMaxStocks) : 0;
  if (codes_.size() != static_cast<size_t>(count)) {
    codes_.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) codes_[static_cast<size_t>(i)] = gStockTable->records[i].master.code;
  }
  const auto found = std::lower_bound(codes_.begin(), codes_.end(), code, CodeLess);
  return found != codes_.end() && *found == code ? static_cast<int>(found - codes_.begin()) : -1;
}

bool TestSignalDefinitionAtBar(const SignalDefinition& definition, StockCode code, const ChartSeriesSet& context,
                               PeriodBars bars) {
  return TestDefinitionTermsAtBar(definition, FindStockIndexByCode(code), context, bars, nullptr);
}

bool TestDefinitionTermsAtBar(const SignalDefinition& definition, int stockIndex, const ChartSeriesSet& context,
                              PeriodBars bars, ItemValueCache* cache) {
  const TermList list = {definition.marketMask, definition.termCount, definition.terms};
  return TestTermsAtBars(list, SeriesSet::kSignal, stockIndex, context, bars, cache);
}

bool TestGroupConditionsAtBar(const GroupRecord& group, StockCode code, const ChartSeriesSet& context,
                              PeriodBars bars) {
  return TestGroupTermsAtBar(group, FindStockIndexByCode(code), context, bars, nullptr);
}

bool TestGroupTermsAtBar(const GroupRecord& group, int stockIndex, const ChartSeriesSet& context, PeriodBars bars,
                         ItemValueCache* cache) {
  if (group.automatic == 0 || HasMonitoringFlags(group) || HasSpecialTerms(group)) return false;
  const TermList list = {group.marketMask, group.termCount, group.terms};
  return TestTermsAtBars(list, SeriesSet::kChart, stockIndex, context, bars, cache);
}

bool HasSpecialTerms(const GroupRecord& group) {
  for (int t = 0; t < TermCount(group.termCount); ++t) {
    const int left = group.terms[t].left;
    if (left == kItemScenario || IsSignalItemCode(left) || IsMonitoringItemCode(left)) return true;
  }
  return false;
}

bool IsStockInSignalKindGroup(int stockIndex, int signalCode) {
  const StockRecord* stock = StockRecordAt(stockIndex);
  if (stock == nullptr || !IsSignalItemCode(signalCode)) return false;
  if (gGroupTable != nullptr) {
    for (int g = 0; g < kGroupCount; ++g) {
      const GroupRecord& group = gGroupTable->groups[g];
      if (group.automatic != 0 && HasGroupMemberBit(stockIndex, g) && KindMatches(group.signalKind, signalCode)) {
        return true;
      }
    }
  }
  if (gSignalSettings == nullptr) return false;
  const int count = std::clamp<int>(gSignalSettings->definitionCount, 0, kMaxSignalDefinitions);
  for (int k = 0; k < count; ++k) {
    if ((stock->signalBits >> k & 1u) != 0 && KindMatches(gSignalSettings->definitions[k].kind, signalCode)) {
      return true;
    }
  }
  return false;
}

bool IsDifferentMonth(PackedDate a, PackedDate b) {
  return PackedYear(a) != PackedYear(b) || PackedMonth(a) != PackedMonth(b);
}

bool IsNewWeek(PackedDate a, PackedDate b) {
  return PackedDateToDays(b) - PackedDateToDays(a) >= 7 || GetDayOfWeek(a) >= GetDayOfWeek(b);
}
