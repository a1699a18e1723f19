#include "chart/gdi_rules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "shell/settings.h"
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

}  // namespace
