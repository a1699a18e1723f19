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

/* The averaging-down tracker's step dialog. */
#define IDD_TRACKER_STEP 1524
#define IDC_STEP_SHARES 1272
#define IDC_STEP_SHARES_SPIN 1273
#define IDC_STEP_CASH_AMOUNT 1275
#define IDC_STEP_MARGIN_AMOUNT 1276
#define IDC_STEP_RELEASE 1278
#define IDC_STEP_RESET 1279
#define IDC_STEP_STATE_TEXT 1280
#define IDC_STEP_PRICE 1197
#define IDC_STEP_PRICE_RANGE 1296
#define IDC_STEP_SHARES_RANGE 33132
#define IDC_STEP_NO_AUTO_ORDER 1163
#define IDC_STEP_AUTO_ORDER 1164
#define IDC_STEP_CASH 1165
#define IDC_STEP_MARGIN 1166
#define IDC_STEP_MARKET_PRICE 1167 /* .. 1169: market, limit, limit one tick off */
#define IDC_STEP_LIMIT_TICK_OFF 1169
#define IDC_STEP_NORMAL_ROUTE 1170
#define IDC_STEP_SMART_ROUTE 1171
#define IDC_STEP_SPECIFIC_ACCOUNT 1172
#define IDC_STEP_GENERAL_ACCOUNT 1173
#define IDC_STEP_MARGIN_KIND 1174 /* .. 1177: standard, general, 14 days, one day */
#define IDC_STEP_LAST_MARGIN_KIND 1177
#define IDC_STEP_ORDER_NOW 5003

/* Trend-line dialogs: the value of a line, removing the oldest lines. */
#define IDD_TLINE_VALUE 188
#define IDC_TLINE_VALUE_EDIT 1197
#define IDC_TLINE_VALUE_RANGE 1296
#define IDD_TLINE_CLEANUP 264
#define IDC_TLINE_CLEANUP_COUNT 2641
#define IDC_TLINE_CLEANUP_EDIT 2642
#define IDC_TLINE_CLEANUP_RANGE 2643

/* The notice of a reached monitoring line (modeless). */
#define IDD_LINE_NOTICE 172
#define IDC_NOTICE_STOCK 1140
#define IDC_NOTICE_KIND 1141
#define IDC_NOTICE_CONDITION 1142
#define IDC_NOTICE_ORDER 1143
#define IDC_NOTICE_PATTERN_FIRST 1163   /* .. 1174: screen patterns 1..12 */
#define IDC_NOTICE_SHOW_FIRST 1178      /* .. 1180: the line's stock in the upper, middle, lower chart */
#define IDC_NOTICE_INDICATOR_FIRST 1181 /* .. 1183: the watched indicator in that chart */

/* The closing dialog of the price update: the dates of the newest data. */
#define IDD_UPDATE_RESULT 230
#define IDC_UPDATE_PRICE_DATE 901
#define IDC_UPDATE_INFO_DATE 902
#define IDC_UPDATE_KEN_DATE 903

/* The print preview of the chart picture. */
#define IDD_PRINT_PREVIEW 170

/* The colour dialog: palette list, save, load, tabs; swatch of entry n 800 + n, its label 900 + n. */
#define IDD_COLOR_SETTINGS 248
#define IDC_COLOR_PALETTE_LIST 991
#define IDC_COLOR_SAVE 992
#define IDC_COLOR_LOAD 1036
#define IDC_COLOR_TABS 1121
#define IDC_COLOR_SWATCH_FIRST 800
#define IDC_COLOR_LABEL_FIRST 900
#define IDR_PALETTE_WHITE 249
#define IDR_PALETTE_BLACK 250
#define IDR_PALETTE_MONOCHROME 184

/* The analysis-parameter sheet: its caption; pages and controls come from its page table. */
#define IDS_PARAMETER_SHEET_CAPTION 127

