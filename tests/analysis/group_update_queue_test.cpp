// The queue of stocks whose group memberships wait for the idle loop.
#include "analysis/group_update_queue.h"

#include <gtest/gtest.h>

#include <vector>

#include "chart/chart_editing.h"
#include "tests/support/row.h"

namespace {

TEST(GroupUpdateQueueTest, StocksComeOutOnceOldestFirstAndAFullQueueAsksForEverything) {
  ClearGroupUpdateQueue();
  for (StockCode code : {7u, 5u, 7u}) QueueGroupUpdate(code);
  ProcessPendingGroupUpdates(true);  // a dropped group list keeps them waiting
  std::vector<StockCode> taken;
  for (StockCode code = 0; TakeQueuedGroupUpdate(&code);) taken.push_back(code);
  EXPECT_EQ(taken, (std::vector<StockCode>{7, 5}));
  for (StockCode c = 1; c <= static_cast<StockCode>(kGroupUpdateQueueSize) + 1; ++c) QueueGroupUpdate(c);
  EXPECT_TRUE(TakeGroupUpdateOverflow());
  EXPECT_EQ(Row(HasQueuedGroupUpdates(), TakeGroupUpdateOverflow()), Row(false, false));
}

}  // namespace
