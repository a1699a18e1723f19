// The group commands' rules: the clipboard text, the code-list import, the
// member edits and their bits, and the settings dialog's page, rename, reset
// and apply on the edit copy.
#include "analysis/group_edits.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "analysis/group_lists.h"
#include "records/scenario_record.h"
#include "tests/analysis/condition_fixture.h"
#include "tests/support/row.h"
#include "window/stock_search_box.h"

namespace {

constexpr int kFirstManual = 24;  // "グループ 1"

std::vector<StockCode> Members(const GroupRecord& group) {
  return std::vector<StockCode>(group.members, group.members + group.memberCount);
}

std::vector<uint8_t> BytesOf(const GroupTable& table) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(&table);
  return std::vector<uint8_t>(bytes, bytes + sizeof table);
}

class GroupEditsTest : public ConditionTest {
 protected:
  void SetUp() override {
    ConditionTest::SetUp();
    for (int g = 0; g < kGroupCount; ++g) BuildDefaultGroups(*gGroupTable, g);
  }
  // Stocks numbered first.. in the prime market, named "名n".
  void ListStocks(int first, int count) {
    for (int n = first; n < first + count; ++n) {
      StockRecord& stock = Listed(n, kMarketPrime, 0);
      snprintf(stock.master.name, sizeof stock.master.name, "名%d", n);
    }
  }
  static void SetMembers(GroupRecord& group, std::initializer_list<int> numbers) {
    group.memberCount = 0;
    for (const int n : numbers) group.members[group.memberCount++] = NumberCode(n);
  }
  // Which of the stocks numbered first.. have bit g.
  static std::vector<int> WithBit(int g, int first, int count) {
    std::vector<int> numbers;
    for (int n = first; n < first + count; ++n) {
      if (HasGroupMemberBit(FindStockIndexByCode(NumberCode(n)), g)) numbers.push_back(n);
    }
    return numbers;
  }
  // One line per number; with `twice` each line comes again, then a junk line.
  static std::string LinesOf(const std::vector<int>& numbers, bool twice) {
    std::string text;
    for (const int n : numbers) {
      const std::string line = std::to_string(n) + " x\r\n";
      text += twice ? line + line + "??\n" : line;
    }
    return text;
  }
  static GroupTable& Edit() { return *gGroupTableEdit; }
};

