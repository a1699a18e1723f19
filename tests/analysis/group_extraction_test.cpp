// A small market of twenty stocks and three automatic groups: extraction of
// all groups, the bits that mirror the lists, a cancelled pass and the live
// update of one stock with the row edits the chart lists receive.
#include <string>
#include <tuple>

#include "analysis/group_lists.h"
#include "common/progress.h"
#include "tests/analysis/condition_fixture.h"

namespace {

constexpr int kManual = 20;     // hand-picked members, one of them no longer listed
constexpr int kThreshold = 30;  // close above 1000 on the prime market, by code
constexpr int kRanking = 31;    // change rate above 0, largest first; a signal kind, so extracted first
constexpr int kMembers = 10;    // members of the ranking (extracted after it) and of the manual group, by close

const ConditionItemCode kClose = MakeItemCode(kSlotDaily, kItemClose);
const ConditionItemCode kChange = MakeItemCode(kSlotDaily, kItemChangeRate);

// Close and change rate of stocks 1001..1020 (even rows prime, odd standard);
// 1020's previous close was 0.
constexpr double kMarket[20][2] = {{1200, 3}, {900, 1},    {1500, 3}, {400, -2}, {1100, 0},  {2000, 5},      {300, 1},
                                   {1001, 3}, {700, 8},    {1000, 2}, {1800, 1}, {1300, -1}, {600, 3},       {1600, 5},
                                   {500, -4}, {1400, 0.5}, {1900, 2}, {800, 2},  {1700, 1},  {200, HUGE_VAL}};

class GroupExtractionTest : public ConditionTest, public GroupListSink {
 protected:
  void SetUp() override {
    ConditionTest::SetUp();
    for (int i = 0; i < 20; ++i) {
      StockRecord& stock = Listed(1001 + i, i % 2 == 0 ? kMarketPrime : kMarketStandard);
      snprintf(stock.master.name, sizeof stock.master.name, "株%d", i + 1);
      SetValues(1001 + i, kMarket[i][0], kMarket[i][1]);
    }
    GroupRecord& manual = gGroupTable->groups[kManual];
    manual.sortItem = kSortByStockCode;
    for (const int number : {1004, 1011, 1019, 9999}) manual.members[manual.memberCount++] = NumberCode(number);
    Define(kThreshold, 0x100, 0, kSortByStockCode, 0, {Term(kClose, kOpGreater, kItemConstant, 1000)});
    Define(kRanking, 0xFFFF, kSignalShortBuy, kChange, 1, {Term(kChange, kOpGreater, kItemConstant, 0)});
    Define(kMembers, 0xFFFF, 0, kClose, 0,
           {Term(kItemGroupFirst + kRanking, kOpMemberOf, kItemConstant),
            Term(kItemGroupFirst + kManual, kOpMemberOf, kItemConstant)});
    gRecomputeNeeded = 1;
  }
  static void Define(int g, uint16_t mask, int32_t kind, int16_t sortItem, uint16_t order,
                     std::initializer_list<ConditionTerm> terms) {
    GroupRecord& group = gGroupTable->groups[g];
    SetTerms(group, mask, terms);
    std::tie(group.signalKind, group.sortItem, group.sortOrder) = std::tie(kind, sortItem, order);
  }
  static void SetValues(int number, double close, double change) {
    double* values = gStockTable->records[FindStockIndexByCode(NumberCode(number))].snapshots[kSlotDaily].values;
    values[kItemClose] = close;
    values[kItemChangeRate] = change;
  }
  static std::string List(int g) {
    std::string text;
    const GroupRecord& group = gGroupTable->groups[g];
    for (int i = 0; i < group.memberCount; ++i) text += std::string(CodeToString(group.members[i])) + " ";
    return text;
  }
  // Every stock's bit of every group is set exactly when the group lists it.
  static void ExpectBitsFollowLists() {
    for (int g = 0; g < kGroupCount; ++g) {
      for (int i = 0; i < gStockTable->count; ++i) {
        const bool listed = FindCodeInGroup(*gGroupTable, g, gStockTable->records[i].master.code) >= 0;
        ASSERT_EQ(HasGroupMemberBit(i, g), listed) << "group " << g << " stock " << i;
      }
    }
  }
  void MoveRow(int g, int oldRow, int newRow, const char* text) override {
    edits_ += std::to_string(g) + ":" + std::to_string(oldRow) + ">" + std::to_string(newRow) + " " + text + "|";
  }

