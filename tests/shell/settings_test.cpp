#include "shell/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "common/stock_code.h"
#include "platform/platform.h"
#include "tests/support/global_state.h"
#include "tests/support/scratch_folder.h"

namespace {

std::vector<uint8_t> Scrambled(const void* block, size_t size) {
  std::vector<uint8_t> bytes(static_cast<const uint8_t*>(block), static_cast<const uint8_t*>(block) + size);
  for (uint8_t& b : bytes) b ^= kSettingsXorByte;
  return bytes;
}

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(&gSettings, 0x5C, sizeof gSettings);  // whatever an earlier test left
  }
  ScopedGlobalState globals_;
  ScratchFolder folder_;
};

// Not the bytes an earlier test left: the defaults (spot checks of each part of the block).
TEST_F(SettingsTest, MissingFilesGiveTheDefaults) {
  LoadSettings();
  EXPECT_EQ(gCurrentPattern, 0);
  EXPECT_EQ(std::string(gScreenPatterns[0].name) + "|" + gScreenPatterns[11].name, "パターン1|パターン12");
  EXPECT_EQ(gScreenPatterns[5].views[2].stockCode, StringToCode("1001"));
  EXPECT_EQ(gScreenPatterns[5].views[2].lastBarIndex, -1);
  EXPECT_EQ(gIndicatorParams[1].slot[5], 208);
  EXPECT_EQ(gPaneHeights[13], kDefaultPaneHeight);
  EXPECT_EQ(gTimeBackDayIndex, -1);
  EXPECT_EQ(gChartLogFont.faceName[0], 0);
}

TEST_F(SettingsTest, SaveWritesScrambledImagesThatLoadBackUnchanged) {
  LoadSettings();
  gCurrentPattern = 7;
  snprintf(gScreenPatterns[7].name, sizeof gScreenPatterns[7].name, "決算前");
  gScreenPatterns[7].views[1].stockCode = StringToCode("7203");
  gLastPriceDate = MakePackedDate(2026, 12, 4);
  gPaneHeights[3] = 77;
  gDataSource = 2;
  snprintf(gMemoLogFont.faceName, sizeof gMemoLogFont.faceName, "ＭＳ ゴシック");
  ASSERT_EQ(SaveSettings(), 0);

  const auto main = ReadWholeFile(folder_.path() + "velqo.dat");
  const auto p2 = ReadWholeFile(folder_.path() + "velqo_p2.dat");
  ASSERT_EQ(main.size(), 6812u);
  ASSERT_EQ(p2.size(), 4072u);
  EXPECT_EQ(main, Scrambled(&gSettings, sizeof gSettings));
  EXPECT_EQ(p2, Scrambled(&gSettingsP2, sizeof gSettingsP2));

  const SettingsBlock saved = gSettings;
  const SettingsBlockP2 savedP2 = gSettingsP2;
  memset(&gSettings, 0, sizeof gSettings);
  memset(&gSettingsP2, 0, sizeof gSettingsP2);
  LoadSettings();
  EXPECT_EQ(memcmp(&gSettings, &saved, sizeof saved), 0);
  EXPECT_EQ(memcmp(&gSettingsP2, &savedP2, sizeof savedP2), 0);

  // Saving again gives the same bytes.
  ASSERT_EQ(SaveSettings(), 0);
  EXPECT_EQ(ReadWholeFile(folder_.path() + "velqo.dat"), main);
}

TEST_F(SettingsTest, FilesOfAnyOtherSizeAreReplacedByDefaults) {
  for (size_t size : {size_t{0}, size_t{6811}, size_t{6813}}) {
    WriteWholeFile(folder_.path() + "velqo.dat", std::vector<uint8_t>(size, 0x11));
    LoadSettings();
    EXPECT_STREQ(gScreenPatterns[0].name, "パターン1") << size;
    EXPECT_EQ(gIndicatorParams[0].slot[0], 5) << size;
  }
}

