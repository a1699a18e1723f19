#include "analysis/group_lists.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "analysis/condition_items.h"
#include "analysis/condition_terms.h"
#include "data/stock_table.h"

namespace {

std::array<double, kMaxGroupMembers> gSortKeys;
std::array<int, kMaxGroupMembers> gSortOrder;

bool IsGroupIndex(int g) { return g >= 0 && g < kGroupCount; }

int StockCount() { return gStockTable != nullptr ? std::clamp(gStockTable->count, 0, kMaxStocks) : 0; }

bool HasMonitoringFlags(const GroupRecord& group) {
  return group.monitorDateLines != 0 || group.monitorUpperLines != 0 || group.monitorLowerLines != 0;
}

}  // namespace

void RunExtractionForGroup(GroupTable& table, int g) {
  if (!IsGroupIndex(g) || gStockTable == nullptr) return;
  GroupRecord& group = table.groups[g];
  if (group.automatic == 0) return;
  const bool live = &table == gGroupTable;
  int count = 0;
  for (int i = 0; i < StockCount(); ++i) {
    const bool passes = TestExtractionConditions(table, g, i);
    if (passes) group.members[count++] = gStockTable->records[i].master.code;
    if (!live) continue;
    if (passes) {
      SetGroupMemberBit(i, g);
    } else {
      ClearGroupMemberBit(i, g);
    }
  }
  group.memberCount = count;
  SortGroupMembers(table, g);
}

void RecomputeGroupMemberships() {
  if (gGroupTable == nullptr || gStockTable == nullptr) return;
  for (int i = 0; i < StockCount(); ++i) memset(gStockTable->records[i].groupBits, 0, sizeof(StockRecord::groupBits));
  for (const bool withKind : {true, false}) {
    for (int g = 0; g < kGroupCount; ++g) {
      if ((gGroupTable->groups[g].signalKind != 0) == withKind) RunExtractionForGroup(*gGroupTable, g);
    }
  }
}

// A stable sort: members with equal keys keep their order, as the
// selection of the earliest entry on a tie would keep them.
void SortGroupMembers(GroupTable& table, int g) {
  if (!IsGroupIndex(g) || gSortWorkArray == nullptr) return;
  GroupRecord& group = table.groups[g];
  const int count = std::clamp(group.memberCount, 0, kMaxGroupMembers);
  for (int i = 0; i < count; ++i) {
    gSortWorkArray[i] = static_cast<int32_t>(group.members[i]);
    gSortKeys[static_cast<size_t>(i)] = GroupSortKey(table, g, group.members[i]);
    gSortOrder[static_cast<size_t>(i)] = i;
  }
  const bool descending = group.sortOrder != 0;
  std::stable_sort(gSortOrder.begin(), gSortOrder.begin() + count, [descending](int a, int b) {
    return SortKeyComesBefore(gSortKeys[static_cast<size_t>(a)], gSortKeys[static_cast<size_t>(b)], descending);
  });
  for (int out = 0; out < count; ++out) {
    group.members[out] = static_cast<StockCode>(gSortWorkArray[gSortOrder[static_cast<size_t>(out)]]);
  }
}

double GroupSortKey(const GroupTable& table, int g, StockCode code) {
  if (!IsGroupIndex(g)) return 0.0;
  const int16_t item = table.groups[g].sortItem;
  if (item == kSortByStockCode) return static_cast<double>(static_cast<int32_t>(code));
  const int stockIndex = FindStockIndexByCode(code);
  return stockIndex >= 0 ? GetSnapshotItemValue(stockIndex, item) : 0.0;
}

bool SortKeyComesBefore(double a, double b, bool descending) {
  if (!std::isfinite(a) || !std::isfinite(b)) return std::isfinite(a) && !std::isfinite(b);
  return descending ? a > b : a < b;
}

// Trend lines are not kept yet, so a monitoring group sees no lines, which
// shows as "all reached".
void FormatGroupListRow(int g, int stockIndex, char* text, size_t size) {
  if (size == 0) return;
  text[0] = 0;
  if (gGroupTable == nullptr || !IsGroupIndex(g) || stockIndex < 0 || stockIndex >= StockCount()) return;
  const char* code = CodeToString(gStockTable->records[stockIndex].master.code);
  const char* format = HasMonitoringFlags(gGroupTable->groups[g]) ? "%s●%s" : "%s:%s";
  snprintf(text, size, format, code, GetStockNameByIndex(stockIndex));
}

// The sort value column of live-table rows comes with the item formatter.
void FormatGroupMemberRow(const GroupTable& table, int g, StockCode code, char* text, size_t size) {
  if (size == 0) return;
  const int stockIndex = FindStockIndexByCode(code);
  if (stockIndex < 0) {
    snprintf(text, size, "%s:???", CodeToString(code));
  } else if (&table == gGroupTable) {
    FormatGroupListRow(g, stockIndex, text, size);
  } else {
    snprintf(text, size, "%s:%s", CodeToString(code), GetStockNameByIndex(stockIndex));
  }
}
