#include "analysis/group_move_copy.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "analysis/condition_items.h"
#include "analysis/condition_terms.h"
#include "analysis/group_lists.h"
#include "data/stock_table.h"

namespace {

constexpr int kNameableGroups = kItemGroupLast - kItemGroupFirst + 1;  // 0..99

bool IsGroupIndex(int g) { return g >= 0 && g < kGroupCount; }

int TermCount(const GroupRecord& group) { return std::clamp<int>(group.termCount, 0, kMaxConditionTerms); }

// Every slot, used or not: a term count that grows later must not find a
// stale slot naming the other group.
void SwapMembershipTerms(GroupTable& table, int a, int b) {
  const int16_t codeA = static_cast<int16_t>(kItemGroupFirst + a);
  const int16_t codeB = static_cast<int16_t>(kItemGroupFirst + b);
  for (GroupRecord& group : table.groups) {
    for (ConditionTerm& term : group.terms) {
      if (term.left == codeA) {
        term.left = codeB;
      } else if (term.left == codeB) {
        term.left = codeA;
      }
    }
  }
}

// Bit g of a stock's 128 membership bits (word g / 32, little-endian).
bool BitOf(const uint8_t* bits, int g) { return (bits[g / 8] >> (g % 8) & 1) != 0; }
void PutBit(uint8_t* bits, int g, bool on) {
  const uint8_t mask = static_cast<uint8_t>(1u << (g % 8));
  bits[g / 8] = static_cast<uint8_t>(on ? bits[g / 8] | mask : bits[g / 8] & ~mask);
}

bool IsIdentityOrder(const GroupEditChanges& changes) {
  for (int g = 0; g < kGroupCount; ++g) {
    if (changes.origin[g] != g) return false;
  }
  return true;
}

void PermuteMemberBits(const GroupEditChanges& changes) {
  for (int i = 0; i < StockTableCount(); ++i) {
    uint8_t* bits = gStockTable->records[i].groupBits;
    uint8_t moved[sizeof(StockRecord::groupBits)];
    memcpy(moved, bits, sizeof moved);
    for (int g = 0; g < kGroupCount; ++g) PutBit(moved, g, BitOf(bits, changes.origin[g]));
    memcpy(bits, moved, sizeof moved);
  }
}

void SetMemberBitsFromLists(const GroupEditChanges& changes) {
  GroupMemberIndex lookup(*gGroupTable);
  for (int g = 0; g < kGroupCount; ++g) {
    if (!changes.listChanged[g]) continue;
    for (int i = 0; i < StockTableCount(); ++i) ClearGroupMemberBit(i, g);
    const GroupRecord& group = gGroupTable->groups[g];
    for (int k = 0; k < MemberCount(group); ++k) SetGroupMemberBit(lookup.StockIndexOf(group.members[k]), g);
  }
}

template <typename Index>
void FollowGroup(const std::array<int16_t, kGroupCount>& placeOf, Index* index) {
  if (IsGroupIndex(*index)) *index = static_cast<Index>(placeOf[static_cast<size_t>(*index)]);
}

}  // namespace

void ResetGroupEditChanges(GroupEditChanges* changes) {
  for (int g = 0; g < kGroupCount; ++g) changes->origin[g] = static_cast<int16_t>(g);
  changes->listChanged.fill(false);
}

bool IsGroupNamedByTerms(const GroupTable& table, int g, int except) {
  if (g < 0 || g >= kNameableGroups) return false;
  const int code = kItemGroupFirst + g;
  for (int other = 0; other < kGroupCount; ++other) {
    if (other == except) continue;
    const GroupRecord& group = table.groups[other];
    for (int t = 0; t < TermCount(group); ++t) {
      if (group.terms[t].left == code) return true;
    }
  }
  return false;
}

