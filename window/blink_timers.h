#pragma once
// The two alternating timers that flip the charts' blink phase: phase 0
// lasts 250 ms (timer 1) and phase 1 lasts 1000 ms (timer 2).
#include <cstdint>

#include "chart/blink_phase.h"

constexpr int kBlinkTimerShort = 1;
constexpr int kBlinkTimerLong = 2;
constexpr int kBlinkShortMs = 250;
constexpr int kBlinkLongMs = 1000;

// The timers one tick asks for; 0 ids when nothing changes.
struct BlinkTimerChange {
  int killTimer;
  int setTimer;
  int intervalMs;
};

// At window creation: phase 0 on the short timer.
BlinkTimerChange StartBlinkTimers(int32_t* phase, int32_t* activeTimer);
// A tick of `timerId`: flips the phase and swaps the timers. A tick of the
// timer just killed (already queued when it was killed) changes nothing.
BlinkTimerChange StepBlinkTimers(int timerId, int32_t* phase, int32_t* activeTimer);
// The chart area is repainted on a tick unless a mouse button is held or the
// selected chart's combo box is dropped down.
bool BlinkRepaintAllowed(bool primaryDown, bool secondaryDown, bool comboDroppedDown);
