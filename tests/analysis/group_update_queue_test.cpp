// The queue of stocks whose group memberships wait for the idle loop.
#include "analysis/group_update_queue.h"

#include <gtest/gtest.h>

#include <vector>

#include "chart/chart_editing.h"

TEST(GroupUpdateQueueTest, StocksComeOutOnceOldestFirstAndAFullQueueAsksForEverything) {
  ClearGroupUpdateQueue();
  for (StockCode code : {7u, 5u, 7u}) QueueGroupUpdate(code);
  ProcessPendingGroupUpdates(true);  // a dropped group list keeps them waiting
  std::vector<StockCode> taken;
  for (StockCode code = 0; TakeQueuedGroupUpdate(&code);) taken.push_back(code);
  EXPECT_EQ(taken, (std::vector<StockCode>{7, 5}));
  for (StockCode c = 0; c <= static_cast<StockCode>(kGroupUpdateQueueSize); ++c) QueueGroupUpdate(c);
  EXPECT_TRUE(TakeGroupUpdateOverflow());
  EXPECT_FALSE(HasQueuedGroupUpdates());
}
