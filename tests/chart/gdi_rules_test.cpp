// The GDI rules (contrast colours, centring, font requests), the built-in
// palettes, and the chart's small texts, colours and cross trails.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>

#include "chart/chart_text.h"
#include "chart/gdi_rules.h"
#include "chart/palette.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"

namespace {

using MakeFont = void (*)(const LogFontImage&, int, int, LogFontImage*);

LogFontImage Made(MakeFont make, const LogFontImage& setting, int height, int pitch) {
  LogFontImage font;
  memset(&font, 0xCC, sizeof font);
  make(setting, height, pitch, &font);
  return font;
}

bool Same(const LogFontImage& a, const LogFontImage& b) { return memcmp(&a, &b, sizeof a) == 0; }

TEST(GdiRulesTest, ContrastColoursStayReadableAndCentringTruncatesTheHalves) {
  // Channels are taken one by one; the unused top byte is ignored.
  EXPECT_EQ(Row(ContrastTextColor(0xFFFFFF), ContrastTextColor(0x000000), ContrastTextColor(0x808080),
                ContrastTextColor(0x7F7F7F), ContrastTextColor(0xFF00FF80)),
            Row(0x808080, 0x7F7F7F, 0xFFFFFF, 0x000000, 0x7F80FF));
  Rect inner = {0, 0, 5, 4}, wide = {100, 100, 130, 102};
  CenterRectInRect({10, 20, 20, 31}, &inner);
  CenterRectInRect({0, 0, 10, 10}, &wide);  // a larger inner rectangle sticks out on both sides
  EXPECT_EQ(std::make_pair(Ltrb(inner), Ltrb(wide)), std::make_pair(Ltrb4{12, 23, 17, 27}, Ltrb4{-10, 4, 20, 6}));
}

// Without a face only the height, Shift-JIS and the pitch are asked for; a named
// font keeps its style with the new height (width 0, the pitch unused), and the
// dialog's copy keeps its width too.
TEST(GdiRulesTest, FontRequestsAndDialogCopies) {
  const LogFontImage named = {-17, 9, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0x31, "ＭＳ ゴシック"};
  LogFontImage leftOver{};
  leftOver.weight = 900;  // without a face the setting is not used
  EXPECT_TRUE(Same(Made(MakeFontRequest, leftOver, 14, kFixedPitch),
                   {14, 0, 0, 0, 0, 0, 0, 0, kShiftJisCharSet, 0, 0, 0, kFixedPitch, ""}));
  EXPECT_TRUE(Same(Made(MakeFontRequest, named, 24, kFixedPitch),
                   {24, 0, 0, 0, 700, 1, 0, 0, kShiftJisCharSet, 0, 0, 0, 0x31, "ＭＳ ゴシック"}));
  EXPECT_TRUE(Same(Made(MakeFontDialogCopy, named, 12, kDefaultPitch),
                   {12, 9, 0, 0, 700, 1, 0, 0, kShiftJisCharSet, 0, 0, 0, 0x31, "ＭＳ ゴシック"}));
}

TEST(GdiRulesTest, CopiedFaceNamesAreAlwaysTerminated) {
  LogFontImage damaged = {-17, 9, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0x31, ""};
  memset(damaged.faceName, 'A', sizeof damaged.faceName);
  EXPECT_EQ(strlen(Made(MakeFontRequest, damaged, 12, kDefaultPitch).faceName), sizeof damaged.faceName - 1);
  CopyLogFont(damaged, &damaged);  // in place
  EXPECT_EQ(damaged.faceName[31], 0);
  ClearLogFont(&damaged);
  EXPECT_FALSE(HasFaceName(damaged));
  EXPECT_TRUE(Same(damaged, LogFontImage{}));
}

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>(r) | static_cast<ColorRef>(g) << 8 | static_cast<ColorRef>(b) << 16;
}

int Brightness(ColorRef c) { return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF); }

// Slot runs drawn as lines or marks over the pane background, then those filled behind the candles and lines.
constexpr int kLineSlots[][2] = {{kColorRising, kColorVolumeBars},
                                 {kColorIchimokuBase, kColorIchimokuLagging},
                                 {kColorCloseAverage0, kColorObvEma},
                                 {kColorLongSellMark, kColorLongBuyMark},
                                 {kColorBollingerCentre, kColorAdvanceDecline}};
constexpr int kBackdropSlots[][2] = {{kColorCloud, kColorCloudAlone},
                                     {kColorLongSellBackground, kColorLongBuyBackground},
                                     {kColorForecastBackground, kColorForecastBackground},
                                     {kColorCloudInverted, kColorScenarioLongHeld}};

class PaletteTest : public ::testing::Test {
 protected:
  ScopedGlobalState globals_;
};

