#pragma once
// What blinks on the charts reads this phase; the main window's two
// alternating timers flip it (0 for 250 ms, 1 for 1000 ms).
#include <cstdint>

extern int32_t gBlinkPhase;
