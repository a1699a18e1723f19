#include "chart/trend_line_mouse.h"

bool gNewTrendLineMode = false;
bool gRubberBandLine = false;
int gHighlightedTrendLine = -1;
