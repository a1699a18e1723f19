#pragma once
// Ids of the string table (resources/strings.rc).
constexpr int kStrMillionUnit = 145;
constexpr int kStrNotPatternFile = 193;
constexpr int kStrAppTitle = 234;
constexpr int kStrMainClassName = 242;
constexpr int kStrYearUnit = 246;
constexpr int kStrThousandUnit = 256;
constexpr int kStrNotice = 288;                  // "お知らせ", a message-box title
constexpr int kStrPeriodNameFirst = 292;         // 292..294 daily, weekly, monthly
constexpr int kStrDefaultGroupNameFirst = 1000;  // 1000..1023, default groups 0..23
constexpr int kStrNumberedGroupName = 1024;      // "グループ ", followed by the number
constexpr int kStrMarketNameFirst = 1050;        // 1050..1062, by market id
constexpr int kStrComputingLatestValues = 1110;
constexpr int kStrExtractingGroups = 1111;
constexpr int kStrRecomputeAllQuestion = 1112;
constexpr int kStrSavePatternFilePrompt = 1116;
constexpr int kStrOpenPatternFilePrompt = 1117;

// The averaging-down tracker.
constexpr int kStrTrackerClearQuestion = 1560;
constexpr int kStrTrackerConfirmTitle = 1561;    // "確認"
constexpr int kStrTrackerDialogOpen = 1562;      // only one step dialog at a time
constexpr int kStrTrackerErrorTitle = 1563;      // "エラー"
constexpr int kStrTrackerAlreadyReached = 1564;  // an armed step already at its price

// Trend lines.
constexpr int kStrTrendLineStoreFull = 281;  // 10000 lines: no more can be drawn
constexpr int kStrErrorTitle = 1420;
constexpr int kStrTrendLineUndoTooMany = 1421;

// Price archives and the price disc.
constexpr int kStrPriceDiscFolder = 179;  // "株価データ"
constexpr int kStrPriceDiscMarker = 180;  // "銘柄属性.zip"
constexpr int kStrInsertPriceDisc = 181;
constexpr int kStrInsertPriceDiscTitle = 182;  // "お願い"
constexpr int kStrReadingDiscMonth = 291;      // "%d年%d月の株価を読み込み中..."
constexpr int kStrReadingPriceFile = 295;      // "株価ファイル(%s)を読み込み中..."
constexpr int kStrChoosePriceFile = 297;
constexpr int kStrImportWholeFolder = 298;

// Colours and palettes.
constexpr int kStrSavePaletteFilePrompt = 115;
constexpr int kStrSwatchClassName = 116;          // "CUSTOMCOLORCONTROL"
constexpr int kStrBuiltinPaletteNameFirst = 117;  // 117, 118: the first two built-in palettes
constexpr int kStrNotPaletteFile = 125;
constexpr int kStrOpenPaletteFilePrompt = 126;

// Groups, signal files and the signal-settings file editor.
constexpr int kStrSaveSignalFilePrompt = 1114;
constexpr int kStrOpenGroupCodeListPrompt = 1118;
constexpr int kStrNotSignalFile = 1190;
constexpr int kStrSignalToGroupQuestion = 1191;  // group name, signal name
constexpr int kStrGroupNamedByTerm = 1192;
constexpr int kStrGroupEditBusy = 1193;

// Time-back mode.
constexpr int kStrTimeBackClassName = 1115;  // the window's class
