#include "chart/drag_mode.h"

int32_t gDragMode = kDragNone;
