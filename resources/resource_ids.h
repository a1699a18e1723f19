/* Ids of dialogs, controls, menus and icons (shared by the .rc files and the code). */
#pragma once

#define IDD_PROGRESS            265
#define IDC_PROGRESS_BAR        1083
#define IDC_PROGRESS_TEXT1      1085
#define IDC_PROGRESS_TEXT2      1086
#define IDC_PROGRESS_ABORT      1309

#define IDI_MAIN_LARGE          107
#define IDI_MAIN_SMALL          108
#define IDM_MAIN_MENU           241
#define IDA_MAIN_ACCELERATORS   241
#define IDB_TOOLBAR             165

/* Main menu commands. */
#define IDM_PERIOD_DAILY        32771
#define IDM_PERIOD_WEEKLY       32772
#define IDM_PERIOD_MONTHLY      32773
#define IDM_BAR_WIDTH_1         32775
#define IDM_BAR_WIDTH_2         32777   /* .. 32785 for widths 3 .. 19 */
#define IDM_BAR_WIDTH_10        32785
#define IDM_BARS_WIDER          32837
#define IDM_BARS_NARROWER       32838
#define IDM_PANE_VOLUME         32791   /* .. 32800: volume, RSI, RCI, deviation, stochastics, MACD, DMI, S-ROC, psychological, OBV */
#define IDM_PANE_OBV            32800
#define IDM_PANE_CANDLES        32801
#define IDM_ADD_CHART           32807
#define IDM_REMOVE_CHART        32808
#define IDM_PANE_ICHIMOKU       32811
#define IDM_PANE_VOLUME_RATIO   32812
#define IDM_PANE_ADVANCE_DECLINE 32813
#define IDM_GROUP_LIST          32827
#define IDM_GUIDE_LINE          32828
#define IDM_SPLIT_ADJUSTED      32835
#define IDM_WEEK_SEPARATORS     32857
#define IDM_PATTERN_FIRST       32866   /* .. 32877 for F1 .. F12 */
#define IDM_PATTERN_LAST        32877
#define IDM_TIME_BACK           32909
#define IDM_PRICE_DOWNLOAD      32930
#define IDM_EXPORT_PATTERNS     32934
#define IDM_IMPORT_PATTERNS     32935
#define IDM_TICK_GRID           33031
#define IDM_FULL_LINE_RANGE     33032
#define IDM_OPEN_FILE           33034
#define IDM_AVERAGE_LINE        33140
#define IDM_AVERAGE_LINE_VALUES 33141
#define IDM_CLOSING_LINE_PROFIT 33142
#define IDM_UNDO                20000
#define IDM_DELETE              20005
#define IDM_NEW_TREND_LINE      20007

/* Child windows of the main window (chart slot i adds 4 x i). */
#define IDC_CHART_SCROLL_BAR    100
#define IDC_GROUP_COMBO         500
#define IDC_STOCK_LIST          600
#define IDC_STOCK_SEARCH        700
#define IDC_TOOLBAR             800
#define IDC_STATUS_BAR          810
