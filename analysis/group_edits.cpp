#include "analysis/group_edits.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

#include "analysis/condition_items.h"
#include "analysis/condition_terms.h"
#include "analysis/group_lists.h"
#include "common/sjis_text.h"
#include "data/stock_table.h"
#include "records/scenario_record.h"

const std::array<GroupMarketBox, kGroupMarketBoxCount> kGroupMarketBoxes = {{
    {0x100, "プライム", false},
    {0x200, "スタンダード", false},
    {0x400, "グロース", false},
    {0x40, "名証", true},
    {0x800, "東証", false},
    {0x20, "ヘラクレス", true},
    {0x4, "マザーズ", true},
    {0x80, "指標", false},
}};

const std::array<const char*, kGroupSignalKindCount> kGroupSignalKindNames = {
    "なし", "短期買", "中長期買", "短期売", "中長期売", "買玉の返済", "売玉の返済", "買玉の損切", "売玉の損切",
};

namespace {

constexpr char kListMark[] = "・";
constexpr int kImportCodeBytes = 4;  // the code at the start of each line

bool IsGroupIndex(int g) { return g >= 0 && g < kGroupCount; }

int TermCountOf(const GroupRecord& group) { return std::clamp<int>(group.termCount, 0, kMaxConditionTerms); }

// The live table's bits mirror its lists; an edit copy has none.
void SetMemberBits(const GroupTable& table, int g, bool member) {
  if (&table != gGroupTable) return;
  const GroupRecord& group = table.groups[g];
  for (int i = 0; i < MemberCount(group); ++i) {
    const int stockIndex = FindStockIndexByCode(group.members[i]);
    if (member) {
      SetGroupMemberBit(stockIndex, g);
    } else {
      ClearGroupMemberBit(stockIndex, g);
    }
  }
}

// The codes of the text in file order, each once, at most a full group's worth.
GroupImportResult ReadImportedCodes(const char* text, size_t size, StockCodeParser parse,
                                    std::vector<StockCode>* codes) {
  GroupImportResult result{0, false};
  std::unordered_set<StockCode> seen;
  size_t line = 0;
  while (line < size) {
    StockCode code = 0;
    if (size - line >= kImportCodeBytes && parse(text + line, kImportCodeBytes, &code) && seen.count(code) == 0) {
      if (static_cast<int>(codes->size()) >= kMaxGroupMembers) {
        result.limitReached = true;
        break;
      }
      seen.insert(code);
      codes->push_back(code);
    }
    const void* feed = memchr(text + line, '\n', size - line);
    if (feed == nullptr) break;
    line = static_cast<size_t>(static_cast<const char*>(feed) - text) + 1;
  }
  result.added = static_cast<int>(codes->size());
  return result;
}

bool SameTerms(const GroupRecord& a, const GroupRecord& b) {
  return memcmp(a.terms, b.terms, sizeof(ConditionTerm) * static_cast<size_t>(TermCountOf(a))) == 0;
}

// The fields whose change makes the group's members change.
bool SameConditions(const GroupRecord& a, const GroupRecord& b) {
  return a.automatic == b.automatic && a.marketMask == b.marketMask && a.termCount == b.termCount &&
         a.sortItem == b.sortItem && a.sortOrder == b.sortOrder && a.signalKind == b.signalKind && SameTerms(a, b);
}

// The groups whose signals the scenarios in use enter, exit or cut losses on.
std::array<bool, kGroupCount> ScenarioSignalGroups(const ScenarioRecord* scenarios) {
  std::array<bool, kGroupCount> used{};
  if (scenarios == nullptr) return used;
  const auto mark = [&used](int32_t g) {
    if (IsGroupIndex(g)) used[static_cast<size_t>(g)] = true;
  };
  for (int s = 0; s < kScenarioSlots; ++s) {
    const ScenarioRecord& scenario = scenarios[s];
    if (scenario.valid == 0) continue;
    mark(scenario.entrySignal);
    if (scenario.useExit != 0) mark(scenario.exitSignal);
    if (scenario.useLossCut != 0) mark(scenario.lossCutSignal);
  }
  return used;
}

bool IsSignalChange(const GroupRecord& edited, const GroupRecord& live) {
  if (edited.signalKind != live.signalKind) return true;
  return edited.automatic != live.automatic && edited.signalKind != 0;
}

// The copied groups extracted as a full pass would, those of a signal kind
// first, so that a membership term reads groups already rebuilt.
void ExtractCopiedGroups(GroupTable& live, const std::array<bool, kGroupCount>& copied) {
  for (const bool withKind : {true, false}) {
    for (int g = 0; g < kGroupCount; ++g) {
      const GroupRecord& group = live.groups[g];
      if (!copied[static_cast<size_t>(g)] || (group.signalKind != 0) != withKind) continue;
      if (group.automatic != 0) {
        RunExtractionForGroup(live, g);
      } else {
        SetMemberBits(live, g, true);
      }
    }
  }
}

}  // namespace

