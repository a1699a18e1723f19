// The move/copy dialog's work on the edit copy: moves that keep every
// reference on its group once the copy is live, the moves refused at the
// ends and past group 99, and the two copies.
#include "analysis/group_move_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "analysis/group_lists.h"
#include "tests/analysis/condition_fixture.h"
#include "tests/support/row.h"

namespace {

const ConditionItemCode kClose = MakeItemCode(kSlotDaily, kItemClose);
constexpr int16_t Named(int g) { return static_cast<int16_t>(kItemGroupFirst + g); }

class GroupMoveCopyTest : public ConditionTest {
 protected:
  void SetUp() override {
    ConditionTest::SetUp();
    for (int g = 0; g < kGroupCount; ++g) {
      GroupRecord& group = gGroupTable->groups[g];
      snprintf(group.name, kGroupNameSize, "G%d", g);
      group.sortItem = kSortByStockCode;
      group.marketMask = 0xFFFF;
    }
    for (int i = 0; i < 12; ++i) {
      Listed(1001 + i, kMarketPrime);
      gStockTable->records[i].snapshots[kSlotDaily].values[kItemClose] = 500.0 + 100.0 * i;
    }
    ResetGroupEditChanges(&changes_);
  }
  static void Hold(int g, std::initializer_list<int> numbers) {
    GroupRecord& group = gGroupTable->groups[g];
    for (const int n : numbers) group.members[group.memberCount++] = NumberCode(n);
  }
  static std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const GroupRecord& group : gGroupTableEdit->groups) names.push_back(group.name);
    return names;
  }
  static std::string Members(const GroupRecord& group) {
    std::string text;
    for (int i = 0; i < group.memberCount; ++i) text += std::string(CodeToString(group.members[i])) + " ";
    return text;
  }
  // The dialog's opening: the live table copied to the edit copy.
  void Open() {
    memcpy(gGroupTableEdit, gGroupTable, sizeof(GroupTable));
    ResetGroupEditChanges(&changes_);
  }
  GroupMoveResult Move(int g, int step) {
    return MoveGroupRecord(*gGroupTableEdit, gGroupScratchRecord, g, step, &changes_);
  }
  // The dialog's OK: the edit copy made live, the references following.
  void Commit() {
    memcpy(gGroupTable, gGroupTableEdit, sizeof(GroupTable));
    ApplyGroupEditChanges(changes_,
                          {scenarios_, 3, gSettings.screenPatterns, kScreenPatternCount, &gSettings.monitoredGroup});
  }
  static std::vector<uint8_t> AllBits() {
    std::vector<uint8_t> bits;
    for (int i = 0; i < gStockTable->count; ++i) {
      const uint8_t* b = gStockTable->records[i].groupBits;
      bits.insert(bits.end(), b, b + sizeof(StockRecord::groupBits));
    }
    return bits;
  }

  GroupEditChanges changes_{};
  ScenarioRecord scenarios_[3] = {};
};

// Group 30 (named by a term, a scenario, a chart view and the monitoring)
// goes up twice; each reference still names it, those of the groups it
// passed follow them, and the bits equal bits rebuilt from the lists.
TEST_F(GroupMoveCopyTest, MovedGroupsKeepEveryReferenceTheirsAndTheBitsFollow) {
  Hold(30, {1001, 1003});
  Hold(29, {1002});
  Hold(28, {1003, 1004});
  Hold(7, {1005});
  SetTerms(gGroupTable->groups[40], 0xFFFF, {{Named(30), kOpMemberOf, 0, 0, 0}, {Named(28), kOpNotMemberOf, 0, 0, 0}});
  gGroupTable->groups[41].terms[19] = {Named(29), kOpMemberOf, 0, 0, 0};  // an unused slot follows too
  scenarios_[0].entrySignal = 30, scenarios_[0].exitSignal = 28, scenarios_[0].lossCutSignal = 7;
  scenarios_[1].entrySignal = 29, scenarios_[1].exitSignal = -1, scenarios_[1].lossCutSignal = 200;
  gSettings.screenPatterns[0].views[0].groupIndex = 30;
  gSettings.screenPatterns[11].views[2].groupIndex = 29;
  gSettings.monitoredGroup = 30;
  RebuildGroupMemberBits();
  Open();
  ASSERT_EQ(Move(30, -1), GroupMoveResult::kMoved);
  ASSERT_EQ(Move(29, -1), GroupMoveResult::kMoved);
  Commit();
  const GroupTable& live = *gGroupTable;
  EXPECT_EQ(std::string(live.groups[28].name) + live.groups[29].name + live.groups[30].name, "G30G28G29");
  EXPECT_EQ(Row(live.groups[40].terms[0].left, live.groups[40].terms[1].left, live.groups[41].terms[19].left),
            Row(Named(28), Named(29), Named(30)));
  EXPECT_EQ(Row(scenarios_[0].entrySignal, scenarios_[0].exitSignal, scenarios_[0].lossCutSignal,
                scenarios_[1].entrySignal, scenarios_[1].exitSignal, scenarios_[1].lossCutSignal),
            Row(28, 29, 7, 30, -1, 200));
  EXPECT_EQ(Row(gSettings.screenPatterns[0].views[0].groupIndex, gSettings.screenPatterns[11].views[2].groupIndex,
                gSettings.monitoredGroup),
            Row(28, 30, 28));
  const std::vector<uint8_t> moved = AllBits();
  RebuildGroupMemberBits();
  EXPECT_EQ(moved, AllBits());
  EXPECT_TRUE(HasGroupMemberBit(FindStockIndexByCode(NumberCode(1001)), 28));
}