  std::string edits_;
};

// Kind groups go first; a later group is read from its old list, and the
// group being rebuilt holds none of the stocks it tests.
TEST_F(GroupExtractionTest, FullExtractionGivesExactOrderedListsAndBitsForEveryGroup) {
  GroupRecord& later = gGroupTable->groups[40];
  for (const int number : {1003, 1006}) later.members[later.memberCount++] = NumberCode(number);
  Define(40, 0xFFFF, 0, kSortByStockCode, 0, {Term(kClose, kOpGreater, kItemConstant, 1850)});
  Define(5, 0xFFFF, 0, kSortByStockCode, 0, {Term(kItemGroupFirst + 40, kOpMemberOf, kItemConstant)});
  Define(6, 0x100, 0, kSortByStockCode, 0, {Term(kItemGroupFirst + 6, kOpNotMemberOf, kItemConstant)});
  Define(7, 0x100, 0, kSortByStockCode, 0, {Term(kItemGroupFirst + 7, kOpMemberOf, kItemConstant)});
  SetGroupMemberBit(0, 50);  // stale
  EXPECT_TRUE(RecomputeGroupMemberships());
  std::string lists;
  for (const int g : {kThreshold, kRanking, kMembers, kManual, 40, 5, 6, 7}) lists += List(g) + "| ";
  // Ties keep code order; an infinite change sorts last, not first.
  EXPECT_EQ(lists,
            "1001 1003 1005 1011 1017 1019 | "
            "1009 1006 1014 1001 1003 1008 1013 1010 1017 1018 1002 1007 1011 1019 1016 1020 | "
            "1019 1011 | 1004 1011 1019 9999 | 1006 1017 | 1003 1006 | "
            "1001 1003 1005 1007 1009 1011 1013 1015 1017 1019 | | ");
  ExpectBitsFollowLists();
  EXPECT_EQ(gRecomputeNeeded, 1) << "left to the indicator recomputation";
}

TEST_F(GroupExtractionTest, CancelledPassKeepsTheListsAndRebuildsBitsFromThem) {
  GroupRecord& threshold = gGroupTable->groups[kThreshold];
  threshold.members[threshold.memberCount++] = NumberCode(1002);
  SetGroupMemberBit(5, kThreshold);  // disagrees with the list
  BeginProgress(nullptr, 1, 0, 1);
  gProgressCancelled = 1;
  EXPECT_FALSE(RecomputeGroupMemberships());
  EXPECT_EQ(List(kThreshold) + "|" + List(kRanking), "1002 |");
  ExpectBitsFollowLists();
  EXPECT_EQ(gRecomputeNeeded, 1);
}

TEST_F(GroupExtractionTest, LiveUpdateInsertsMovesAndDeletesSingleRows) {
  RecomputeGroupMemberships();
  SetGroupListSink(this);
  SetValues(1002, 1500, 4);  // standard, so not in the threshold group; ranks fourth
  UpdateGroupBitsForStock(NumberCode(1002));
  SetValues(1003, 900, -1);  // leaves the threshold group and the ranking
  UpdateGroupBitsForStock(NumberCode(1003));
  SetValues(1019, 1750, HUGE_VAL);  // a manual member moves with its new values
  UpdateGroupBitsForStock(NumberCode(1019));
  EXPECT_EQ(edits_,
            "31:10>3 1002:株2\t4.00%|"
            "31:5>-1 |30:1>-1 |"
            "20:2>2 1019:株19|31:12>14 1019:株19\t---|10:0>0 1019:株19\t1,750円|30:4>4 1019:株19|");
  EXPECT_EQ(List(kRanking), "1009 1006 1014 1002 1001 1008 1013 1010 1017 1018 1007 1011 1016 1020 1019 ");
  ExpectBitsFollowLists();
  SetGroupListSink(nullptr);
}

TEST(GroupListRows, RowAfterMoveFollowsTheStockOnIt) {
  const int cases[][4] = {{-1, 2, 5, -1}, {3, 3, 0, 0},  {4, 3, -1, 3}, {3, 3, -1, -1}, {2, 3, -1, 2},
                          {2, -1, 2, 3},  {1, -1, 2, 1}, {4, 1, 4, 3},  {4, 5, 4, 5},   {2, 1, 4, 1}};
  for (const auto& c : cases) EXPECT_EQ(RowAfterMove(c[0], c[1], c[2]), c[3]) << c[0] << " " << c[1] << ">" << c[2];
}

}  // namespace