std::string BuildGroupClipboardText(const GroupTable& table, int g, bool withNames, bool withMark) {
  std::string text;
  if (!IsGroupIndex(g)) return text;
  const GroupRecord& group = table.groups[g];
  for (int i = 0; i < MemberCount(group); ++i) {
    std::string line = withMark ? kListMark : "";
    line += CodeToString(group.members[i]);
    if (withNames) {
      line += ' ';
      line += GetStockNameByCode(group.members[i]);
    }
    line += '\n';
    if (text.size() + line.size() >= kGroupClipboardLimit) break;
    text += line;
  }
  return text;
}

GroupImportResult ImportGroupCodes(GroupTable& table, int g, const char* text, size_t size, StockCodeParser parse) {
  if (!IsGroupIndex(g) || parse == nullptr) return {0, false};
  std::vector<StockCode> codes;
  const GroupImportResult result =
      ReadImportedCodes(text != nullptr ? text : "", text != nullptr ? size : 0, parse, &codes);
  ClearGroupMembers(table, g);
  GroupRecord& group = table.groups[g];
  std::copy(codes.begin(), codes.end(), group.members);
  group.memberCount = static_cast<int32_t>(codes.size());
  // The halving insertion of later additions needs the group's order.
  SortGroupMembers(table, g);
  SetMemberBits(table, g, true);
  return result;
}

bool RemoveGroupMember(GroupTable& table, int g, int row) {
  if (!IsGroupIndex(g)) return false;
  GroupRecord& group = table.groups[g];
  if (row < 0 || row >= MemberCount(group)) return false;
  if (&table == gGroupTable) ClearGroupMemberBit(FindStockIndexByCode(group.members[row]), g);
  RemoveMemberAt(group, row);
  return true;
}

void ClearGroupMembers(GroupTable& table, int g) {
  if (!IsGroupIndex(g)) return;
  SetMemberBits(table, g, false);
  table.groups[g].memberCount = 0;
}

bool SetGroupSortOrderOf(GroupTable& table, int g, int order) {
  if (!IsGroupIndex(g) || (order != 0 && order != 1) || table.groups[g].sortOrder == order) return false;
  table.groups[g].sortOrder = static_cast<uint16_t>(order);
  SortGroupMembers(table, g);
  return true;
}

bool SetGroupSortItemOf(GroupTable& table, int g, int item) {
  if (!IsGroupIndex(g) || (item != kSortByStockCode && !IsSlotItemCode(item)) || table.groups[g].sortItem == item) {
    return false;
  }
  table.groups[g].sortItem = static_cast<int16_t>(item);
  SortGroupMembers(table, g);
  return true;
}

bool IsGroupNamedByMembershipTerm(const GroupTable& table, int g) {
  if (!IsGroupIndex(g)) return false;
  for (int h = 0; h < kGroupCount; ++h) {
    if (h == g) continue;
    const GroupRecord& group = table.groups[h];
    for (int t = 0; t < TermCountOf(group); ++t) {
      if (IsGroupItemCode(group.terms[t].left) && GroupOfItemCode(group.terms[t].left) == g) return true;
    }
  }
  return false;
}

void PrepareGroupEditPage(GroupTable& edit, const GroupTable& live, int g, bool reset) {
  if (!IsGroupIndex(g)) return;
  GroupRecord& group = edit.groups[g];
  if (group.automatic != 0) {
    RunExtractionForGroup(edit, g);
    return;
  }
  if (reset) return;
  const GroupRecord& shown = live.groups[g];
  const int count = MemberCount(shown);
  std::copy(shown.members, shown.members + count, group.members);
  group.memberCount = count;
  SortGroupMembers(edit, g);
}

GroupEditPage DescribeGroupEditPage(const GroupTable& edit, int g, int selectedTerm) {
  GroupEditPage page{};
  if (!IsGroupIndex(g)) return page;
  const GroupRecord& group = edit.groups[g];
  page.automatic = group.automatic != 0;
  page.automaticAllowed = !IsGroupNamedByMembershipTerm(edit, g);
  page.conditionsShown = page.automatic;
  for (int k = 0; k < kGroupMarketBoxCount; ++k) {
    const GroupMarketBox& box = kGroupMarketBoxes[static_cast<size_t>(k)];
    page.marketChecked[static_cast<size_t>(k)] = (group.marketMask & box.mask) != 0;
    page.marketEnabled[static_cast<size_t>(k)] = !box.alwaysDisabled;
  }
  const int terms = TermCountOf(group);
  page.addTermEnabled = terms < kMaxConditionTerms;
  page.editTermEnabled = selectedTerm >= 0 && selectedTerm < terms;
  page.signalComboEnabled = !HasSpecialTerms(group);
  page.signalKind = group.signalKind >= 0 && group.signalKind < kGroupSignalKindCount ? group.signalKind : -1;
  page.memberCount = MemberCount(group);
  return page;
}

