/* Ids of dialogs, controls, menus and icons (shared by the .rc files and the code). */
#pragma once

#define IDD_PROGRESS 265
#define IDC_PROGRESS_BAR 1083
#define IDC_PROGRESS_TEXT1 1085
#define IDC_PROGRESS_TEXT2 1086
#define IDC_PROGRESS_ABORT 1309

#define IDI_MAIN_LARGE 107
#define IDI_MAIN_SMALL 108
#define IDA_MAIN_ACCELERATORS 241
#define IDB_TOOLBAR 165
#define IDB_KEEP_STOCK_ON 169
#define IDB_KEEP_STOCK_OFF 283
#define IDB_DATE_LINK_ON 253
#define IDB_DATE_LINK_OFF 255
#define IDB_STOCK_LINK_ON 285
#define IDB_STOCK_LINK_OFF 287

/* Pop-up menus of the charts. */
#define IDD_RENAME_PATTERN 194
#define IDC_PATTERN_NAME 1001
#define IDD_CHOOSE_STOCK 270
#define IDC_CHOOSE_STOCK_LIST 1002

/* Child windows of the main window (chart slot i adds 4 x i). */
#define IDC_CHART_SCROLL_BAR 100
#define IDC_GROUP_COMBO 500
#define IDC_STOCK_LIST 600
#define IDC_STOCK_SEARCH 700
#define IDC_TOOLBAR 800
#define IDC_STATUS_BAR 810

/* The notice of a reached monitoring line (modeless). */
#define IDD_LINE_NOTICE 172
#define IDC_NOTICE_STOCK 1140
#define IDC_NOTICE_KIND 1141
#define IDC_NOTICE_CONDITION 1142
#define IDC_NOTICE_ORDER 1143
#define IDC_NOTICE_PATTERN_FIRST 1163   /* .. 1174: screen patterns 1..12 */
#define IDC_NOTICE_SHOW_FIRST 1178      /* .. 1180: the line's stock in the upper, middle, lower chart */
#define IDC_NOTICE_INDICATOR_FIRST 1181 /* .. 1183: the watched indicator in that chart */
