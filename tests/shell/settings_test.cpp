#include "shell/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "window/chart_window_layout.h"
#include "window/main_window_layout.h"
#include "chart/gdi_rules.h"
#include "common/sjis_text.h"
#include "common/stock_code.h"
#include "platform/platform.h"
#include "records/palette_slots.h"
#include "records/trend_line_record.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/support/scratch_folder.h"

namespace {

std::vector<uint8_t> Scrambled(const void* block, size_t size) {
  std::vector<uint8_t> bytes(static_cast<const uint8_t*>(block), static_cast<const uint8_t*>(block) + size);
  for (uint8_t& b : bytes) b ^= kSettingsXorByte;
  return bytes;
}

// A 1024 x 768 main window with the loaded settings: every chart of every
// pattern has panes and room for them.
void ExpectEveryPatternShowsItsCharts() {
  MainLayoutInput in{
      {0, 0, 1024, 768}, 28, 20, true, gGroupListWidth, true, gDetailListWidth, gChartFontSize, gPaneHeights,
      {true, true, true}};
  for (const ScreenPattern& pattern : gScreenPatterns) {
    MainWindowLayout layout;
    ComputeMainWindowLayout(in, pattern, &layout);
    ASSERT_FALSE(IsEmptyRect(layout.chartArea));
    for (int i = 0; i < layout.chartCount; ++i) {
      ASSERT_GT(pattern.views[i].paneCount, 0);
      ASSERT_TRUE(ChartHasRoomForPanes(layout.charts[i], pattern.views[i], gPaneHeights, gChartFontSize)) << i;
    }
  }
}

bool In(int64_t value, int64_t lo, int64_t hi) { return value >= lo && value <= hi; }
bool IsOnScreen(int32_t coordinate) { return In(coordinate, -kMaxScreenExtent, kMaxScreenExtent); }

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    memset(&gSettings, 0x5C, sizeof gSettings);  // whatever an earlier test left
  }
  ScopedGlobalState globals_;
  ScratchFolder folder_;
};

// Not the bytes an earlier test left: the defaults, which the range pass leaves
// as they are, "not set" values among them.
TEST_F(SettingsTest, MissingFilesOrFilesOfAnyOtherSizeGiveTheDefaults) {
  const SettingsBlockP2 zeroP2{};
  SetDefaultSettings();
  const SettingsBlock defaults = gSettings;
  for (int size : {-1, 0, 6811, 6813}) {  // -1: no file
    if (size >= 0) WriteWholeFile(folder_.path() + "velqo.dat", std::vector<uint8_t>(size, 0x11));
    memset(&gSettings, 0x5C, sizeof gSettings);
    LoadSettings();
    EXPECT_EQ(memcmp(&gSettings, &defaults, sizeof defaults), 0) << size;
    EXPECT_EQ(memcmp(&gSettingsP2, &zeroP2, sizeof zeroP2), 0) << size;
  }
}

TEST_F(SettingsTest, SaveWritesScrambledImagesThatLoadBackUnchangedAndOldValuesAreConverted) {
  LoadSettings();
  gCurrentPattern = 7;
  snprintf(gSignalFileName, sizeof gSignalFileName, "PLUGIN\\押し目.dat");
  gSignalFileName[sizeof gSignalFileName - 1] = 'Z';  // after the end of the name: kept as it is
  snprintf(gScreenPatterns[7].name, sizeof gScreenPatterns[7].name, "決算前");
  gScreenPatterns[7].views[1].stockCode = StringToCode("7203");
  gLastPriceDate = MakePackedDate(2026, 12, 4);
  gPaneHeights[3] = 77;
  gDataSource = 2;
  // What the program itself writes stays in range.
  gSettings.mainPlacement = {44, 2, 3, -32000, -32000, -8, -8, -1800, 40, -200, 1100};  // left screen, maximised
  gGroupListWidth = 512;
  gDetailListWidth = 98;
  ChartView& view = gScreenPatterns[11].views[2];
  view.lastBarIndex = kMaxBars + 40;  // scrolled past the end of a full series
  view.rightMargin = 960;
  view.paneCount = 12;
  view.paneFlags[0] = kPaneFlagBits;
  gScreenPatterns[4].views[1].lastBarIndex = -9;  // any negative index: the newest bar
  gPaneHeights[7] = 1;
  gPaneHeights[8] = kMaxPaneHeight;
  memcpy(gSettings.buyOrderOptions, kOrderOptionLimits, sizeof gSettings.buyOrderOptions);  // the largest ones
  gSettings.shortMarginKind = kMaxMarginKind;
  gChartLogFont = {-16, 0, 0, 0, 700, 1, 0, 0, 128, 3, 2, 1, 0x31, "ＭＳ ゴシック"};
  gMemoLogFont = {20, 8, 0, 0, 400, 0, 0, 0, 0, 0, 0x12, 6, 0x52, "IPAゴシック"};
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
  // Values an older version wrote are converted at load.
  gScreenPatterns[2].views[0].stockCode = 1301;  // a plain number
  gScreenPatterns[2].views[0].rightMargin = 0;
  gPaneHeights[4] = 0;
  gSettings.newTrendLineWidth = 0;
  ASSERT_EQ(SaveSettings(), 0);
  LoadSettings();
  EXPECT_EQ(Row(gScreenPatterns[2].views[0].stockCode, gScreenPatterns[2].views[0].rightMargin, gPaneHeights[4],
                gSettings.newTrendLineWidth),
            Row(StringToCode("1301"), 32, 40, 2));
}