TEST_F(SettingsTest, OldValuesAreConvertedAtLoad) {
  LoadSettings();
  gScreenPatterns[2].views[0].stockCode = 1301;  // plain number of an older version
  gScreenPatterns[2].views[0].rightMargin = 0;
  gPaneHeights[4] = 0;
  gSettings.newTrendLineWidth = 0;
  ASSERT_EQ(SaveSettings(), 0);
  LoadSettings();
  EXPECT_EQ(gScreenPatterns[2].views[0].stockCode, StringToCode("1301"));
  EXPECT_EQ(gScreenPatterns[2].views[0].rightMargin, 32);
  EXPECT_EQ(gPaneHeights[4], 40);
  EXPECT_EQ(gSettings.newTrendLineWidth, 2);
}

// A foreign or damaged file must leave every index and size usable.
TEST_F(SettingsTest, RandomFilesAreBroughtIntoRange) {
  std::mt19937 random(20261206);
  for (int round = 0; round < 50; ++round) {
    std::vector<uint8_t> main(6812), p2(4072);
    for (uint8_t& b : main) b = static_cast<uint8_t>(random());
    for (uint8_t& b : p2) b = static_cast<uint8_t>(random());
    WriteWholeFile(folder_.path() + "velqo.dat", main);
    WriteWholeFile(folder_.path() + "velqo_p2.dat", p2);
    LoadSettings();
    ASSERT_TRUE(gCurrentPattern >= 0 && gCurrentPattern <= 11) << gCurrentPattern;
    ASSERT_TRUE(gBuiltinPaletteIndex >= 0 && gBuiltinPaletteIndex <= 2) << gBuiltinPaletteIndex;
    ASSERT_TRUE(gSettings.paramSheetStartPage >= 0 && gSettings.paramSheetStartPage <= 14);
    ASSERT_TRUE(gChartFontSize >= 12 && gChartFontSize <= 32) << gChartFontSize;
    ASSERT_TRUE(gMemoFontSize >= 1 && gMemoFontSize <= 32) << gMemoFontSize;
    ASSERT_GE(gTimeBackDayIndex, -1);
    ASSERT_LT(strlen(gSignalFileName), sizeof gSignalFileName);
    ASSERT_LT(strlen(gChartLogFont.faceName), sizeof gChartLogFont.faceName);
    ASSERT_LT(strlen(gMemoLogFont.faceName), sizeof gMemoLogFont.faceName);
    for (const ScreenPattern& pattern : gScreenPatterns) {
      ASSERT_TRUE(pattern.chartCount >= 1 && pattern.chartCount <= 3) << pattern.chartCount;
      ASSERT_LT(strlen(pattern.name), sizeof pattern.name);
      for (const ChartView& view : pattern.views) {
        ASSERT_TRUE(IsStockCodeInRange(view.stockCode));
        ASSERT_TRUE(view.paneCount >= 0 && view.paneCount <= 12) << view.paneCount;
        ASSERT_TRUE(view.barWidth % 2 == 1 && view.barWidth <= 19) << view.barWidth;
        ASSERT_TRUE(view.groupIndex >= 0 && view.groupIndex < 124) << view.groupIndex;
        ASSERT_GT(view.rightMargin, 0);
        for (uint32_t kind : view.paneKinds) ASSERT_LT(kind, 14u);
      }
    }
    for (uint16_t height : gPaneHeights) ASSERT_NE(height, 0);
  }
}

TEST_F(SettingsTest, DistributedDefaultsAreReadOnlyAtTheirExactSize) {
  ASSERT_EQ(PlatformCreateFolder("DEFAULTDATA"), 0);
  SetDefaultSettings();
  gChartFontSize = 20;
  WriteWholeFile(folder_.path() + "DEFAULTDATA/velqo.dat", Scrambled(&gSettings, sizeof gSettings));
  LoadSettings();
  EXPECT_EQ(gDefaultSettings.chartFontSize, 20);

  WriteWholeFile(folder_.path() + "DEFAULTDATA/velqo.dat", std::vector<uint8_t>(100, 1));
  LoadSettings();
  EXPECT_EQ(gDefaultSettings.chartFontSize, 0);
}

}  // namespace
