#include "chart/chart_selection.h"

int gSelectedChart = 0;
int gSelectedPane = 0;
int gCursorBar = -1;