// A foreign or damaged file must leave every index, size, place, colour, font and text usable.
TEST_F(SettingsTest, RandomFilesAreBroughtIntoRange) {
  std::mt19937 random;
  for (int round = 0; round < 50; ++round) {
    if (round % 10 == 0) random.seed(20261206 + round);  // five seeds, ten files each
    std::vector<uint8_t> main(6812), p2(4072);
    for (uint8_t& b : main) b = static_cast<uint8_t>(random());
    for (uint8_t& b : p2) b = static_cast<uint8_t>(random());
    WriteWholeFile(folder_.path() + "velqo.dat", main);
    WriteWholeFile(folder_.path() + "velqo_p2.dat", p2);
    LoadSettings();
    ASSERT_EQ(Row(In(gCurrentPattern, 0, 11), In(gBuiltinPaletteIndex, 0, 2), In(gSettings.paramSheetStartPage, 0, 14),
                  In(gChartFontSize, 12, 32), In(gMemoFontSize, 1, 32), gTimeBackDayIndex >= -1,
                  strlen(gSignalFileName) < sizeof gSignalFileName, In(gGroupListWidth, 100, kMaxScreenExtent / 2),
                  In(gDetailListWidth, 98, kMaxScreenExtent / 2), gThickChartLines <= 1),
              Row(1, 1, 1, 1, 1, 1, 1, 1, 1, 1));
    // The options a new line and a new tracker step start from: the order link takes no others.
    for (const auto& [options, marginKind] : {std::pair{gSettings.buyOrderOptions, gSettings.buyMarginKind},
                                              std::pair{gSettings.shortOrderOptions, gSettings.shortMarginKind}}) {
      ASSERT_EQ(Row(options[0] <= 1, options[1] <= 2, options[2] <= 1, options[3] <= 1, In(marginKind, 0, 3)),
                Row(1, 1, 1, 1, 1));
    }
    for (const LogFontImage& font : {gChartLogFont, gMemoLogFont}) {  // a level, readable font
      ASSERT_TRUE(IsCp932Text(font.faceName, sizeof font.faceName) && font.escapement == 0 && font.orientation == 0);
      ASSERT_TRUE(font.weight >= 0 && font.weight <= 1000 && font.underline <= 1 && font.strikeOut <= 1);
    }
    const WindowPlacementImage& p = gSettings.mainPlacement;
    ASSERT_TRUE(p.length == 0 || (p.right > p.left && p.bottom > p.top && IsOnScreen(p.left) && IsOnScreen(p.top) &&
                                  IsOnScreen(p.right) && IsOnScreen(p.bottom)));
    for (ColorRef color : gPaletteColors) ASSERT_LE(color, 0xFFFFFFu);
    for (const ScreenPattern& pattern : gScreenPatterns) {
      ASSERT_TRUE(pattern.chartCount >= 1 && pattern.chartCount <= 3) << pattern.chartCount;
      ASSERT_TRUE(IsCp932Text(pattern.name, sizeof pattern.name));
      for (const ChartView& view : pattern.views) {
        ASSERT_EQ(Row(IsStockCodeInRange(view.stockCode), In(view.paneCount, 0, 12),
                      view.barWidth % 2 == 1 && view.barWidth <= 19, In(view.groupIndex, 0, 123),
                      In(view.rightMargin, 1, kMaxScreenExtent / 2), view.lastBarIndex < 2 * kMaxBars),
                  Row(1, 1, 1, 1, 1, 1));
        for (uint32_t kind : view.paneKinds) ASSERT_LT(kind, uint32_t{kPaneKindCount});
        for (uint32_t flags : view.paneFlags) ASSERT_EQ(flags & ~kPaneFlagBits, 0u);
      }
    }
    for (uint16_t height : gPaneHeights) ASSERT_TRUE(height >= 1 && height <= kMaxPaneHeight) << height;
    ExpectEveryPatternShowsItsCharts();
  }
}

