#pragma once
// The images of the two configuration files: "velqo.dat" (SettingsBlock,
// 6812 bytes) and "velqo_p2.dat" (SettingsBlockP2, 4072 bytes). The fields are
// used through the g-names below, which refer into the live blocks; loading,
// saving and the defaults belong to the shell.
#include <cstddef>
#include <cstdint>

#include "common/packed_date.h"
#include "records/indicator_parameter_set.h"
#include "records/palette_slots.h"
#include "records/screen_pattern_record.h"

constexpr int kPaneHeightCount = 20;
constexpr int kDefaultPaneHeight = 40;

using ColorRef = uint32_t;  // 0x00BBGGRR

// WINDOWPLACEMENT as stored (44 bytes).
struct WindowPlacementImage {
  uint32_t length;
  uint32_t flags;
  uint32_t showCmd;
  int32_t minX, minY;
  int32_t maxX, maxY;
  int32_t left, top, right, bottom;
};
static_assert(sizeof(WindowPlacementImage) == 44, "WINDOWPLACEMENT image is 44 bytes");

// LOGFONTA as stored (60 bytes); an empty face name means the default font.
struct LogFontImage {
  int32_t height, width, escapement, orientation, weight;
  uint8_t italic, underline, strikeOut, charSet;
  uint8_t outPrecision, clipPrecision, quality, pitchAndFamily;
  char faceName[32];
};
static_assert(sizeof(LogFontImage) == 60, "LOGFONT image is 60 bytes");

