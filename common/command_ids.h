/* Ids of the main menu and pop-up menu commands (shared by the .rc files and the code). */
#pragma once

#define IDM_MAIN_MENU 241
#define IDM_CHART_POPUP 247
#define IDM_GROUP_LIST_POPUP 163
#define IDM_PANE_POPUP 168
#define IDM_TREND_LINE_POPUP 171
#define IDM_MEMO_POPUP 303
#define IDM_CAPTION_POPUP 296
#define IDM_PATTERN_POPUP 190
#define IDM_SPARE_POPUP 221
#define IDM_PERIOD_DAILY 32771
#define IDM_PERIOD_WEEKLY 32772
#define IDM_PERIOD_MONTHLY 32773
#define IDM_BAR_WIDTH_1 32775
#define IDM_BAR_WIDTH_2 32777 /* .. 32785 for widths 3 .. 19 */
#define IDM_BAR_WIDTH_10 32785
#define IDM_BARS_WIDER 32837
#define IDM_BARS_NARROWER 32838
#define IDM_PANE_VOLUME \
  32791 /* .. 32800: volume, RSI, RCI, deviation, stochastics, MACD, DMI, S-ROC, psychological, OBV */
#define IDM_PANE_OBV 32800
#define IDM_PANE_CANDLES 32801
#define IDM_ADD_CHART 32807
#define IDM_REMOVE_CHART 32808
#define IDM_PANE_ICHIMOKU 32811
#define IDM_PANE_VOLUME_RATIO 32812
#define IDM_PANE_ADVANCE_DECLINE 32813
#define IDM_GROUP_LIST 32827
#define IDM_GUIDE_LINE 32828
#define IDM_SPLIT_ADJUSTED 32835
#define IDM_WEEK_SEPARATORS 32857
#define IDM_DISPLAY_SWITCH_32878 32878
#define IDM_PANE_TO_TOP 32880
#define IDM_PANE_UP 32881
#define IDM_PANE_DOWN 32882
#define IDM_PANE_TO_BOTTOM 32883
#define IDM_PANE_REMOVE 32884
#define IDM_PATTERN_FIRST 32866 /* .. 32877 for F1 .. F12 */
#define IDM_PATTERN_LAST 32877
#define IDM_TIME_BACK 32909
#define IDM_PRICE_DOWNLOAD 32930
#define IDM_RECOMPUTE_ALL 32931 /* every stock's indicators, the breadth and the groups */
#define IDM_EXPORT_PATTERNS 32934
#define IDM_IMPORT_PATTERNS 32935
#define IDM_TICK_GRID 33031
#define IDM_FULL_LINE_RANGE 33032
#define IDM_OPEN_FILE 33034
#define IDM_SHORT_NAMES 33087
#define IDM_WINDOW_1600 33025
#define IDM_WINDOW_1024 33026
#define IDM_WINDOW_800 33027
#define IDM_AVERAGE_LINE 33140
#define IDM_AVERAGE_LINE_VALUES 33141
#define IDM_CLOSING_LINE_PROFIT 33142
#define IDM_SNAP_ROUND_PRICES 33147 /* dragged horizontal lines snap to hundreds or thousands */
#define IDM_THICK_CHART_LINES 33151 /* indicator and average lines one pixel wider */
#define IDM_UNDO 20000
#define IDM_DELETE 20005
#define IDM_NEW_TREND_LINE 20007
#define IDM_PANE_FLAG_FIRST 5000 /* .. 5099: bit n mod 32 of the selected pane's flags */
#define IDM_PANE_FLAG_LAST 5099
#define IDM_SORT_ITEM_FIRST 3000      /* .. one per sortable condition item */
#define IDM_LIST_TO_GROUP_FIRST 4000  /* .. 4123: add the list's selected stock to group n */
#define IDM_CHART_TO_GROUP_FIRST 4200 /* .. 4323: add the chart's stock to group n */
#define IDM_RENAME_PATTERN 32915
#define IDM_COPY_PATTERN_FIRST 32916 /* .. 32927 */
#define IDM_COPY_PATTERN_LAST 32927
#define IDM_ORDER_WINDOW 32994
#define IDM_ORDER_WINDOW_MARGIN 32995
#define IDM_ORDER_BOOK 32996
#define IDM_ORDER_TICKS 32998
#define IDM_ORDER_PORTFOLIO 32999
#define IDM_ORDER_LIST 33000
#define IDM_ORDER_FILLS 33001
#define IDM_FULL_HISTORY_TS 33182
#define IDM_CHART_FONT 33194
#define IDM_CHART_FONT_RESET 33195