// Writes *value (when given) into a field, and returns what the field holds.
template <typename T>
int64_t Field(T& field, const int64_t* value) {
  if (value != nullptr) field = static_cast<T>(*value);
  return field;
}

// Each value a damaged file can hold beyond what the program writes takes
// the nearest limit the analysis-parameter sheet allows, or the default.
TEST_F(SettingsTest, EveryLoadedValueIsBroughtIntoTheRangeTheProgramWrites) {
  using S = SettingsBlock;
  using P = SettingsBlockP2;
  using V = const int64_t*;
  const struct {
    int64_t damaged;
    int64_t (*field)(S&, P&, V);
    int64_t expected;
  } cases[] = {
      {16600, [](S& s, P&, V v) { return Field(s.indicatorParams[0].slot[0], v); }, 300},    // an average in days
      {2, [](S& s, P&, V v) { return Field(s.indicatorParams[1].slot[5], v); }, 3},          // in weeks
      {0, [](S& s, P&, V v) { return Field(s.indicatorParams[2].slot[17], v); }, 0},         // no second deviation
      {31, [](S& s, P&, V v) { return Field(s.indicatorParams[0].slot[21], v); }, 30},       // stochastic %D
      {58451, [](S& s, P&, V v) { return Field(s.indicatorParams[0].slot[44], v); }, 5119},  // a price range
      {-7, [](S& s, P&, V v) { return Field(s.showGroupList, v); }, 1},
      {2, [](S& s, P&, V v) { return Field(s.recomputeNeeded, v); }, 1},
      {200, [](S&, P& p, V v) { return Field(p.realTimeReceiveOn, v); }, 0},
      {MakePackedDate(2026, 2, 30), [](S& s, P&, V v) { return Field(s.lastPriceDate, v); }, 0},
      {12, [](S& s, P&, V v) { return Field(s.currentPattern, v); }, 0},
      {20, [](S& s, P&, V v) { return Field(s.screenPatterns[3].views[1].barWidth, v) % 2; }, 1},
      {0, [](S& s, P&, V v) { return Field(s.paneHeights[5], v); }, 40},
      {99, [](S& s, P&, V v) { return Field(s.chartFontSize, v); }, 12},
      {15, [](S& s, P&, V v) { return Field(s.paramSheetStartPage, v); }, 0},
  };
  for (const auto& c : cases) {
    SetDefaultSettings();
    SettingsBlockP2 p2{};
    c.field(gSettings, p2, &c.damaged);
    BringSettingsIntoRange(gSettings, p2);
    EXPECT_EQ(c.field(gSettings, p2, nullptr), c.expected) << c.damaged;
  }
  memset(gSettings.signalFileName, 'A', sizeof gSettings.signalFileName);  // a name without its end
  SettingsBlockP2 p2{};
  BringSettingsIntoRange(gSettings, p2);
  EXPECT_EQ(gSettings.signalFileName[sizeof gSettings.signalFileName - 1], 0);
}