struct SettingsBlock {
  WindowPlacementImage mainPlacement;                 // 0
  int32_t currentPattern;                             // 44
  ScreenPattern screenPatterns[kScreenPatternCount];  // 48
  uint8_t reserved5232[24];                           // 5232
  int32_t showDetailWindow;                           // 5256
  int32_t detailWindowX, detailWindowY;               // 5260
  int32_t detailDockRight, detailDockBottom;          // 5268
  int32_t showGroupList, groupListWidth;              // 5276
  int32_t showDetailList, detailListWidth;            // 5284
  int32_t paramSheetStartPage;                        // 5292
  IndicatorParameterSet indicatorParams[3];           // 5296
  uint8_t reserved5626[2];                            // 5626
  ColorRef customColors[16];                          // 5628
  int32_t builtinPaletteIndex;                        // 5692
  ColorRef paletteColors[kPaletteColorCount];         // 5696
  char signalFileName[260];                           // 6016
  int32_t timeBackMode;                               // 6276
  int32_t timeBackWindowX, timeBackWindowY;           // 6280
  int32_t timeBackDockRight, timeBackDockBottom;      // 6288
  int32_t timeBackDayIndex;                           // 6296
  int32_t savedRecomputeNeeded;                       // 6300
  PackedDate timeBackComputedDate;                    // 6304
  int32_t showGuideLine;                              // 6308
  int32_t weekSeparatorsOn;                           // 6312
  int32_t displaySwitch32878;                         // 6316
  int32_t showSplitAdjusted;                          // 6320
  int32_t askRecomputeAtStart;                        // 6324
  int32_t recomputeNeeded;                            // 6328
  uint8_t reserved6332[4];                            // 6332
  int32_t newTrendLineWidth;                          // 6336
  int32_t chartFontSize;                              // 6340
  PackedDate lastPriceDate;                           // 6344
  uint8_t reserved6348[344];                          // 6348
  uint8_t orderLinkOn;                                // 6692
  uint8_t reserved6693;                               // 6693
  uint16_t monitoredGroup;                            // 6694
  uint8_t tickGridOn;                                 // 6696
  uint8_t snapDraggedPrices;                          // 6697
  uint8_t reserved6698;                               // 6698
  uint8_t showShortNames;                             // 6699
  uint16_t paneHeights[kPaneHeightCount];             // 6700
  uint16_t groupsDirty, savedGroupsDirty;             // 6740
  PackedDate kenUpdateDate, pinfoUpdateDate;          // 6744
  uint8_t reserved6752[8];                            // 6752
  int16_t memoFontSize, memoLineSpacing;              // 6760
  int32_t infoBeepOnNotice;                           // 6764
  uint8_t showAverageLine;                            // 6768
  uint8_t hideAverageLineValues;                      // 6769
  uint8_t showProfitOnClosingLine;                    // 6770
  uint8_t reserved6771[9];                            // 6771
  uint8_t buyOrderOptions[4];                         // 6780
  int32_t buyMarginKind;                              // 6784
  uint8_t shortOrderOptions[4];                       // 6788
  int32_t shortMarginKind;                            // 6792
  uint8_t thickChartLines;                            // 6796
  uint8_t reserved6797[3];                            // 6797
  uint8_t clipboardWithNames, clipboardWithMark;      // 6800
  uint8_t reserved6802[10];                           // 6802
};
static_assert(sizeof(SettingsBlock) == 6812, "velqo.dat holds a 6812-byte block");
static_assert(offsetof(SettingsBlock, mainPlacement) == 0);
static_assert(offsetof(SettingsBlock, currentPattern) == 44);
static_assert(offsetof(SettingsBlock, screenPatterns) == 48);
static_assert(offsetof(SettingsBlock, showDetailWindow) == 5256);
static_assert(offsetof(SettingsBlock, detailWindowX) == 5260);
static_assert(offsetof(SettingsBlock, detailDockRight) == 5268);
static_assert(offsetof(SettingsBlock, showGroupList) == 5276);
static_assert(offsetof(SettingsBlock, showDetailList) == 5284);
static_assert(offsetof(SettingsBlock, paramSheetStartPage) == 5292);
static_assert(offsetof(SettingsBlock, indicatorParams) == 5296);
static_assert(offsetof(SettingsBlock, customColors) == 5628);
static_assert(offsetof(SettingsBlock, builtinPaletteIndex) == 5692);
static_assert(offsetof(SettingsBlock, paletteColors) == 5696);
static_assert(offsetof(SettingsBlock, signalFileName) == 6016);
static_assert(offsetof(SettingsBlock, timeBackMode) == 6276);
static_assert(offsetof(SettingsBlock, timeBackWindowX) == 6280);
static_assert(offsetof(SettingsBlock, timeBackDockRight) == 6288);
static_assert(offsetof(SettingsBlock, timeBackDayIndex) == 6296);
static_assert(offsetof(SettingsBlock, savedRecomputeNeeded) == 6300);
static_assert(offsetof(SettingsBlock, timeBackComputedDate) == 6304);
static_assert(offsetof(SettingsBlock, showGuideLine) == 6308);
static_assert(offsetof(SettingsBlock, weekSeparatorsOn) == 6312);
static_assert(offsetof(SettingsBlock, displaySwitch32878) == 6316);
static_assert(offsetof(SettingsBlock, showSplitAdjusted) == 6320);
static_assert(offsetof(SettingsBlock, askRecomputeAtStart) == 6324);
static_assert(offsetof(SettingsBlock, recomputeNeeded) == 6328);
static_assert(offsetof(SettingsBlock, newTrendLineWidth) == 6336);
static_assert(offsetof(SettingsBlock, chartFontSize) == 6340);
static_assert(offsetof(SettingsBlock, lastPriceDate) == 6344);
static_assert(offsetof(SettingsBlock, orderLinkOn) == 6692);
static_assert(offsetof(SettingsBlock, monitoredGroup) == 6694);
static_assert(offsetof(SettingsBlock, tickGridOn) == 6696);
static_assert(offsetof(SettingsBlock, snapDraggedPrices) == 6697);
static_assert(offsetof(SettingsBlock, showShortNames) == 6699);
static_assert(offsetof(SettingsBlock, paneHeights) == 6700);
static_assert(offsetof(SettingsBlock, groupsDirty) == 6740);
static_assert(offsetof(SettingsBlock, kenUpdateDate) == 6744);
static_assert(offsetof(SettingsBlock, memoFontSize) == 6760);
static_assert(offsetof(SettingsBlock, infoBeepOnNotice) == 6764);
static_assert(offsetof(SettingsBlock, showAverageLine) == 6768);
static_assert(offsetof(SettingsBlock, hideAverageLineValues) == 6769);
static_assert(offsetof(SettingsBlock, showProfitOnClosingLine) == 6770);
static_assert(offsetof(SettingsBlock, buyOrderOptions) == 6780);
static_assert(offsetof(SettingsBlock, buyMarginKind) == 6784);
static_assert(offsetof(SettingsBlock, shortOrderOptions) == 6788);
static_assert(offsetof(SettingsBlock, shortMarginKind) == 6792);
static_assert(offsetof(SettingsBlock, thickChartLines) == 6796);
static_assert(offsetof(SettingsBlock, clipboardWithNames) == 6800);

struct SettingsBlockP2 {
  uint8_t reserved0[236];         // 0
  int32_t vendorGen2On;           // 236
  uint8_t reserved240[240];       // 240
  int32_t lastMonthlyBackupDate;  // 480, yyyymmdd
  uint8_t realTimeReceiveOn;      // 484
  uint8_t reserved485;            // 485
  uint8_t pastPriceAutoFetchOn;   // 486
  uint8_t reserved487;            // 487
  int32_t dataSource;             // 488: 0, 1 vendor, 2 broker
  uint8_t reserved492[4];         // 492
  LogFontImage memoLogFont;       // 496
  uint8_t reserved556[24];        // 556
  LogFontImage chartLogFont;      // 580
  uint8_t reserved640[3432];      // 640
};
static_assert(sizeof(SettingsBlockP2) == 4072, "velqo_p2.dat holds a 4072-byte block");
static_assert(offsetof(SettingsBlockP2, vendorGen2On) == 236);
static_assert(offsetof(SettingsBlockP2, lastMonthlyBackupDate) == 480);
static_assert(offsetof(SettingsBlockP2, realTimeReceiveOn) == 484);
static_assert(offsetof(SettingsBlockP2, pastPriceAutoFetchOn) == 486);
static_assert(offsetof(SettingsBlockP2, dataSource) == 488);
static_assert(offsetof(SettingsBlockP2, memoLogFont) == 496);
static_assert(offsetof(SettingsBlockP2, chartLogFont) == 580);