GroupMoveResult MoveGroupRecord(GroupTable& table, GroupRecord* scratch, int g, int step, GroupEditChanges* changes) {
  const int other = g + step;
  if ((step != -1 && step != 1) || !IsGroupIndex(g) || !IsGroupIndex(other)) return GroupMoveResult::kNoPlace;
  const int upper = std::min(g, other);
  // Crossing from 99 to 100 takes the upper group where no code reaches.
  if (upper == kNameableGroups - 1 && IsGroupNamedByTerms(table, upper, -1)) {
    return GroupMoveResult::kNamedGroupOutOfReach;
  }
  memcpy(scratch, &table.groups[g], sizeof *scratch);
  memcpy(&table.groups[g], &table.groups[other], sizeof *scratch);
  memcpy(&table.groups[other], scratch, sizeof *scratch);
  if (upper + 1 < kNameableGroups) SwapMembershipTerms(table, upper, upper + 1);
  std::swap(changes->origin[g], changes->origin[other]);
  std::swap(changes->listChanged[g], changes->listChanged[other]);
  return GroupMoveResult::kMoved;
}

GroupCopyResult CopyGroupConditions(GroupTable& table, int source, int destination, GroupEditChanges* changes) {
  if (!IsGroupIndex(source) || !IsGroupIndex(destination) || source == destination) return GroupCopyResult::kSameGroup;
  GroupRecord& target = table.groups[destination];
  if (table.groups[source].automatic != 0 && target.automatic == 0 &&
      IsGroupNamedByTerms(table, destination, destination)) {
    return GroupCopyResult::kDestinationNamed;
  }
  char name[kGroupNameSize];
  memcpy(name, target.name, sizeof name);
  const int32_t color = target.nameColor;
  memcpy(&target, &table.groups[source], sizeof target);
  memcpy(target.name, name, sizeof name);
  target.nameColor = color;
  RunExtractionForGroup(table, destination);
  changes->listChanged[destination] = true;
  return GroupCopyResult::kCopied;
}

GroupCopyResult CopyGroupMembers(GroupTable& table, int source, int destination, GroupEditChanges* changes) {
  if (!IsGroupIndex(source) || !IsGroupIndex(destination) || source == destination) return GroupCopyResult::kSameGroup;
  GroupRecord& target = table.groups[destination];
  if (target.automatic != 0) return GroupCopyResult::kDestinationAutomatic;
  const GroupRecord& from = table.groups[source];
  const int count = MemberCount(from);
  target.memberCount = count;
  memcpy(target.members, from.members, sizeof(StockCode) * static_cast<size_t>(count));
  target.sortItem = from.sortItem;
  target.sortOrder = from.sortOrder;
  changes->listChanged[destination] = true;
  return GroupCopyResult::kCopied;
}

void FormatGroupExtractionSummary(const GroupRecord& group, char* text, size_t size) {
  if (group.automatic != 0) {
    snprintf(text, size, "自動抽出：オン\r抽出条件数：%d\r抽出銘柄数：%d", TermCount(group), MemberCount(group));
  } else {
    snprintf(text, size, "自動抽出：オフ\r登録銘柄数：%d", MemberCount(group));
  }
}

void ApplyGroupEditChanges(const GroupEditChanges& changes, const GroupIndexReferences& references) {
  if (gGroupTable == nullptr) return;
  if (!IsIdentityOrder(changes)) {
    std::array<int16_t, kGroupCount> placeOf;
    for (int g = 0; g < kGroupCount; ++g) placeOf[static_cast<size_t>(changes.origin[g])] = static_cast<int16_t>(g);
    for (int s = 0; s < references.scenarioCount; ++s) {
      ScenarioRecord& scenario = references.scenarios[s];
      FollowGroup(placeOf, &scenario.entrySignal);
      FollowGroup(placeOf, &scenario.exitSignal);
      FollowGroup(placeOf, &scenario.lossCutSignal);
    }
    for (int p = 0; p < references.patternCount; ++p) {
      for (ChartView& view : references.patterns[p].views) FollowGroup(placeOf, &view.groupIndex);
    }
    if (references.monitoredGroup != nullptr) FollowGroup(placeOf, references.monitoredGroup);
    if (gStockTable != nullptr) PermuteMemberBits(changes);
  }
  if (gStockTable != nullptr) SetMemberBitsFromLists(changes);
}
