#pragma once
// Where the main window puts its charts, splitters, list columns, search box
// and status-bar parts, worked out from the client rectangle and settings.
#include <cstdint>

#include "chart/screen_pattern.h"
#include "chart/gdi_rules.h"

constexpr int kSplitterWidth = 4;
// The main window is never sized smaller than this (its minimum tracking size).
constexpr int kMinMainWindowWidth = 400;
constexpr int kMinMainWindowHeight = 300;

struct MainLayoutInput {
  Rect client;  // the main window's client rectangle
  int toolbarHeight;
  int statusBarHeight;
  bool showGroupList;
  int groupListWidth;  // as stored; brought into a splitter drag's limits for the client
  bool showDetailList;
  int detailListWidth;
  int fontSize;  // the chart font size F
  const uint16_t* paneHeights;
  bool hasSeries[kMaxChartsPerPattern];  // a chart without display series shows no lists
};

// One chart's group combo box and stock list box in the group-list column.
struct ChartListPlacement {
  bool shown;     // false: hidden column, no series, or the chart above links its stock here
  Rect area;      // the chart's rows, extended over the charts it links its stock to
  Rect comboBox;  // the first F * 20 / 12 pixels of the area
  Rect listBox;   // the rest
};

struct MainWindowLayout {
  Rect chartArea;           // also what the blink timer repaints
  Rect groupListSplitter;   // empty when the group list is hidden
  Rect detailListSplitter;  // empty when the detail list is hidden
  Rect detailListArea;
  int chartCount;
  Rect charts[kMaxChartsPerPattern];
  ChartListPlacement lists[kMaxChartsPerPattern];
  Rect detailColumns[kMaxChartsPerPattern];  // each chart's rows of the detail list
};

// The whole layout; every rectangle has a non-negative width and height,
// whatever the client size, font size and stored list widths.
void ComputeMainWindowLayout(const MainLayoutInput& input, const ScreenPattern& pattern, MainWindowLayout* layout);

// The four status-bar part edges (right ends). w = 8 x the status font's
// widest character: part 0 ends at 0, part 1 at w widened to the sample
// text's width + 16, part 2 at the client's width (3w before it while the
// past-price fetch runs), part 3 at the client's width. Edges never go back.
void ComputeStatusBarEdges(int clientWidth, int maxCharWidth, int sampleTextWidth, bool pastPriceFetchRunning,
                           int edges[4]);

// The search box over a chart: centred on its plot, F * 128 / 12 pixels to
// each side and half the fixed font's height + 2 up and down, clipped to the
// chart; never lower than the box's own font with its border (half its height + 3).
Rect ComputeSearchBoxRect(const Rect& plot, const Rect& chart, int fontSize, int fixedFontHeight, int boxFontHeight);