extern SettingsBlock gSettings;
extern SettingsBlockP2 gSettingsP2;
extern SettingsBlock gDefaultSettings;  // "DEFAULTDATA\velqo.dat", zero when absent
// The one copy the setting dialogs edit (the colour dialog, the analysis
// parameters, the colour swatches); it becomes live only on their OK.
extern SettingsBlock gSettingsEdit;

// The names the rest of the program uses for the fields.
inline int32_t& gCurrentPattern = gSettings.currentPattern;
inline ScreenPattern (&gScreenPatterns)[kScreenPatternCount] = gSettings.screenPatterns;
inline int32_t& gShowDetailWindow = gSettings.showDetailWindow;
inline int32_t& gDetailWindowX = gSettings.detailWindowX;
inline int32_t& gDetailWindowY = gSettings.detailWindowY;
inline int32_t& gDetailDockRight = gSettings.detailDockRight;
inline int32_t& gDetailDockBottom = gSettings.detailDockBottom;
inline int32_t& gShowGroupList = gSettings.showGroupList;
inline int32_t& gGroupListWidth = gSettings.groupListWidth;
inline int32_t& gShowDetailList = gSettings.showDetailList;
inline int32_t& gDetailListWidth = gSettings.detailListWidth;
inline IndicatorParameterSet (&gIndicatorParams)[3] = gSettings.indicatorParams;
inline int32_t& gBuiltinPaletteIndex = gSettings.builtinPaletteIndex;
inline ColorRef (&gPaletteColors)[kPaletteColorCount] = gSettings.paletteColors;
inline char (&gSignalFileName)[260] = gSettings.signalFileName;
inline int32_t& gTimeBackMode = gSettings.timeBackMode;
inline int32_t& gTimeBackWindowX = gSettings.timeBackWindowX;
inline int32_t& gTimeBackWindowY = gSettings.timeBackWindowY;
inline int32_t& gTimeBackDockRight = gSettings.timeBackDockRight;
inline int32_t& gTimeBackDockBottom = gSettings.timeBackDockBottom;
inline int32_t& gTimeBackDayIndex = gSettings.timeBackDayIndex;
inline int32_t& gSavedRecomputeNeeded = gSettings.savedRecomputeNeeded;
inline PackedDate& gTimeBackComputedDate = gSettings.timeBackComputedDate;
inline int32_t& gWeekSeparatorsOn = gSettings.weekSeparatorsOn;
inline int32_t& gShowSplitAdjusted = gSettings.showSplitAdjusted;
inline int32_t& gAskRecomputeAtStart = gSettings.askRecomputeAtStart;
inline int32_t& gRecomputeNeeded = gSettings.recomputeNeeded;
inline int32_t& gChartFontSize = gSettings.chartFontSize;
inline PackedDate& gLastPriceDate = gSettings.lastPriceDate;
inline uint8_t& gOrderLinkOn = gSettings.orderLinkOn;
inline uint8_t& gTickGridOn = gSettings.tickGridOn;
inline uint8_t& gShowShortNames = gSettings.showShortNames;
inline uint16_t (&gPaneHeights)[kPaneHeightCount] = gSettings.paneHeights;
inline uint16_t& gGroupsDirty = gSettings.groupsDirty;
inline uint16_t& gSavedGroupsDirty = gSettings.savedGroupsDirty;
inline PackedDate& gKenUpdateDate = gSettings.kenUpdateDate;
inline PackedDate& gPinfoUpdateDate = gSettings.pinfoUpdateDate;
inline int16_t& gMemoFontSize = gSettings.memoFontSize;
inline int16_t& gMemoLineSpacing = gSettings.memoLineSpacing;
inline uint8_t& gHideAverageLineValues = gSettings.hideAverageLineValues;
inline uint8_t& gThickChartLines = gSettings.thickChartLines;
inline uint8_t& gClipboardWithNames = gSettings.clipboardWithNames;
inline uint8_t& gClipboardWithMark = gSettings.clipboardWithMark;
inline int32_t& gVendorGen2On = gSettingsP2.vendorGen2On;
inline uint8_t& gRealTimeReceiveOn = gSettingsP2.realTimeReceiveOn;
inline uint8_t& gPastPriceAutoFetchOn = gSettingsP2.pastPriceAutoFetchOn;
inline int32_t& gDataSource = gSettingsP2.dataSource;
inline LogFontImage& gMemoLogFont = gSettingsP2.memoLogFont;
inline LogFontImage& gChartLogFont = gSettingsP2.chartLogFont;