bool SetEditedGroupAutomatic(GroupTable& edit, int g, bool automatic) {
  if (!IsGroupIndex(g)) return false;
  if (automatic && edit.groups[g].automatic == 0 && IsGroupNamedByMembershipTerm(edit, g)) return false;
  edit.groups[g].automatic = automatic ? 1 : 0;
  return true;
}

bool StoreGroupTerm(GroupRecord& group, int t, const ConditionTerm& term) {
  const int count = TermCountOf(group);
  if (t < 0 || t > count || t >= kMaxConditionTerms) return false;
  group.terms[t] = term;
  if (t == count) group.termCount = static_cast<int16_t>(count + 1);
  return true;
}

void RemoveGroupTerm(GroupRecord& group, int t) {
  const int count = TermCountOf(group);
  if (t < 0 || t >= count) return;
  std::copy(group.terms + t + 1, group.terms + count, group.terms + t);
  group.termCount = static_cast<int16_t>(count - 1);
}

bool RenameGroupRecord(GroupRecord& group, const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  CopySjisText(group.name, name, kGroupNameSize);
  return true;
}

void ResetEditedGroup(GroupTable& edit, int g) {
  if (!IsGroupIndex(g)) return;
  BuildDefaultGroups(edit, g);
  edit.groups[g].memberCount = 0;
}

void DeriveGroupSignalFlags(GroupRecord& group) {
  group.monitorDateLines = group.monitorUpperLines = group.monitorLowerLines = 0;
  group.signalShortBuy = group.signalLongBuy = group.signalShortSell = group.signalLongSell = 0;
  if (group.automatic == 0) return;
  for (int t = 0; t < TermCountOf(group); ++t) {
    const int left = group.terms[t].left;
    const bool anyLine = left == kItemAnyMonitoringLine, anySignal = left == kItemAnySignal;
    if (anyLine || left == kItemDateMonitoringLine) group.monitorDateLines = 1;
    if (anyLine || left == kItemUpperMonitoringLine) group.monitorUpperLines = 1;
    if (anyLine || left == kItemLowerMonitoringLine) group.monitorLowerLines = 1;
    if (anySignal || left == kItemSignalKind1) group.signalShortBuy = 1;
    if (anySignal || left == kItemSignalKind1 - 1) group.signalLongBuy = 1;
    if (anySignal || left == kItemSignalKind1 - 2) group.signalShortSell = 1;
    if (anySignal || left == kItemSignalKind1 - 3) group.signalLongSell = 1;
  }
  if (HasSpecialTerms(group)) group.signalKind = kSignalNone;
}

GroupApplyResult ApplyGroupEdits(GroupTable& live, GroupTable& edit, const std::array<bool, kGroupCount>& reset,
                                 const ScenarioRecord* scenarios) {
  GroupApplyResult result{};
  const std::array<bool, kGroupCount> scenarioGroups = ScenarioSignalGroups(scenarios);
  for (int g = 0; g < kGroupCount; ++g) {
    GroupRecord& edited = edit.groups[g];
    GroupRecord& shown = live.groups[g];
    DeriveGroupSignalFlags(edited);
    if (strncmp(edited.name, shown.name, kGroupNameSize) != 0) {
      memcpy(shown.name, edited.name, kGroupNameSize);
      result.namesChanged = result.anyChange = true;
    }
    // A reset group differs even where its fields match: its members went.
    if (!reset[static_cast<size_t>(g)] && SameConditions(edited, shown)) {
      if (shown.nameColor != edited.nameColor) result.namesChanged = result.anyChange = true;
      shown.nameColor = edited.nameColor;
      continue;
    }
    if (IsSignalChange(edited, shown) || (edited.automatic != shown.automatic && shown.signalKind != 0)) {
      result.signalChanged = true;
      if (scenarioGroups[static_cast<size_t>(g)]) result.scenarioSignalChanged = true;
    }
    SetMemberBits(live, g, false);
    memcpy(&shown, &edited, sizeof shown);
    result.copied[static_cast<size_t>(g)] = result.anyChange = true;
  }
  ExtractCopiedGroups(live, result.copied);
  return result;
}

void ExtractGroupsWithSpecialTerms(GroupTable& live) {
  for (int g = 0; g < kGroupCount; ++g) {
    if (live.groups[g].automatic != 0 && HasSpecialTerms(live.groups[g])) RunExtractionForGroup(live, g);
  }
}
