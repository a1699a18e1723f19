#pragma once
// Condition terms: the comparison of two operands, the text of a term, and
// the tests that decide a stock against a group's or a signal definition's
// terms, on its latest values or at chosen bars.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/chart_series.h"
#include "analysis/condition_items.h"
#include "analysis/condition_term.h"
#include "analysis/group_store.h"
#include "analysis/signal_settings.h"
#include "common/packed_date.h"

// Operators 0-4 compare (false with a not-a-number); 10 holds for exactly 0,
// 11 for anything else; 5-9 are decided by the term tests and hold here. An
// operator outside 0..11 never holds.
bool CompareByOperator(double left, int op, double right);
// One line of a condition list, with the chart parameters of the settings.
void FormatConditionText(const ConditionTerm& term, char* text, size_t size);

// Which stocks the groups of one table hold, by stock index, so that a
// membership term costs a bit test instead of a search of a code list. A
// group's set starts from its list (when tracked, or when a term first asks
// for it); an extraction pass that rewrites the list sets the stocks it has
// tested itself, so that later tests see them as the rewritten list has them.
class GroupMemberIndex {
 public:
  explicit GroupMemberIndex(const GroupTable& table) : table_(table) {}
  // Group g's set from its list now, so that Set keeps it from here on.
  void Track(int g);
  bool IsTracked(int g) const { return g >= 0 && g < kGroupCount && built_[static_cast<size_t>(g)]; }
  bool Holds(int g, int stockIndex);
  // Changes a tracked set; an untracked one is left to be read from its list.
  void Set(int g, int stockIndex, bool member);
  // The table index of a code (-1 when not listed), from a copy of the
  // table's codes that stays in the cache.
  int StockIndexOf(StockCode code);

 private:
  const GroupTable& table_;
  std::array<std::vector<uint64_t>, kGroupCount> sets_;
  std::array<bool, kGroupCount> built_{};
  std::vector<StockCode> codes_;
};

// Group g of `table` on the stock's latest values (its snapshots and flags).
// Membership terms look into `members` when given (it must index `table`).
bool TestExtractionConditions(const GroupTable& table, int g, int stockIndex, GroupMemberIndex* members = nullptr);
// At the given bars: a definition on the signal series, a group on the chart series.
bool TestSignalDefinitionAtBar(const SignalDefinition& definition, StockCode code, const ChartSeriesSet& context,
                               PeriodBars bars);
bool TestGroupConditionsAtBar(const GroupRecord& group, StockCode code, const ChartSeriesSet& context, PeriodBars bars);

// A term on a scenario, a signal kind or a monitoring line.
bool HasSpecialTerms(const GroupRecord& group);
// For -309..-300: an automatic group of the kind holds the stock, or a
// definition of the kind fired for it.
bool IsStockInSignalKindGroup(int stockIndex, int signalCode);

// Dates of consecutive bars of the back-test: another month (of any year),
// another week.
bool IsDifferentMonth(PackedDate a, PackedDate b);
bool IsNewWeek(PackedDate a, PackedDate b);

// Values of the items of one evaluation at fixed bars, each computed once
// however many terms read it.
struct ItemValueCache {
  double values[kItemCodeCount];
  bool known[kItemCodeCount];
};
// Like TestSignalDefinitionAtBar for a stock already found; `cache` is
// cleared by the caller before the first definition of the bars.
bool TestDefinitionTermsAtBar(const SignalDefinition& definition, int stockIndex, const ChartSeriesSet& context,
                              PeriodBars bars, ItemValueCache* cache);
// The same for a group on the chart series (its cache apart from a definition's).
bool TestGroupTermsAtBar(const GroupRecord& group, int stockIndex, const ChartSeriesSet& context, PeriodBars bars,
                         ItemValueCache* cache);
