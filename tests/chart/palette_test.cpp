#include "chart/palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "shell/settings.h"
#include "tests/support/global_state.h"

namespace {

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

}  // namespace
