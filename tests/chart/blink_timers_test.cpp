#include "window/blink_timers.h"

#include <gtest/gtest.h>

namespace {

TEST(BlinkTimersTest, PhasesAlternateBetweenTheTwoTimers) {
  int32_t phase = 1, active = 0;
  const BlinkTimerChange start = StartBlinkTimers(&phase, &active);
  EXPECT_EQ(phase, 0);
  EXPECT_EQ(start.setTimer, kBlinkTimerShort);
  EXPECT_EQ(start.intervalMs, 250);

  BlinkTimerChange change = StepBlinkTimers(kBlinkTimerShort, &phase, &active);
  EXPECT_EQ(phase, 1);
  EXPECT_EQ(change.killTimer, kBlinkTimerShort);
  EXPECT_EQ(change.setTimer, kBlinkTimerLong);
  EXPECT_EQ(change.intervalMs, 1000);

  change = StepBlinkTimers(kBlinkTimerLong, &phase, &active);
  EXPECT_EQ(phase, 0);
  EXPECT_EQ(change.killTimer, kBlinkTimerLong);
  EXPECT_EQ(change.setTimer, kBlinkTimerShort);
  EXPECT_EQ(change.intervalMs, 250);
}

TEST(BlinkTimersTest, ATickAlreadyQueuedByTheKilledTimerIsIgnored) {
  int32_t phase = 0, active = 0;
  StartBlinkTimers(&phase, &active);
  StepBlinkTimers(kBlinkTimerShort, &phase, &active);
  const BlinkTimerChange stale = StepBlinkTimers(kBlinkTimerShort, &phase, &active);
  EXPECT_EQ(phase, 1);
  EXPECT_EQ(stale.killTimer, 0);
  EXPECT_EQ(stale.setTimer, 0);
  EXPECT_EQ(StepBlinkTimers(7, &phase, &active).setTimer, 0);
  EXPECT_EQ(phase, 1);
}

}  // namespace