// The buttons' ends, and the step from 99 to 100 while a term names 99
// (no code names a group past it); without such a term the step is made.
TEST_F(GroupMoveCopyTest, MovesPastTheEndsOrTakingANamedGroupPastNinetyNineAreRefused) {
  const struct {
    int named;  // group a term names, -1 none
    int g;
    int step;
    GroupMoveResult result;
    int namedAfter;  // the group the term names afterwards
  } cases[] = {
      {-1, 0, -1, GroupMoveResult::kNoPlace, -1},
      {-1, 123, 1, GroupMoveResult::kNoPlace, -1},
      {-1, 5, 2, GroupMoveResult::kNoPlace, -1},
      {99, 99, 1, GroupMoveResult::kNamedGroupOutOfReach, 99},
      {99, 100, -1, GroupMoveResult::kNamedGroupOutOfReach, 99},
      {98, 99, -1, GroupMoveResult::kMoved, 99},
      {98, 99, 1, GroupMoveResult::kMoved, 98},
      {-1, 100, -1, GroupMoveResult::kMoved, -1},
      {-1, 122, 1, GroupMoveResult::kMoved, -1},
  };
  for (const auto& c : cases) {
    SetTerms(gGroupTable->groups[3], 0xFFFF, {});
    gGroupTable->groups[3].terms[0] = {};
    if (c.named >= 0) SetTerms(gGroupTable->groups[3], 0xFFFF, {{Named(c.named), kOpMemberOf, 0, 0, 0}});
    Open();
    const std::vector<std::string> before = Names();
    EXPECT_EQ(Move(c.g, c.step), c.result) << c.g << " " << c.step;
    if (c.result != GroupMoveResult::kMoved) {
      EXPECT_EQ(Names(), before);
      EXPECT_EQ(memcmp(gGroupTableEdit, gGroupTable, sizeof(GroupTable)), 0);
    } else {
      EXPECT_EQ(gGroupTableEdit->groups[c.g + c.step].name, "G" + std::to_string(c.g));
    }
    if (c.named >= 0) {
      EXPECT_EQ(gGroupTableEdit->groups[3].terms[0].left, Named(c.namedAfter)) << c.g;
    }
  }
}

// Conditions come with the source's list (extracted again when automatic)
// under the destination's name and colour; members only onto a manual
// group; a group another group's term names never becomes automatic.
TEST_F(GroupMoveCopyTest, CopiesKeepTheDestinationsNameAndColourAndReExtract) {
  SetTerms(gGroupTable->groups[10], 0x100, {{kClose, kOpGreater, kItemConstant, 0, 1400.0}});
  gGroupTable->groups[10].signalKind = kSignalShortBuy;
  Hold(11, {1001, 1002});
  gGroupTable->groups[11].sortOrder = 1;
  gGroupTable->groups[20].nameColor = 0x123456;
  Hold(20, {1009});
  SetTerms(gGroupTable->groups[50], 0xFFFF, {{Named(21), kOpMemberOf, 0, 0, 0}});
  gGroupTable->groups[50].automatic = 0;  // a manual group's terms still name 21
  RebuildGroupMemberBits();
  Open();
  EXPECT_EQ(CopyGroupConditions(*gGroupTableEdit, 10, 20, &changes_), GroupCopyResult::kCopied);
  const GroupRecord& copied = gGroupTableEdit->groups[20];
  EXPECT_EQ(Row(copied.automatic, copied.marketMask, copied.termCount, copied.signalKind, copied.nameColor),
            Row(1, 0x100, 1, kSignalShortBuy, 0x123456));
  EXPECT_EQ(std::string(copied.name) + " " + Members(copied), "G20 1011 1012 ");
  EXPECT_EQ(CopyGroupConditions(*gGroupTableEdit, 10, 21, &changes_), GroupCopyResult::kDestinationNamed);
  EXPECT_EQ(gGroupTableEdit->groups[21].automatic, 0);
  EXPECT_EQ(CopyGroupConditions(*gGroupTableEdit, 11, 21, &changes_), GroupCopyResult::kCopied);  // stays manual
  EXPECT_EQ(Members(gGroupTableEdit->groups[21]), "1001 1002 ");
  EXPECT_EQ(CopyGroupConditions(*gGroupTableEdit, 21, 21, &changes_), GroupCopyResult::kSameGroup);
  EXPECT_EQ(CopyGroupMembers(*gGroupTableEdit, 11, 20, &changes_), GroupCopyResult::kDestinationAutomatic);
  EXPECT_EQ(CopyGroupMembers(*gGroupTableEdit, 20, 22, &changes_), GroupCopyResult::kCopied);
  const GroupRecord& members = gGroupTableEdit->groups[22];
  EXPECT_EQ(Row(members.automatic, members.sortOrder, members.termCount), Row(0, 0, 0));
  EXPECT_EQ(Members(members), "1011 1012 ");
  Commit();
  const std::vector<uint8_t> copiedBits = AllBits();
  RebuildGroupMemberBits();
  EXPECT_EQ(copiedBits, AllBits());
}

}  // namespace