/* The averaging-down tracker's sub-menu of the trend-line pop-up. */
#define IDM_TRACKER_BUY_STEP 33126
#define IDM_TRACKER_BUY_CLOSE 33127
#define IDM_TRACKER_BUY_STOP_LOSS 33128
#define IDM_TRACKER_SHORT_STEP 33129
#define IDM_TRACKER_SHORT_CLOSE 33130
#define IDM_TRACKER_SHORT_STOP_LOSS 33131
#define IDM_TRACKER_CLEAR 33134

/* The trend-line pop-up (menu 171) on the selected line. */
#define IDM_TLINE_LOCK 33090
#define IDM_TLINE_MONITOR_DATE 32890
#define IDM_TLINE_MONITOR_UPPER 32891
#define IDM_TLINE_MONITOR_LOWER 32892
#define IDM_TLINE_WIDTH_1 32893
#define IDM_TLINE_WIDTH_2 32894
#define IDM_TLINE_WIDTH_3 32895
#define IDM_TLINE_NOTICE 32898
#define IDM_TLINE_MONITOR_NONE 32900
#define IDM_TLINE_VALUE 32904
#define IDM_TLINE_LABEL_RIGHT 33113
#define IDM_TLINE_LABEL_LEFT 33114
#define IDM_TLINE_LABEL_BOTH 33117
#define IDM_TLINE_LABEL_NONE 33118

/* The price update's variants and the master-data tools of the developer menu. */
#define IDM_RELOAD_THREE_MONTHS 32937
#define IDM_RELOAD_TWENTY_YEARS 33097
#define IDM_STOCK_INFO_DOWNLOAD 33092
#define IDM_KEN_TO_TEXT 32821
#define IDM_TEXT_TO_KEN 32822
#define IDM_MASTER_TO_TEXT 32823
#define IDM_TEXT_TO_MASTER 32830
#define IDM_CREATE_MASTER 32832

/* The tail of the trend-line pop-up, and the memo pop-up (menu 303). */
#define IDM_TLINE_WATCH_FIRST 6000 /* .. 6999: bit n mod 32 of the selected line's watched lines */
#define IDM_TLINE_WATCH_LAST 6999
#define IDM_MEMO_EDIT 33003
#define IDM_MEMO_ARROW 33028
#define IDM_MEMO_FONT_CUSTOM_1 33103
#define IDM_MEMO_FONT_CUSTOM_2 33104
#define IDM_MEMO_FONT_CUSTOM_3 33105
#define IDM_MEMO_FONT_DEFAULT 33109

/* Memos of the edit menu and the chart pop-up. */
#define IDM_NEW_MEMO 33002
#define IDM_DELETE_ALL_MEMOS_AND_LINES 33135

/* The chart picture: clipboard, page setup and printing. */
#define IDM_COPY_CHART_IMAGE 20003
#define IDM_PAGE_SETUP 32886
#define IDM_PRINT 32887

/* Colours. */
#define IDM_COLOR_SETTINGS 32787

/* The analysis-parameter sheet (options menu). */
#define IDM_ANALYSIS_PARAMETERS 32786

/* The group menu and the list pop-up's group commands. */
#define IDM_GROUP_ADD_CHART_STOCK 33210
#define IDM_GROUP_REMOVE_STOCK 33211
#define IDM_GROUP_CLEAR 33212
#define IDM_GROUP_SORT_ASCENDING 33213
#define IDM_GROUP_SORT_DESCENDING 33214
#define IDM_GROUP_COPY_TO_CLIPBOARD 33215
#define IDM_GROUP_IMPORT_TEXT 33216
#define IDM_GROUP_SETTINGS 33217

/* The signal-file chooser (file menu) and the group move/copy dialog; both grayed in time-back mode. */
#define IDM_CHOOSE_SIGNAL_FILE 32905
#define IDM_GROUP_MOVE_COPY 32906

/* The memo font (options menu). */
#define IDM_MEMO_FONT_CHOOSE 33180
#define IDM_MEMO_FONT_RESET 33181

/* The signal-settings file editor (file menu). */
#define IDM_SIGNAL_FILE_EDITOR 32901

/* The detail list and the detail window (view menu). */
#define IDM_DETAIL_WINDOW 32817
#define IDM_DETAIL_LIST 32888

/* Repairs of the price database (data menu), the forecast candle's eraser and cut. */
#define IDM_REMOVE_FUTURE_BARS 32997
#define IDM_DELETE_BARS_AT_DATE 33192
#define IDM_RESTORE_PRICE_BACKUP 33191
#define IDM_REPORT_LONG_GAPS 33071
#define IDM_APPLY_STOCK_MASTER 32954
#define IDM_ERASE_FORECAST 32910
#define IDM_CUT 20002

/* The price database backup (file menu). */
#define IDM_RUN_BACKUP 33165
#define IDM_OPEN_BACKUP_FOLDER 33166
