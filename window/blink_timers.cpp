#include "window/blink_timers.h"

BlinkTimerChange StartBlinkTimers(int32_t* phase, int32_t* activeTimer) {
  *phase = 0;
  *activeTimer = kBlinkTimerShort;
  return {0, kBlinkTimerShort, kBlinkShortMs};
}

BlinkTimerChange StepBlinkTimers(int timerId, int32_t* phase, int32_t* activeTimer) {
  if (timerId != *activeTimer) return {0, 0, 0};
  *phase = *phase == 0 ? 1 : 0;
  if (*phase == 1) {
    *activeTimer = kBlinkTimerLong;
    return {kBlinkTimerShort, kBlinkTimerLong, kBlinkLongMs};
  }
  *activeTimer = kBlinkTimerShort;
  return {kBlinkTimerLong, kBlinkTimerShort, kBlinkShortMs};
}

bool BlinkRepaintAllowed(bool primaryDown, bool secondaryDown, bool comboDroppedDown) {
  return !primaryDown && !secondaryDown && !comboDroppedDown;
}
