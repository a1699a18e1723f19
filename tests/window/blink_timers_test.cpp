#include "window/blink_timers.h"

#include <gtest/gtest.h>

#include "tests/support/row.h"

namespace {

// The two timers take turns; a tick the killed timer had already queued, or an
// unknown timer's, changes nothing.
TEST(BlinkTimersTest, PhasesAlternateBetweenTheTwoTimersAndStaleTicksAreIgnored) {
  int32_t phase = 1, active = 0;
  const BlinkTimerChange start = StartBlinkTimers(&phase, &active);
  EXPECT_EQ(Row(phase, start.killTimer, start.setTimer, start.intervalMs), Row(0, 0, kBlinkTimerShort, 250));
  struct Tick {
    int timer, phase, kill = 0, set = 0, interval = 0;
  };
  for (const Tick& t : {Tick{kBlinkTimerShort, 1, kBlinkTimerShort, kBlinkTimerLong, 1000}, Tick{kBlinkTimerShort, 1},
                        Tick{7, 1}, Tick{kBlinkTimerLong, 0, kBlinkTimerLong, kBlinkTimerShort, 250}}) {
    const BlinkTimerChange c = StepBlinkTimers(t.timer, &phase, &active);
    EXPECT_EQ(Row(phase, c.killTimer, c.setTimer, c.intervalMs), Row(t.phase, t.kill, t.set, t.interval)) << t.timer;
  }
}

}  // namespace
