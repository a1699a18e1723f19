#pragma once
// What the chart code asks of the layers above it. The shell installs its
// members at start-up; a null member does nothing.

struct ChartHooks {
  int (*saveSettingsP2)();  // writes "velqo_p2.dat" after a font setting changed
};

extern ChartHooks gChartHooks;
