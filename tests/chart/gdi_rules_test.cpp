#include "chart/gdi_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shell/settings.h"
#include "tests/support/row.h"

namespace {

TEST(GdiRulesTest, ContrastColoursStayReadableOnEveryGrey) {
  // Channels are taken one by one; the unused top byte is ignored.
  EXPECT_EQ(Row(ContrastTextColor(0xFFFFFF), ContrastTextColor(0x000000), ContrastTextColor(0x808080),
                ContrastTextColor(0x7F7F7F), ContrastTextColor(0xFF00FF80)),
            Row(0x808080, 0x7F7F7F, 0xFFFFFF, 0x000000, 0x7F80FF));
}

TEST(GdiRulesTest, CentringTruncatesTheHalves) {
  Rect inner = {0, 0, 5, 4};
  CenterRectInRect({10, 20, 20, 31}, &inner);
  EXPECT_EQ(Ltrb(inner), (Ltrb4{12, 23, 17, 27}));
  // A larger inner rectangle sticks out on both sides.
  Rect wide = {100, 100, 130, 102};
  CenterRectInRect({0, 0, 10, 10}, &wide);
  EXPECT_EQ(Ltrb(wide), (Ltrb4{-10, 4, 20, 6}));
}

LogFontImage NamedFont() {
  LogFontImage font{};
  font.height = -17;
  font.width = 9;
  font.weight = 700;
  font.italic = 1;
  font.charSet = 0;
  font.pitchAndFamily = 0x31;
  strcpy(font.faceName, "ＭＳ ゴシック");
  return font;
}

TEST(GdiRulesTest, AFontWithoutFaceAsksOnlyForHeightShiftJisAndPitch) {
  LogFontImage setting{};
  setting.weight = 900;  // left over: without a face the setting is not used
  LogFontImage request;
  memset(&request, 0xCC, sizeof request);
  MakeFontRequest(setting, 14, kFixedPitch, &request);
  LogFontImage expected{};
  expected.height = 14;
  expected.charSet = kShiftJisCharSet;
  expected.pitchAndFamily = kFixedPitch;
  EXPECT_EQ(memcmp(&request, &expected, sizeof expected), 0);
}

TEST(GdiRulesTest, ANamedFontKeepsItsStyleWithTheNewHeightAndTheDialogCopyItsWidth) {
  LogFontImage expected = NamedFont();
  expected.height = 24;
  expected.width = 0;
  expected.charSet = kShiftJisCharSet;  // the pitch argument is not used
  LogFontImage request;
  MakeFontRequest(NamedFont(), 24, kFixedPitch, &request);
  EXPECT_EQ(memcmp(&request, &expected, sizeof expected), 0);
  expected.height = 12;
  expected.width = 9;
  MakeFontDialogCopy(NamedFont(), 12, kDefaultPitch, &request);
  EXPECT_EQ(memcmp(&request, &expected, sizeof expected), 0);
}

TEST(GdiRulesTest, CopiedFaceNamesAreAlwaysTerminated) {
  LogFontImage damaged = NamedFont();
  memset(damaged.faceName, 'A', sizeof damaged.faceName);
  LogFontImage request;
  MakeFontRequest(damaged, 12, kDefaultPitch, &request);
  EXPECT_EQ(strlen(request.faceName), sizeof request.faceName - 1);
  CopyLogFont(damaged, &damaged);  // in place
  EXPECT_EQ(damaged.faceName[31], 0);

  ClearLogFont(&damaged);
  EXPECT_FALSE(HasFaceName(damaged));
  const LogFontImage zero{};
  EXPECT_EQ(memcmp(&damaged, &zero, sizeof zero), 0);
}

}  // namespace
