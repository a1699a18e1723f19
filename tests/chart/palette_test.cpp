#include "shell/settings.h"
#include "chart/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr ColorRef Rgb(int r, int g, int b) {
  return static_cast<ColorRef>(r) | static_cast<ColorRef>(g) << 8 | static_cast<ColorRef>(b) << 16;
}

int Brightness(ColorRef c) { return (c & 0xFF) + (c >> 8 & 0xFF) + (c >> 16 & 0xFF); }

struct SlotRun {
  int first, last;
};
// Slots drawn as lines or marks over the pane background.
constexpr SlotRun kLineSlots[] = {{kColorRising, kColorVolumeBars},
                                  {kColorIchimokuBase, kColorIchimokuLagging},
                                  {kColorCloseAverage0, kColorObvEma},
                                  {kColorLongSellMark, kColorLongBuyMark},
                                  {kColorBollingerCentre, kColorAdvanceDecline}};
// Slots filled behind the candles and lines.
constexpr SlotRun kBackdropSlots[] = {{kColorCloud, kColorCloudAlone},
                                      {kColorLongSellBackground, kColorLongBuyBackground},
                                      {kColorForecastBackground, kColorForecastBackground},
                                      {kColorCloudInverted, kColorScenarioLongHeld}};

class PaletteTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = gSettings; }
  void TearDown() override { gSettings = saved_; }
  SettingsBlock saved_;
};

TEST_F(PaletteTest, WhiteGroundStartsWithTheListedColoursAndFillsEveryDialogSlot) {
  std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0x123456u);
  gBuiltinPaletteIndex = 2;
  LoadBuiltinPalette(0);
  EXPECT_EQ(gBuiltinPaletteIndex, 0);
  EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(255, 255, 255));
  EXPECT_EQ(gPaletteColors[kColorScale], Rgb(192, 192, 192));
  EXPECT_EQ(gPaletteColors[kColorRising], Rgb(160, 0, 80));
  EXPECT_EQ(gPaletteColors[kColorFalling], Rgb(0, 0, 255));
  // The table is slot by slot: its last dialog slots land where they belong.
  EXPECT_EQ(gPaletteColors[kColorForecastBackground], Rgb(255, 255, 190));
  EXPECT_EQ(gPaletteColors[kColorLongLossCut], Rgb(255, 0, 0));
  EXPECT_EQ(gPaletteColors[kColorShortLossCut], Rgb(0, 0, 255));
  for (int slot = kColorSpare0; slot < kPaletteColorCount; ++slot) EXPECT_EQ(gPaletteColors[slot], 0u) << slot;
}

TEST_F(PaletteTest, EveryPaletteKeepsLinesVisibleAndBackdropsLight) {
  for (int index = 0; index < kBuiltinPaletteCount; ++index) {
    LoadBuiltinPalette(index);
    const ColorRef ground = gPaletteColors[kColorBackground];
    EXPECT_NE(gPaletteColors[kColorScale], ground) << index;
    for (const SlotRun& run : kLineSlots) {
      for (int slot = run.first; slot <= run.last; ++slot)
        EXPECT_NE(gPaletteColors[slot], ground) << index << " slot " << slot;
    }
    for (const SlotRun& run : kBackdropSlots) {
      for (int slot = run.first; slot <= run.last; ++slot) {
        EXPECT_NE(gPaletteColors[slot], ground) << index << " slot " << slot;
        // A backdrop stays near the ground so that candles and lines show over it.
        EXPECT_LT(std::abs(Brightness(gPaletteColors[slot]) - Brightness(ground)), 200) << index << " slot " << slot;
      }
    }
  }
}

TEST_F(PaletteTest, BlackGroundAndMonochromeCandles) {
  LoadBuiltinPalette(1);
  EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(0, 0, 0));
  EXPECT_EQ(gPaletteColors[kColorRising], Rgb(255, 255, 128));
  EXPECT_EQ(gPaletteColors[kColorFalling], Rgb(128, 255, 255));
  EXPECT_LT(Brightness(gPaletteColors[kColorBackground]), 384);  // the volume cloud takes its dark ramp
  LoadBuiltinPalette(2);
  EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(255, 255, 255));
  EXPECT_EQ(gPaletteColors[kColorRising], Rgb(0, 0, 0));
  EXPECT_EQ(gPaletteColors[kColorFalling], Rgb(0, 0, 0));
  EXPECT_EQ(gBuiltinPaletteIndex, 2);
}

TEST_F(PaletteTest, AnIndexOutOfRangeLoadsTheWhiteGround) {
  LoadBuiltinPalette(7);
  EXPECT_EQ(gBuiltinPaletteIndex, 0);
  EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(255, 255, 255));
  LoadBuiltinPalette(-1);
  EXPECT_EQ(gBuiltinPaletteIndex, 0);
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

TEST_F(PaletteTest, DefaultSettingsCarryTheWhiteGround) {
  SetDefaultSettings();
  EXPECT_EQ(gBuiltinPaletteIndex, 0);
  EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(255, 255, 255));
  EXPECT_EQ(gPaletteColors[kColorRising], Rgb(160, 0, 80));
}

}  // namespace
