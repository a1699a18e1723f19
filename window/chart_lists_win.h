#pragma once
// The group combo box and stock list box of each chart: their contents from
// the group store, their selections, and what a selection change shows.
#include <windows.h>

#include "chart/chart_links.h"
#include "common/stock_code.h"

// Fills a combo box with the 124 group names and selects `selected`.
void FillGroupCombo(HWND combo, int selected);
struct GroupTable;
// A list box emptied and given one row per member of group g of `table`,
// with redrawing off; the caller selects a row and turns it back on.
void FillMemberRows(HWND list, const GroupTable& table, int g);
// Fills a list box with the members of group g of the live table and selects
// the row of `selectCode` (row 0 for code 0).
void FillGroupListWindow(int g, HWND list, StockCode selectCode);
// Every chart of the current pattern that shows group g, with the row of the
// chart's stock selected (none when the group no longer holds it).
void RefreshGroupListWindows(int g);
// A chart's combo box set to its view's group and its list refilled with the
// view's stock selected.
void RefillChartLists(int chart);
// After group contents changed: every chart takes its combo box's group,
// refills its list and carries it along its stock links.
void RefreshChartStockLists();
// The combo boxes and lists that carrying along stock links changed.
void ApplyChartListSync(const ChartListSync& sync);

// Selects the code's row in the chart's list and in the lists of the charts
// linked to it by stock (only where their group holds the code).
void SelectCodeInGroupLists(int chart, StockCode code);
// The code on the selected row of the selected chart's list; false without one.
bool GetSelectedCodeInList(StockCode* code);

// WM_COMMAND selection changes of a chart's combo box and list box.
void OnGroupComboChange(int chart);
void SelectStockFromChartList(int chart);
// The chart whose combo box or list box this child id is; -1 for others.
int ChartOfGroupCombo(int childId);
int ChartOfStockList(int childId);

// Adds the selected chart's stock (fromChart) or its list's selected stock to group g.
void AddPaneStockToGroup(int g, bool fromChart);

// Fills every chart's lists, subclasses the list boxes and hooks the group
// store's refreshes; undone by StopChartLists.
void StartChartLists(HWND mainWnd);
void StopChartLists();

// The member code on row `row` of chart `chart`'s stock list; false past its end.
bool ChartListMember(int chart, int row, StockCode* code);
