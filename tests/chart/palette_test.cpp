#include "chart/palette.h"

#include <gtest/gtest.h>

#include "analysis/group_store.h"
#include "tests/support/global_state.h"

namespace {

// Swatch numbers: entries of the edit copy's palette, or group colours in the group edit copy.
TEST(Palette, SwatchNumbersNameEditPaletteEntriesAndGroupColours) {
  ScopedGlobalState globals;
  ASSERT_TRUE(AllocGroupTables());
  EXPECT_EQ(FindSwatchColor(0), &gSettingsEdit.paletteColors[0]);
  EXPECT_EQ(FindSwatchColor(79), &gSettingsEdit.paletteColors[79]);
  EXPECT_EQ(FindSwatchColor(80), nullptr);
  EXPECT_EQ(FindSwatchColor(-1), reinterpret_cast<ColorRef*>(&gGroupTableEdit->groups[0].nameColor));
  EXPECT_EQ(FindSwatchColor(-kGroupCount),
            reinterpret_cast<ColorRef*>(&gGroupTableEdit->groups[kGroupCount - 1].nameColor));
  EXPECT_EQ(FindSwatchColor(-kGroupCount - 1), nullptr);
  EXPECT_EQ(FindSwatchColor(-2147483647 - 1), nullptr);
}

}  // namespace
