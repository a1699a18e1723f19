// Extraction of every group over a full market: 5000 stocks with random
// snapshots and 124 automatic groups of 20 terms each (value comparisons,
// item against item, and membership of another group), each sorted by an
// item. Goals: the whole pass under 0.5 s; one 5000-member group sorted by an
// item under 50 ms. The live update of one stock is timed beside them.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "analysis/condition_items.h"
#include "analysis/group_lists.h"
#include "analysis/group_store.h"
#include "analysis/indicator_params.h"
#include "bench/group_bench_stocks.h"
#include "data/stock_table.h"
#include "records/settings_block.h"

namespace {

constexpr int kHeldTerms = 18;  // terms that almost every stock passes, so that all are evaluated

ConditionTerm Term(int left, int op, int right, double constant = 0) {
  return {static_cast<int16_t>(left), static_cast<int16_t>(op), static_cast<int16_t>(right), 0, constant};
}

// Group g: its markets, 18 terms that hold, a membership term on another
// group every other group, and a last term that keeps about half.
void DefineGroup(GroupRecord& group, int g) {
  group = GroupRecord{};
  snprintf(group.name, sizeof group.name, "抽出%d", g);
  group.automatic = 1;
  group.marketMask = g % 3 == 0 ? 0xFFFF : 0x0FF0;
  group.signalKind = g < 12 ? 1 + g % 9 : 0;
  group.sortItem = static_cast<int16_t>(g % kItemCodeCount);
  group.sortOrder = static_cast<uint16_t>(g % 2);
  group.termCount = kMaxConditionTerms;
  for (int t = 0; t < kHeldTerms; ++t) {
    const int left = MakeItemCode(t % kSnapshotSlots, 2 + (g + t) % 20);
    group.terms[t] =
        t % 3 == 0 ? Term(left, kOpLess, kItemConstant, 1000) : Term(left, kOpGreaterOrEqual, kItemConstant, 0.5);
  }
  const int other = (g + 61) % kGroupCount;
  group.terms[kHeldTerms] = g % 2 == 0 ? Term(kItemGroupFirst + other, kOpNotMemberOf, kItemConstant)
                                       : Term(MakeItemCode(1, 3), kOpGreater, kItemConstant, 1);
  group.terms[kHeldTerms + 1] = Term(MakeItemCode(0, 2 + g % 7), kOpGreater, MakeItemCode(1, 2 + g % 7));
}

void Prepare() {
  static bool ready = false;
  if (ready) return;
  ready = true;
  InitStockCodeGlobals();
  SetDefaultIndicatorParameters();
  if (!AllocateStockTable() || !AllocGroupTables()) std::abort();
  FillGroupBenchStocks();
  for (int g = 0; g < kGroupCount; ++g) DefineGroup(gGroupTable->groups[g], g);
  gRecomputeNeeded = 0;
  gGroupsDirty = 0;
}

void BM_ExtractAllGroups(benchmark::State& state) {
  Prepare();
  for (auto _ : state) RecomputeGroupMemberships();
  int64_t members = 0;
  for (const GroupRecord& group : gGroupTable->groups) members += group.memberCount;
  state.counters["members"] = static_cast<double>(members);
}
BENCHMARK(BM_ExtractAllGroups)->Unit(benchmark::kMillisecond);

// All 5000 stocks in one group, sorted by a daily item from a shuffled order.
void BM_SortFullGroupByItem(benchmark::State& state) {
  Prepare();
  GroupRecord& group = gGroupTableEdit->groups[0];
  group = GroupRecord{};
  group.sortItem = MakeItemCode(kSlotDaily, kItemChangeRate);
  group.sortOrder = 1;
  group.memberCount = kMaxGroupMembers;
  std::mt19937 random(3);
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < kMaxGroupMembers; ++i) group.members[i] = BenchCode(i);
    std::shuffle(group.members, group.members + kMaxGroupMembers, random);
    state.ResumeTiming();
    SortGroupMembers(*gGroupTableEdit, 0);
  }
}
BENCHMARK(BM_SortFullGroupByItem)->Unit(benchmark::kMillisecond);

// One stock's latest values change and its memberships follow (no lists
// shown): every group tests it, and the groups that hold it move it.
void BM_UpdateOneStockLive(benchmark::State& state) {
  Prepare();
  RecomputeGroupMemberships();
  StockRecord& stock = gStockTable->records[kMaxStocks / 2];
  double& change = stock.snapshots[kSlotDaily].values[kItemChangeRate];
  const double saved = change;
  int n = 0;
  for (auto _ : state) {
    change = (n++ % 2 == 0) ? saved + 50 : saved;
    UpdateGroupBitsForStock(stock.master.code);
  }
  change = saved;
}
BENCHMARK(BM_UpdateOneStockLive)->Unit(benchmark::kMicrosecond);

}  // namespace
