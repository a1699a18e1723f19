#include "analysis/group_lists.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tests/support/price_store.h"

namespace {

StockCode Code(int n) { return NumberCode(n); }

class GroupListsTest : public PriceStoreTest {
 protected:
  void SetUp() override {
    PriceStoreTest::SetUp();
    ASSERT_TRUE(AllocGroupTables());  // freed with the global state
  }
  void AddListed(int number, int marketId, const char* name = "") {
    StockRecord& stock = AddStock(Code(number));
    stock.master.marketId = static_cast<uint16_t>(marketId);
    snprintf(stock.master.name, sizeof stock.master.name, "%s", name);
  }
  static GroupRecord& Automatic(GroupTable& table, int g, uint16_t mask) {
    GroupRecord& group = table.groups[g];
    group.automatic = 1;
    group.marketMask = mask;
    group.sortItem = kSortByStockCode;
    return group;
  }
  static std::vector<StockCode> Members(const GroupTable& table, int g) {
    const GroupRecord& group = table.groups[g];
    return std::vector<StockCode>(group.members, group.members + group.memberCount);
  }
};

TEST_F(GroupListsTest, ExtractionTakesTheGroupsMarketsAndSetsOnlyLiveBits) {
  AddListed(1001, 6);
  AddListed(1301, 1);
  AddListed(7203, 2);
  AddListed(9984, 1);
  SetGroupMemberBit(0, 50);  // stale
  GroupRecord& group = Automatic(*gGroupTable, 50, 0x100);
  group.sortOrder = 1;
  RunExtractionForGroup(*gGroupTable, 50);
  EXPECT_EQ(Members(*gGroupTable, 50), (std::vector<StockCode>{Code(9984), Code(1301)}));
  EXPECT_EQ((std::vector<bool>{HasGroupMemberBit(0, 50), HasGroupMemberBit(1, 50), HasGroupMemberBit(2, 50),
                               HasGroupMemberBit(3, 50)}),
            (std::vector<bool>{false, true, false, true}));

  Automatic(*gGroupTableEdit, 50, 0x200 | 0x80);
  RunExtractionForGroup(*gGroupTableEdit, 50);
  EXPECT_EQ(Members(*gGroupTableEdit, 50), (std::vector<StockCode>{Code(1001), Code(7203)}));
  EXPECT_EQ((std::vector<bool>{HasGroupMemberBit(0, 50), HasGroupMemberBit(1, 50)}), (std::vector<bool>{false, true}))
      << "the edit copy sets no live bits";

  GroupRecord& kept = Automatic(*gGroupTable, 51, 0xFFFF);
  kept.automatic = 0;
  kept.memberCount = 1;
  kept.members[0] = Code(7777);
  RunExtractionForGroup(*gGroupTable, 51);
  EXPECT_EQ(Members(*gGroupTable, 51), std::vector<StockCode>{Code(7777)}) << "a manual group keeps its members";
}

TEST_F(GroupListsTest, ExtractionOfAFullAndAnEmptyStockTable) {
  Automatic(*gGroupTable, 0, 0xFFFF);
  gGroupTable->groups[0].memberCount = 3;
  RunExtractionForGroup(*gGroupTable, 0);
  EXPECT_EQ(gGroupTable->groups[0].memberCount, 0);
  for (int i = 0; i < kMaxStocks; ++i) AddListed(i, 1 + i % 12);
  RunExtractionForGroup(*gGroupTable, 0);
  ASSERT_EQ(gGroupTable->groups[0].memberCount, kMaxGroupMembers);
  EXPECT_EQ(gGroupTable->groups[0].members[4999], Code(4999));
  EXPECT_TRUE(HasGroupMemberBit(4999, 0));
}

TEST_F(GroupListsTest, SortIsStableForEqualKeysInBothOrders) {
  GroupRecord& group = gGroupTable->groups[60];
  const StockCode codes[4] = {Code(30), Code(10), Code(40), Code(20)};
  memcpy(group.members, codes, sizeof codes);
  group.memberCount = 4;
  group.sortItem = 3;  // equal keys for now
  for (const uint16_t order : {0, 1}) {
    group.sortOrder = order;
    SortGroupMembers(*gGroupTable, 60);
    EXPECT_EQ(Members(*gGroupTable, 60), std::vector<StockCode>(codes, codes + 4));
  }
  group.sortItem = kSortByStockCode;
  SortGroupMembers(*gGroupTable, 60);
  EXPECT_EQ(Members(*gGroupTable, 60), (std::vector<StockCode>{Code(40), Code(30), Code(20), Code(10)}));
}

TEST_F(GroupListsTest, RowTextsOfTheLiveTableTheEditCopyAndUnknownCodes) {
  AddListed(1301, 1, "極洋");
  gGroupTable->groups[15].monitorUpperLines = 1;
  gGroupTableEdit->groups[15].monitorUpperLines = 1;
  // Group 15 has no lines yet: "all reached".
  std::string rows;
  char text[80];
  for (const auto& [g, row] : {std::pair{0, 0}, {15, 0}, {15, 1}}) {
    FormatGroupListRow(g, row, text, sizeof text);
    rows += std::string(text) + "|";
  }
  for (const auto& [table, g, code, size] :
       {std::tuple{gGroupTableEdit, 15, 1301, 80}, {gGroupTable, 15, 9999, 80}, {gGroupTable, 0, 1301, 6}}) {
    FormatGroupMemberRow(*table, g, Code(code), text, size);
    rows += std::string(text) + "|";
  }
  EXPECT_EQ(rows, "1301:極洋|1301●極洋||1301:極洋|9999:???|1301:|");
}

}  // namespace