// Every index, out of range ones too, loads a whole palette and leaves the
// spare slots empty; lines stay visible on its ground and backdrops stay near
// it so that candles and lines show over them.
TEST_F(PaletteTest, EachPaletteFillsEveryDialogSlotWithVisibleLinesAndLightBackdrops) {
  for (int index : {0, 2, 7, -1, 1}) {
    std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0x123456u);
    LoadBuiltinPalette(index);
    const bool known = index >= 0 && index < kBuiltinPaletteCount;
    EXPECT_EQ(gBuiltinPaletteIndex, known ? index : 0);
    for (int slot = 0; slot < kPaletteColorCount; ++slot)
      EXPECT_TRUE(slot < kColorSpare0 ? gPaletteColors[slot] != 0x123456u : gPaletteColors[slot] == 0) << slot;
    const ColorRef ground = gPaletteColors[kColorBackground];
    EXPECT_TRUE(known || ground == Rgb(255, 255, 255)) << index;
    EXPECT_NE(gPaletteColors[kColorScale], ground) << index;
    for (const auto& run : kLineSlots)
      for (int slot = run[0]; slot <= run[1]; ++slot) EXPECT_NE(gPaletteColors[slot], ground) << index << " " << slot;
    for (const auto& run : kBackdropSlots)
      for (int slot = run[0]; slot <= run[1]; ++slot) {
        EXPECT_NE(gPaletteColors[slot], ground) << index << " " << slot;
        EXPECT_LT(std::abs(Brightness(gPaletteColors[slot]) - Brightness(ground)), 200) << index << " " << slot;
      }
  }
  EXPECT_LT(Brightness(gPaletteColors[kColorBackground]), 384);  // black: the volume cloud takes its dark ramp
}

TEST_F(PaletteTest, OnlyAnEmptyPaletteIsReplaced) {
  std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0u);
  EXPECT_TRUE(IsPaletteEmpty(gPaletteColors));
  gBuiltinPaletteIndex = 1;
  LoadBuiltinPaletteIfEmpty();
  EXPECT_EQ(gPaletteColors[kColorRising], Rgb(255, 255, 128));
  gPaletteColors[kColorBackground] = Rgb(1, 2, 3);
  LoadBuiltinPaletteIfEmpty();
  EXPECT_FALSE(IsPaletteEmpty(gPaletteColors));
  EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(1, 2, 3));  // the user's colours stay
}

TEST(ChartTextTest, HundredthsKeepTheirSignAndAppendedTextsStayInsideTheirBuffer) {
  std::string texts;
  for (int32_t value : {1234, 5, 0, -5, -99, -100, -1234, INT_MAX, INT_MIN}) {
    char fixed2[kFixed2TextSize];
    memset(fixed2, 'x', sizeof fixed2);
    FormatFixed2(value, fixed2);
    texts += std::string(fixed2) + " ";
  }
  EXPECT_EQ(texts, "12.34 0.05 0.00 -0.05 -0.99 -1.00 -12.34 21474836.47 -21474836.48 ");
  char text[12] = "RSI";
  AppendIntText(text, sizeof text, 14);
  AppendPeriodUnit(text, sizeof text, 1);
  AppendPeriodUnit(text, sizeof text, 3);  // no such period
  AppendPeriodUnit(text, sizeof text, -1);
  EXPECT_STREQ(text, "RSI14週");
  AppendIntText(text, sizeof text, INT_MIN);
  EXPECT_EQ(strlen(text), sizeof text - 1);
}

TEST(ChartTextTest, LightenedChannelsStopAtTheirLimits) {
  EXPECT_EQ(Row(LightenColor(0x0010FA20, 32), LightenColor(0x00FFFFFF, 200), LightenColor(0x00102030, -0x20),
                LightenColor(0x00000000, 0)),
            Row(0x0030FF40u, 0x00FFFFFFu, 0x00000010u, 0));
}

// A point every 32 pixels from 64 on; far-apart points (a drag far outside the
// window) must not overflow and stay on the line.
TEST(ChartTextTest, CrossTrailsAddAPointEveryThirtyTwoPixelsFromSixtyFourOn) {
  // 40 px: the two ends; 63 px; 64 px: n = 2; 100 px: n = 3, also along a slope; none.
  EXPECT_EQ(Row(CountCrossTrailPoints(10, 10, 50, 10), CountCrossTrailPoints(10, 10, 73, 10),
                CountCrossTrailPoints(10, 10, 74, 10), CountCrossTrailPoints(0, 0, 100, 0),
                CountCrossTrailPoints(0, 0, 60, 80), CountCrossTrailPoints(5, 5, 5, 5)),
            Row(2, 2, 3, 4, 4, 2));
  const PixelPoint sloped = GetCrossTrailPoint(0, 0, 60, 80, 1);
  EXPECT_EQ(Row(GetCrossTrailPoint(0, 0, 100, 0, 1).x, GetCrossTrailPoint(0, 0, 100, 0, 2).x,
                GetCrossTrailPoint(0, 0, 100, 0, 3).x, sloped.x, sloped.y),
            Row(33, 66, 100, 20, 26));
  const int count = CountCrossTrailPoints(INT_MIN, 0, INT_MAX, 0);
  EXPECT_GT(count, 2);
  EXPECT_EQ(GetCrossTrailPoint(INT_MIN, 0, INT_MAX, 0, count - 1).x, INT_MAX);
  const PixelPoint middle = GetCrossTrailPoint(INT_MIN, INT_MIN, INT_MAX, INT_MAX, count / 2);
  EXPECT_EQ(middle.x, middle.y);
}

}  // namespace
