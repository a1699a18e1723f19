#pragma once
// A press on the chart area and on the buttons at the charts' edges.

// The shown chart, and the pane of `chart`, whose rectangle holds the point; -1 when none.
int ChartAtPoint(int x, int y);
int PaneAtPoint(int chart, int x, int y);
// The cross-hair at the bar and value under the point, or cleared when the point shows none.
void SetCrossHairAtPoint(int chart, int pane, int x, int y);
// A press on the chart area: selects the chart, pane and (for a right press)
// bar under the point, and decides what a left press drags: a memo, a line's
// end or body (copied with Ctrl, with the tracker steps of its side with
// Alt), or, on a forecast position, nothing but that bar. Gives the trend
// line hit: 0 none, 1 body, 2 or 3 an end.
int OnChartMouseButton(int x, int y, bool right);
// A press on a date-link or stock-link button toggles the link of the pair
// of charts it joins; true when the point was on one.
bool PressLinkButton(int x, int y);
// A press on a chart's keep-stock button toggles the flag along stock links
// and selects that chart; true when the point was on one.
bool PressKeepStockButton(int x, int y);
