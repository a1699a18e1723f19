#pragma once
// What the chart code asks of the layers above it, in one place. The shell
// installs its member at start-up; the main window fills the others while it
// exists (ClearChartWindowHooks when it goes). A null member does nothing.
#include "chart/gdi_rules.h"

struct ChartScrollInfo;

struct ChartHooks {
  // From the shell.
  int (*saveSettingsP2)();  // writes "velqo_p2.dat" after a font setting changed

  // From the main window: layout, painting and the cross-hair.
  void (*layoutCharts)();
  void (*repaintNow)();                      // invalidate the window and paint at once
  void (*invalidateRect)(const Rect& rect);  // main-window client coordinates
  void (*chartFontApplied)();                // new text measures, controls, layout and menus
  void (*clearCrossHair)();
  void (*eraseCursorLine)();
  void (*refreshCursorTracking)();
  void (*applyScrollBar)(int chart, const ChartScrollInfo& info);  // set it and move it to its rectangle

  // From the main window: lists and pattern switches.
  void (*refillChartLists)(int chart);   // group combo box and stock list from the view
  void (*beginWait)();                   // wait cursor
  void (*reloadChart)(int chart);        // group combo box, stock list, chart series
  void (*alignLinkedCharts)(int upper);  // the chart below follows `upper` by date
  void (*patternShown)();                // repaint, window title, arrow cursor
  void (*patternNamesChanged)();         // pattern menu texts
};

extern ChartHooks gChartHooks;

// Empties every member the main window filled; the shell's stay.
void ClearChartWindowHooks();
