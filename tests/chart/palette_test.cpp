#include "shell/settings.h"
#include "chart/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "shell/settings.h"
#include "tests/support/global_state.h"

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
  ScopedGlobalState globals_;
};

// Every index, out of range ones too, loads a whole palette and leaves the spare slots empty.
TEST_F(PaletteTest, EachPaletteFillsEveryDialogSlotAndOutOfRangeGivesTheWhiteGround) {
  for (int index : {0, 1, 2, 7, -1}) {
    std::fill(std::begin(gPaletteColors), std::end(gPaletteColors), 0x123456u);
    LoadBuiltinPalette(index);
    const bool known = index >= 0 && index < kBuiltinPaletteCount;
    EXPECT_EQ(gBuiltinPaletteIndex, known ? index : 0);
    for (int slot = 0; slot < kColorSpare0; ++slot) EXPECT_NE(gPaletteColors[slot], 0x123456u) << index << " " << slot;
    for (int slot = kColorSpare0; slot < kPaletteColorCount; ++slot) EXPECT_EQ(gPaletteColors[slot], 0u) << slot;
    if (!known) {
      EXPECT_EQ(gPaletteColors[kColorBackground], Rgb(255, 255, 255));
    }
  }
}

TEST_F(PaletteTest, EveryPaletteKeepsLinesVisibleAndBackdropsLight) {
  for (int index : {0, 2, 1}) {
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

}  // namespace
