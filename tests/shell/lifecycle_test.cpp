#include "shell/lifecycle.h"

#include <gtest/gtest.h>

#include "common/app_globals.h"
#include "tests/support/global_state.h"

namespace {

// The main loop sleeps as long as RunIdleSteps allows: an idle program must
// not be woken for nothing.
TEST(LifecycleTest, IdleWorkWaitsForTheFlushDelayThenForInput) {
  ScopedGlobalState globals;
  gLastInputTick = 0xFFFFFF00u;  // input just before the tick count wraps
  EXPECT_EQ(RunIdleSteps(0xFFFFFF00u + 100u), kIdleFlushDelayMs - 100u);
  EXPECT_EQ(RunIdleSteps(0xFFFFFF00u + kIdleFlushDelayMs), kIdleWaitForever);  // nothing to write
}

}  // namespace
