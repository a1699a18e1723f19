#pragma once
// The chart selection that commands act on; -1 means none.

extern int gSelectedChart;
extern int gSelectedPane;
extern int gCursorBar;