// Names that are no code page 932 text, or have no end, show as garbage: the default name.
TEST_F(SettingsTest, PatternNamesThatAreNoTextTakeTheirDefaults) {
  const std::pair<const char*, bool> names[] = {
      {"\x87\x40\x87\x54\x87\x80決算", true},  // NEC row 13: circled 1, roman I, a quotation mark
      {"ｶﾌﾞ 7203 (ﾃｽﾄ)", true},
      {"\xFA\x40\xED\x40", true},  // IBM extensions
      {"", true},
      {"\x85\x40", false},  // an empty row
      {"\xF0\x40", false},  // user-defined
      {"A\x82", false},     // half a character at the end
      {"\x82\x20", false},  // no trail byte
      {"tab\there", false},
      {"\xFD", false},
  };
  for (const auto& [name, kept] : names) {
    SetDefaultSettings();
    snprintf(gScreenPatterns[2].name, sizeof gScreenPatterns[2].name, "%s", name);
    ASSERT_EQ(SaveSettings(), 0);
    LoadSettings();
    EXPECT_STREQ(gScreenPatterns[2].name, kept ? name : "パターン3") << name;
  }
  SetDefaultSettings();
  memset(gScreenPatterns[9].name, 'A', sizeof gScreenPatterns[9].name);  // no end
  ASSERT_EQ(SaveSettings(), 0);
  LoadSettings();
  EXPECT_STREQ(gScreenPatterns[9].name, "パターン10");
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

// The distributed defaults give a new user the chart display part only:
// exactly the tabled byte ranges, independent of what lies in them.
constexpr std::pair<int, int> kDisplayRanges[] = {
    {44, 4},   {48, 5184}, {5280, 4}, {5288, 4}, {5296, 110}, {5406, 110}, {5516, 110}, {5628, 68}, {5696, 320},
    {6308, 4}, {6312, 4},  {6320, 4}, {6336, 4}, {6340, 4},   {6700, 40},  {6760, 2},   {6762, 2}};
bool InDisplayRange(size_t offset) {
  for (const auto& [from, size] : kDisplayRanges)
    if (offset >= static_cast<size_t>(from) && offset < static_cast<size_t>(from + size)) return true;
  return false;
}

TEST_F(SettingsTest, DefaultDisplaySettingsCopyExactlyTheDisplayRangesAndAFailedReadNothing) {
  ASSERT_EQ(PlatformCreateFolder("DEFAULTDATA"), 0);
  const std::string path = folder_.path() + "DEFAULTDATA/velqo.dat";
  std::vector<uint8_t> plain(sizeof(SettingsBlock), 0x55);
  WriteWholeFile(path, Scrambled(plain.data(), plain.size()));
  memset(&gSettings, 0xAA, sizeof gSettings);
  ASSERT_EQ(LoadDefaultDisplaySettings(kDefaultSettingsPath), 0);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&gSettings);
  for (size_t i = 0; i < sizeof gSettings; ++i) ASSERT_EQ(bytes[i], InDisplayRange(i) ? 0x55 : 0xAA) << i;
  for (int size : {-1, 6813}) {  // -1: no file
    if (size < 0) {
      ASSERT_EQ(PlatformDeleteFile(kDefaultSettingsPath), 0);
    } else {
      WriteWholeFile(path, std::vector<uint8_t>(size, 0x11));
    }
    memset(&gSettings, 0xAA, sizeof gSettings);
    EXPECT_NE(LoadDefaultDisplaySettings(kDefaultSettingsPath), 0) << size;
    for (size_t i = 0; i < sizeof gSettings; ++i) ASSERT_EQ(bytes[i], 0xAA) << size << " " << i;
  }
}

// Without a settings file of the user's, the distributed display values are
// taken: the memo size and spacing, not the last price date.
TEST_F(SettingsTest, DistributedDisplayValuesAreTakenOnlyWithoutAUserFile) {
  ASSERT_EQ(PlatformCreateFolder("DEFAULTDATA"), 0);
  const std::string path = folder_.path() + "DEFAULTDATA/velqo.dat";
  SetDefaultSettings();
  SettingsBlock file = gSettings;
  file.memoFontSize = 20;
  file.memoLineSpacing = 7;
  file.chartFontSize = 14;
  file.builtinPaletteIndex = 1;
  file.paletteColors[kColorBackground] = 0xFF000000;  // a top byte
  file.lastPriceDate = MakePackedDate(2020, 1, 6);    // not a display value
  WriteWholeFile(path, Scrambled(&file, sizeof file));
  LoadSettings();
  EXPECT_EQ(Row(gMemoFontSize, gMemoLineSpacing, gChartFontSize, gBuiltinPaletteIndex), Row(20, 7, 14, 1));
  EXPECT_EQ(gPaletteColors[kColorBackground], 0u);
  EXPECT_EQ(gLastPriceDate, PackedDate{0});
  // A user's own file is never mixed with the defaults.
  SetDefaultSettings();
  ASSERT_EQ(SaveSettings(), 0);
  LoadSettings();
  EXPECT_EQ(gMemoFontSize, 16);
}

// Random default files change nothing outside the display ranges, and what
// they give inside them has been through the range pass.
TEST_F(SettingsTest, RandomDefaultFilesChangeNothingOutsideTheDisplayRanges) {
  ASSERT_EQ(PlatformCreateFolder("DEFAULTDATA"), 0);
  LoadSettings();
  const SettingsBlock builtin = gSettings;
  const auto* expected = reinterpret_cast<const uint8_t*>(&builtin);
  const auto* bytes = reinterpret_cast<const uint8_t*>(&gSettings);
  std::mt19937 random(172);
  for (int run = 0; run < 50; ++run) {
    std::vector<uint8_t> file(sizeof(SettingsBlock));
    for (uint8_t& b : file) b = static_cast<uint8_t>(random());
    WriteWholeFile(folder_.path() + "DEFAULTDATA/velqo.dat", file);
    LoadSettings();
    for (size_t i = 0; i < sizeof gSettings; ++i) {
      if (!InDisplayRange(i)) {
        ASSERT_EQ(bytes[i], expected[i]) << run << " " << i;
      }
    }
    SettingsBlock again = gSettings;
    BringSettingsIntoRange(again, gSettingsP2);
    ASSERT_EQ(memcmp(&again, &gSettings, sizeof again), 0) << run;
  }
}

}  // namespace
