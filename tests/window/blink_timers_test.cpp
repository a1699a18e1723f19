#include "window/blink_timers.h"

#include <gtest/gtest.h>

#include "tests/support/row.h"

namespace {

TEST(BlinkTimersTest, PhasesAlternateBetweenTheTwoTimers) {
  int32_t phase = 1, active = 0;
  const BlinkTimerChange start = StartBlinkTimers(&phase, &active);
  EXPECT_EQ(Row(phase, start.setTimer, start.intervalMs), Row(0, kBlinkTimerShort, 250));

  BlinkTimerChange change = StepBlinkTimers(kBlinkTimerShort, &phase, &active);
  EXPECT_EQ(Row(phase, change.killTimer, change.setTimer, change.intervalMs),
            Row(1, kBlinkTimerShort, kBlinkTimerLong, 1000));

  change = StepBlinkTimers(kBlinkTimerLong, &phase, &active);
  EXPECT_EQ(Row(phase, change.killTimer, change.setTimer, change.intervalMs),
            Row(0, kBlinkTimerLong, kBlinkTimerShort, 250));
}

TEST(BlinkTimersTest, ATickAlreadyQueuedByTheKilledTimerIsIgnored) {
  int32_t phase = 0, active = 0;
  StartBlinkTimers(&phase, &active);
  StepBlinkTimers(kBlinkTimerShort, &phase, &active);
  const BlinkTimerChange stale = StepBlinkTimers(kBlinkTimerShort, &phase, &active);
  EXPECT_EQ(Row(phase, stale.killTimer, stale.setTimer), Row(1, 0, 0));
  EXPECT_EQ(StepBlinkTimers(7, &phase, &active).setTimer, 0);
  EXPECT_EQ(phase, 1);
}

}  // namespace