TEST_F(GroupEditsTest, ClipboardLinesTakeTheMarkAndTheNameAsChosen) {
  ListStocks(1301, 2);
  SetMembers(gGroupTable->groups[kFirstManual], {1302, 1301, 9999});
  struct Case {
    bool names, mark;
    const char* text;
  } const cases[] = {
      {true, true, "・1302 名1302\n・1301 名1301\n・9999 \n"},
      {false, true, "・1302\n・1301\n・9999\n"},
      {true, false, "1302 名1302\n1301 名1301\n9999 \n"},
      {false, false, "1302\n1301\n9999\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BuildGroupClipboardText(*gGroupTable, kFirstManual, c.names, c.mark), c.text) << c.names << c.mark;
  }
}

TEST_F(GroupEditsTest, AFullGroupIsCutBelowTheClipboardLimitAfterAWholeLine) {
  ListStocks(1000, kMaxGroupMembers);
  GroupRecord& group = gGroupTable->groups[kFirstManual];
  for (int i = 0; i < kMaxGroupMembers; ++i) group.members[i] = NumberCode(1000 + i);
  group.memberCount = kMaxGroupMembers;
  const std::string text = BuildGroupClipboardText(*gGroupTable, kFirstManual, true, true);
  // "・dddd 名dddd\n" is 14 bytes: 4681 lines make 65534 bytes, one more would pass the limit.
  EXPECT_EQ(Row(text.size(), std::count(text.begin(), text.end(), '\n'), text.back()), Row(65534, 4681, '\n'));
}

TEST_F(GroupEditsTest, AnImportKeepsTheFirstFullGroupOfValidCodesOnceInTheGroupsOrder) {
  ListStocks(1000, 10);
  GroupRecord& group = gGroupTable->groups[kFirstManual];
  SetMembers(group, {1000, 1001});
  SetGroupMemberBit(FindStockIndexByCode(NumberCode(1000)), kFirstManual);
  SetGroupMemberBit(FindStockIndexByCode(NumberCode(1001)), kFirstManual);
  struct Case {
    std::string text;
    int added;
    bool limit;
    std::vector<int> first;  // the lowest members, in order
  };
  std::vector<int> descending, exactlyFull;
  for (int n = 6999; n >= 1000; --n) descending.push_back(n);
  for (int n = 1000; n < 1000 + kMaxGroupMembers; ++n) exactlyFull.push_back(n);
  const Case cases[] = {
      // Junk, a short line, a repeated code, a code further in, full-width digits and a last line without its end.
      {"1005 名\njunk\n13\n1003\n1005\n  1007\n１３０１\n1002", 3, false, {1002, 1003, 1005}},
      {"", 0, false, {}},
      // 6000 codes from the top down, each twice, with junk between: the first 5000 are 6999..2000.
      {LinesOf(descending, true), kMaxGroupMembers, true, {2000, 2001}},
      {LinesOf(exactlyFull, false), kMaxGroupMembers, false, {1000, 1001}},
  };
  for (const Case& c : cases) {
    const GroupImportResult result =
        ImportGroupCodes(*gGroupTable, kFirstManual, c.text.data(), c.text.size(), ParseStockCodeText);
    std::vector<int> first;
    for (size_t i = 0; i < std::min<size_t>(group.memberCount, c.first.size()); ++i) {
      first.push_back(atoi(CodeToString(group.members[i])));
    }
    EXPECT_EQ(Row(result.added, result.limitReached, group.memberCount), Row(c.added, c.limit, c.added));
    EXPECT_EQ(first, c.first);
    EXPECT_TRUE(std::is_sorted(group.members, group.members + group.memberCount, CodeLess));
  }
  // The bits follow the last import: the ten listed stocks are all in it.
  EXPECT_EQ(WithBit(kFirstManual, 1000, 10).size(), 10u);
  ImportGroupCodes(*gGroupTable, kFirstManual, "1003\n", 5, ParseStockCodeText);
  EXPECT_EQ(WithBit(kFirstManual, 1000, 10), std::vector<int>{1003});
}

TEST_F(GroupEditsTest, MembershipBitsFollowAddRemoveAndClear) {
  ListStocks(1000, 4);
  AddStockToGroup(NumberCode(1002), kFirstManual);
  AddStockToGroup(NumberCode(1000), kFirstManual);
  AddStockToGroup(NumberCode(1003), kFirstManual);
  EXPECT_EQ(WithBit(kFirstManual, 1000, 4), (std::vector<int>{1000, 1002, 1003}));
  EXPECT_TRUE(RemoveGroupMember(*gGroupTable, kFirstManual, 1));  // 1002, in code order
  EXPECT_FALSE(RemoveGroupMember(*gGroupTable, kFirstManual, 2));
  EXPECT_EQ(WithBit(kFirstManual, 1000, 4), (std::vector<int>{1000, 1003}));
  ClearGroupMembers(*gGroupTable, kFirstManual);
  EXPECT_EQ(Row(gGroupTable->groups[kFirstManual].memberCount, WithBit(kFirstManual, 1000, 4).size()), Row(0, 0));
}

TEST_F(GroupEditsTest, SpecialTermsSetTheirFlagsAndClearTheGroupsOwnSignalKind) {
  struct Case {
    int left;
    bool automatic;
    std::vector<int64_t> flags;  // date, upper, lower lines; short buy, long buy, short sell, long sell; kind
  } const cases[] = {
      {-300, true, Row(0, 0, 0, 1, 1, 1, 1, 0)}, {-302, true, Row(0, 0, 0, 0, 1, 0, 0, 0)},
      {-200, true, Row(1, 1, 1, 0, 0, 0, 0, 0)}, {-203, true, Row(0, 0, 1, 0, 0, 0, 0, 0)},
      {-307, true, Row(0, 0, 0, 0, 0, 0, 0, 0)}, {-400, true, Row(0, 0, 0, 0, 0, 0, 0, 0)},
      {5, true, Row(0, 0, 0, 0, 0, 0, 0, 3)},    {-300, false, Row(0, 0, 0, 0, 0, 0, 0, 3)},
  };
  for (const Case& c : cases) {
    GroupRecord group{};
    SetTerms(group, 0xFFFF, {Term(c.left, 0, kItemConstant)});
    group.automatic = c.automatic;
    group.signalKind = 3;
    group.signalLongSell = 1;
    DeriveGroupSignalFlags(group);
    EXPECT_EQ(Row(group.monitorDateLines, group.monitorUpperLines, group.monitorLowerLines, group.signalShortBuy,
                  group.signalLongBuy, group.signalShortSell, group.signalLongSell, group.signalKind),
              c.flags)
        << c.left;
  }
}

TEST_F(GroupEditsTest, APageShowsLiveMembersOfAManualGroupAndExtractsAnAutomaticOneInTheCopyOnly) {
  ListStocks(1000, 3);
  Listed(1100, kMarketStandard, 0);
  SetMembers(gGroupTable->groups[kFirstManual], {1002, 1000});
  gGroupTable->groups[kFirstManual + 1].marketMask = 0x100;
  memcpy(&Edit(), gGroupTable, sizeof Edit());
  Edit().groups[kFirstManual].memberCount = 0;
  Edit().groups[kFirstManual].sortOrder = 1;
  PrepareGroupEditPage(Edit(), *gGroupTable, kFirstManual, false);
  EXPECT_EQ(Members(Edit().groups[kFirstManual]), (std::vector<StockCode>{NumberCode(1002), NumberCode(1000)}));
  ResetEditedGroup(Edit(), kFirstManual);
  PrepareGroupEditPage(Edit(), *gGroupTable, kFirstManual, true);
  EXPECT_EQ(Edit().groups[kFirstManual].memberCount, 0);
  ASSERT_TRUE(SetEditedGroupAutomatic(Edit(), kFirstManual + 1, true));
  const std::vector<uint8_t> live = BytesOf(*gGroupTable);
  PrepareGroupEditPage(Edit(), *gGroupTable, kFirstManual + 1, false);
  EXPECT_EQ(Edit().groups[kFirstManual + 1].memberCount, 3);
  EXPECT_EQ(BytesOf(*gGroupTable), live);
  EXPECT_TRUE(WithBit(kFirstManual + 1, 1000, 3).empty());
}

TEST_F(GroupEditsTest, PageRulesGuardReferencedGroupsAndFollowTheTerms) {
  GroupRecord& referencing = Edit().groups[kFirstManual];
  memcpy(&Edit(), gGroupTable, sizeof Edit());
  SetTerms(referencing, 0xFFFF, {Term(kItemGroupFirst + 30, kOpMemberOf, 0)});
  Edit().groups[40].termCount = kMaxConditionTerms;
  SetTerms(Edit().groups[41], 0xFF7F, {Term(5, 0, kItemConstant), Term(-301, 0, kItemConstant)});
  struct Case {
    int g, selectedTerm;
    std::vector<int64_t> page;  // allowed, add, edit, signal combo, kind
  } const cases[] = {
      {30, -1, Row(0, 1, 0, 1, 0)},
      {40, 19, Row(1, 0, 1, 1, 0)},
      {41, 1, Row(1, 1, 1, 0, 0)},
      {41, 2, Row(1, 1, 0, 0, 0)},
  };
  for (const Case& c : cases) {
    const GroupEditPage page = DescribeGroupEditPage(Edit(), c.g, c.selectedTerm);
    EXPECT_EQ(
        Row(page.automaticAllowed, page.addTermEnabled, page.editTermEnabled, page.signalComboEnabled, page.signalKind),
        c.page)
        << c.g;
  }
  EXPECT_FALSE(SetEditedGroupAutomatic(Edit(), 30, true));
  EXPECT_EQ(Edit().groups[30].automatic, 0);
  const GroupEditPage markets = DescribeGroupEditPage(Edit(), 41, -1);
  EXPECT_EQ(Row(markets.marketEnabled[0], markets.marketEnabled[3], markets.marketEnabled[5], markets.marketEnabled[6],
                markets.marketChecked[0], markets.marketChecked[7]),
            Row(1, 0, 0, 0, 1, 0));
}

TEST_F(GroupEditsTest, ARenameTakesAWholeNameOfAtMost63Bytes) {
  GroupRecord group{};
  strcpy(group.name, "元");
  EXPECT_FALSE(RenameGroupRecord(group, ""));
  EXPECT_STREQ(group.name, "元");
  std::string wide;
  for (int i = 0; i < 40; ++i) wide += "株";
  EXPECT_TRUE(RenameGroupRecord(group, wide.c_str()));
  EXPECT_EQ(std::string(group.name), wide.substr(0, 62));
}

// An unchanged copy leaves the live table as it was.
TEST_F(GroupEditsTest, ApplyCopiesChangedGroupsWholeAndAResetGroupLosesItsMembers) {
  ListStocks(1000, 3);
  SetMembers(gGroupTable->groups[kFirstManual], {1001, 1002});
  SetGroupMemberBit(FindStockIndexByCode(NumberCode(1001)), kFirstManual);
  SetGroupMemberBit(FindStockIndexByCode(NumberCode(1002)), kFirstManual);
  ScenarioRecord scenarios[kScenarioSlots] = {};
  scenarios[2] = {};
  scenarios[2].valid = 1;
  scenarios[2].useExit = 1;
  scenarios[2].exitSignal = 50;
  memcpy(&Edit(), gGroupTable, sizeof Edit());
  const std::vector<uint8_t> live = BytesOf(*gGroupTable);
  const GroupApplyResult unchanged = ApplyGroupEdits(*gGroupTable, Edit(), {}, nullptr);
  EXPECT_EQ(Row(unchanged.anyChange, unchanged.namesChanged, unchanged.signalChanged), Row(0, 0, 0));
  EXPECT_EQ(BytesOf(*gGroupTable), live);
  std::array<bool, kGroupCount> reset{};
  ResetEditedGroup(Edit(), kFirstManual);
  reset[kFirstManual] = true;
  strcpy(Edit().groups[kFirstManual + 1].name, "新しい名前");
  Edit().groups[kFirstManual + 1].nameColor = 0x123456;
  GroupRecord& signals = Edit().groups[kFirstManual + 2];
  SetTerms(signals, 0x100, {Term(-300, 0, kItemConstant)});
  signals.signalKind = 2;
  Edit().groups[50].automatic = 1;
  Edit().groups[50].marketMask = 0x100;
  Edit().groups[50].signalKind = 1;
  const GroupApplyResult result = ApplyGroupEdits(*gGroupTable, Edit(), reset, scenarios);
  const GroupRecord& applied = gGroupTable->groups[kFirstManual + 2];
  EXPECT_EQ(Row(gGroupTable->groups[kFirstManual].memberCount, WithBit(kFirstManual, 1000, 3).size()), Row(0, 0));
  EXPECT_STREQ(gGroupTable->groups[kFirstManual + 1].name, "新しい名前");
  EXPECT_EQ(gGroupTable->groups[kFirstManual + 1].nameColor, 0x123456);
  EXPECT_EQ(Row(applied.signalShortBuy, applied.signalLongBuy, applied.signalShortSell, applied.signalLongSell,
                applied.signalKind),
            Row(1, 1, 1, 1, 0));
  EXPECT_EQ(WithBit(50, 1000, 3), (std::vector<int>{1000, 1001, 1002}));
  EXPECT_EQ(Row(result.copied[kFirstManual], result.copied[kFirstManual + 1], result.copied[kFirstManual + 2],
                result.copied[50], result.namesChanged, result.signalChanged, result.scenarioSignalChanged),
            Row(1, 0, 1, 1, 1, 1, 1));
}

}  // namespace
