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

// Slots drawn as lines or marks over the pane background.
constexpr int kLineSlots[] = {2,  3,  4,  12, 13, 14, 15, 16, 19, 20, 21, 22, 23, 24, 25, 26, 27,
                              28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44,
                              45, 46, 47, 48, 53, 54, 55, 56, 58, 59, 60, 61, 62, 63, 64, 65};
// Slots filled behind the candles and lines.
constexpr int kBackdropSlots[] = {17, 18, 49, 50, 51, 52, 57, 66, 67, 68, 69};

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
  EXPECT_EQ(gPaletteColors[0], Rgb(255, 255, 255));
  EXPECT_EQ(gPaletteColors[1], Rgb(192, 192, 192));
  EXPECT_EQ(gPaletteColors[2], Rgb(160, 0, 80));
  EXPECT_EQ(gPaletteColors[3], Rgb(0, 0, 255));
  // The table is slot by slot: its last dialog slots land where they belong.
  EXPECT_EQ(gPaletteColors[57], Rgb(255, 255, 190));
  EXPECT_EQ(gPaletteColors[72], Rgb(255, 0, 0));
  EXPECT_EQ(gPaletteColors[73], Rgb(0, 0, 255));
  for (int slot = 74; slot < kPaletteColorCount; ++slot) EXPECT_EQ(gPaletteColors[slot], 0u) << slot;
}

TEST_F(PaletteTest, EveryPaletteKeepsLinesVisibleAndBackdropsLight) {
  for (int index = 0; index < kBuiltinPaletteCount; ++index) {
    LoadBuiltinPalette(index);
    const ColorRef ground = gPaletteColors[0];
    EXPECT_NE(gPaletteColors[1], ground) << index;
    for (int slot : kLineSlots) EXPECT_NE(gPaletteColors[slot], ground) << index << " slot " << slot;
    for (int slot : kBackdropSlots) {
      EXPECT_NE(gPaletteColors[slot], ground) << index << " slot " << slot;
      // A backdrop stays near the ground so that candles and lines show over it.
      EXPECT_LT(std::abs(Brightness(gPaletteColors[slot]) - Brightness(ground)), 200) << index << " slot " << slot;
    }
  }
}

TEST_F(PaletteTest, BlackGroundAndMonochromeCandles) {
  LoadBuiltinPalette(1);
  EXPECT_EQ(gPaletteColors[0], Rgb(0, 0, 0));
  EXPECT_EQ(gPaletteColors[2], Rgb(255, 255, 128));
  EXPECT_EQ(gPaletteColors[3], Rgb(128, 255, 255));
  EXPECT_LT(Brightness(gPaletteColors[0]), 384);  // the volume cloud takes its dark ramp
  LoadBuiltinPalette(2);
  EXPECT_EQ(gPaletteColors[0], Rgb(255, 255, 255));
  EXPECT_EQ(gPaletteColors[2], Rgb(0, 0, 0));
  EXPECT_EQ(gPaletteColors[3], Rgb(0, 0, 0));
  EXPECT_EQ(gBuiltinPaletteIndex, 2);
}

TEST_F(PaletteTest, AnIndexOutOfRangeLoadsTheWhiteGround) {
  LoadBuiltinPalette(7);
  EXPECT_EQ(gBuiltinPaletteIndex, 0);
  EXPECT_EQ(gPaletteColors[0], Rgb(255, 255, 255));
  LoadBuiltinPalette(-1);
  EXPECT_EQ(gBuiltinPaletteIndex, 0);
}

TEST_F(PaletteTest, OnlyAnEmptyPaletteIsReplaced) {
  std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0u);
  EXPECT_TRUE(IsPaletteEmpty(gPaletteColors));
  gBuiltinPaletteIndex = 1;
  LoadBuiltinPaletteIfEmpty();
  EXPECT_EQ(gPaletteColors[2], Rgb(255, 255, 128));

  gPaletteColors[0] = Rgb(1, 2, 3);
  LoadBuiltinPaletteIfEmpty();
  EXPECT_FALSE(IsPaletteEmpty(gPaletteColors));
  EXPECT_EQ(gPaletteColors[0], Rgb(1, 2, 3));  // the user's colours stay
}

TEST_F(PaletteTest, DefaultSettingsCarryTheWhiteGround) {
  SetDefaultSettings();
  EXPECT_EQ(gBuiltinPaletteIndex, 0);
  EXPECT_EQ(gPaletteColors[0], Rgb(255, 255, 255));
  EXPECT_EQ(gPaletteColors[2], Rgb(160, 0, 80));
}

}  // namespace