/* The group dialogs: the clipboard copy's layout, the group settings, renaming a group. */
#define IDD_GROUP_CLIPBOARD 313
#define IDC_CLIPBOARD_CODES_ONLY 1267
#define IDC_CLIPBOARD_WITH_NAMES 1268
#define IDC_CLIPBOARD_WITH_MARK 1178
#define IDD_GROUP_SETTINGS 268
#define IDC_GROUP_SIGNAL_KIND 1281
#define IDC_GROUP_CHOICE 1104
#define IDC_GROUP_SORT_ITEM 1101
#define IDC_GROUP_NAME_COLOR 1203
#define IDC_GROUP_AUTOMATIC 1106
#define IDC_GROUP_MANUAL 1107
#define IDC_GROUP_ASCENDING 1102
#define IDC_GROUP_DESCENDING 1103
#define IDC_GROUP_TERMS 1088
#define IDC_GROUP_ADD_TERM 1089
#define IDC_GROUP_EDIT_TERM 1092
#define IDC_GROUP_DELETE_TERM 1090
#define IDC_GROUP_RENAME 100
#define IDC_GROUP_RESET 4
#define IDC_GROUP_RESULT 1091
#define IDC_GROUP_RESULT_COUNT 1105
#define IDC_GROUP_MARKET_FIRST 1240 /* .. 1247: the market check boxes */
#define IDC_GROUP_MARKET_FRAME 1248
#define IDC_GROUP_TERMS_LABEL 1249
#define IDC_GROUP_SIGNAL_LABEL 1250
#define IDD_GROUP_RENAME 162
#define IDC_GROUP_NEW_NAME 1122

/* The condition editor (161) and its read-only twin (216). */
#define IDD_CONDITION_EDITOR 161
#define IDD_CONDITION_VIEW 216
#define IDC_CONDITION_LEFT 1063
#define IDC_CONDITION_RIGHT 1064
#define IDC_CONDITION_CONSTANT 1065
#define IDC_CONDITION_OPERATOR 1066
#define IDC_CONDITION_UNIT 1108

/* The signal-file chooser. */
#define IDD_SIGNAL_FILE_CHOOSER 187
#define IDC_SIGNAL_FILE_LIST 1289
#define IDC_SIGNAL_FILE_DESCRIPTION 1292
#define IDC_SIGNAL_FILE_SIGNALS 1295
#define IDC_SIGNAL_FILE_SCENARIOS 1201

/* The group move/copy dialog. */
#define IDD_GROUP_MOVE_COPY 201
#define IDC_MOVECOPY_SOURCE 1209
#define IDC_MOVECOPY_DESTINATION 1192
#define IDC_MOVECOPY_UP 1205
#define IDC_MOVECOPY_DOWN 1206
#define IDC_MOVECOPY_CONDITIONS 1207
#define IDC_MOVECOPY_MEMBERS 1208
#define IDC_MOVECOPY_MOVE_MODE 1163
#define IDC_MOVECOPY_COPY_MODE 1164
#define IDC_MOVECOPY_SOURCE_SUMMARY 1210
#define IDC_MOVECOPY_DESTINATION_SUMMARY 1211
#define IDC_MOVECOPY_SOURCE_LABEL 1212
#define IDC_MOVECOPY_DESTINATION_LABEL 1213

/* The memo editor: text, byte counter, colour, arrow, custom sizes (height and spacing edits with their up-downs). */
#define IDD_MEMO_EDIT 213
#define IDC_MEMO_TEXT 1197
#define IDC_MEMO_BYTES 33110
#define IDC_MEMO_COLOR 991
#define IDC_MEMO_ARROW 1178
#define IDC_MEMO_CUSTOM_SIZE 1179
#define IDC_MEMO_CHOICE_1 1269 /* .. 1271 */
#define IDC_MEMO_CHOICE_3 1271
#define IDC_MEMO_HEIGHT_1 10012 /* 10012, 10014, 10016: heights; 10013, 10015, 10017: spacings */
#define IDC_MEMO_SPACING_3 10017
#define IDC_MEMO_UPDOWN_OFFSET 10 /* each edit's up-down */

/* The signal-settings file editor. */
#define IDD_SIGNAL_FILE_EDITOR 186
#define IDC_SIGEDIT_GROUPS 1191
#define IDC_SIGEDIT_COPY_GROUP 1193
#define IDC_SIGEDIT_SIGNALS 1283
#define IDC_SIGEDIT_DELETE_SIGNAL 1294
#define IDC_SIGEDIT_TO_GROUP 1104
#define IDC_SIGEDIT_SCENARIOS 1194
#define IDC_SIGEDIT_COPY_SCENARIO 1299
#define IDC_SIGEDIT_FILE_SCENARIOS 1198
#define IDC_SIGEDIT_DELETE_SCENARIO 1202
#define IDC_SIGEDIT_DESCRIPTION 1197
#define IDC_SIGEDIT_OPEN 1196
#define IDC_SIGEDIT_SAVE 1195
#define IDC_SIGEDIT_RESET 1291

/* The price repairs' dialogs: the date to delete, the backup to restore. */
#define IDD_DELETE_DATE 1531
#define IDC_DELETE_DATE_EDIT 5024
#define IDD_BACKUP_LIST 1532
#define IDC_BACKUP_LIST 5025
