#include "chart/blink_phase.h"

int32_t gBlinkPhase = 0;
