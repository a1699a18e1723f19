// Ranking groups order their members by the latest value of their sort item.
#include <string>

#include "analysis/group_lists.h"
#include "tests/analysis/condition_fixture.h"

namespace {

class GroupSortTest : public ConditionTest {};

TEST_F(GroupSortTest, MembersFollowTheirLatestValuesWithNonFiniteKeysLast) {
  const std::vector<double> changes = {1.5, std::nan(""), -2, HUGE_VAL, 7, 1.5};
  GroupRecord& group = gGroupTable->groups[9];
  group.sortItem = kItemChangeRate;
  group.sortOrder = 1;
  for (size_t i = 0; i < changes.size(); ++i) {
    Listed(2001 + static_cast<int>(i), kMarketPrime).snapshots[0].values[kItemChangeRate] = changes[i];
    group.members[group.memberCount++] = NumberCode(2001 + static_cast<int>(i));
  }
  auto order = [&group] {
    std::string text;
    for (int i = 0; i < group.memberCount; ++i) text += std::string(CodeToString(group.members[i])) + " ";
    return text;
  };
  SortGroupMembers(*gGroupTable, 9);
  EXPECT_EQ(order(), "2005 2001 2006 2003 2002 2004 ");
  group.sortOrder = 0;
  SortGroupMembers(*gGroupTable, 9);
  EXPECT_EQ(order(), "2003 2001 2006 2005 2002 2004 ");
  Listed(2007, kMarketPrime).snapshots[0].values[kItemChangeRate] = 1.5;
  EXPECT_EQ(InsertCodeSorted(*gGroupTable, 9, NumberCode(2007)), 3) << "after the members of an equal key";
  EXPECT_EQ(InsertCodeSorted(*gGroupTable, 9, NumberCode(3000)), 1) << "an unlisted code has key 0";
}

}  // namespace
