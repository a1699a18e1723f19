#include "chart/print_layout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/sjis_text.h"
#include "tests/support/row.h"

namespace {

PageSetupImage A4(int32_t side, int32_t end) {
  PrinterSettings s;
  SetDefaultPrinterSettings(&s);
  s.pageSetup.paperWidth = 21000;
  s.pageSetup.paperHeight = 29700;
  s.pageSetup.marginLeft = s.pageSetup.marginRight = side;
  s.pageSetup.marginTop = s.pageSetup.marginBottom = end;
  return s.pageSetup;
}

TEST(PrintLayout, PrintableAreaKeepsTheMarginsInProportion) {
  EXPECT_EQ(Ltrb(PrintableArea(A4(3000, 2500), 4960, 7016)), (Ltrb4{708, 590, 4252, 6426})) << "A4 at 600 dpi";
  // 150000 x 30000 passes 32 bits.
  PageSetupImage wide = A4(150000, 0);
  wide.paperWidth = 200000;
  EXPECT_EQ(Ltrb(PrintableArea(wide, 30000, 1000)), (Ltrb4{22500, 0, 7500, 1000}));
  PageSetupImage unknown = A4(3000, 2500);
  unknown.paperWidth = 0;
  EXPECT_EQ(Ltrb(PrintableArea(unknown, 4960, 7016)), (Ltrb4{0, 0, 4960, 7016})) << "no paper size: all of it";
}

TEST(PrintLayout, FitsThePictureCentredOrDrawsNothing) {
  struct Case {
    const char* what;
    int64_t width, height;
    Rect area;
    bool drawn;
    Rect target;
  };
  const Case cases[] = {
      {"wide picture", 2000, 1000, {10, 10, 110, 110}, true, {10, 35, 110, 85}},
      {"tall picture", 1000, 4000, {0, 0, 200, 100}, true, {87, 0, 112, 100}},
      {"same shape", 300, 300, {5, 5, 65, 65}, true, {5, 5, 65, 65}},
      {"empty picture", 0, 1000, {0, 0, 100, 100}, false, {}},
      {"empty area", 100, 100, {50, 0, 50, 100}, false, {}},
      {"inverted area", 100, 100, {0, 100, 100, 0}, false, {}},
  };
  for (const Case& c : cases) {
    Rect target = {-1, -1, -1, -1};
    EXPECT_EQ(FitPictureInArea(c.width, c.height, c.area, &target), c.drawn) << c.what;
    if (c.drawn) EXPECT_EQ(Ltrb(target), Ltrb(c.target)) << c.what;
  }
}

TEST(PrintLayout, JobNameStartsWithThePatternAndEndsWithinItsSize) {
  const PrintJobChart chart = {"1301", "極洋", 80, "日足", "東証プライム"};
  char name[kPrintJobNameSize];
  BuildPrintJobName("パターン２\tF2", &chart, 1, name, sizeof name);
  EXPECT_STREQ(name, "パターン２【1301 極洋 (日足) - 東証プライム -】");

  // Names that fill their fields push the end past 256 bytes.
  char longName[80];
  for (size_t i = 0; i + 2 < sizeof longName; i += 2) memcpy(longName + i, "株", 2);
  memcpy(longName + 78, "YX", 2);  // a name field need not end within itself
  const PrintJobChart charts[3] = {{"1301", longName, 80, "日足", "東証プライム"},
                                   {"7203", longName, 80, "週足", "東証プライム"},
                                   {"9984", longName, 80, "月足", "東証プライム"}};
  for (int size : {kPrintJobNameSize, 200, 31}) {
    memset(name, 0x7F, sizeof name);
    BuildPrintJobName("パターン２\tF2", charts, 3, name, size);
    EXPECT_EQ(strncmp(name, "パターン２【", strlen("パターン２【")), 0) << size;
    EXPECT_LT(strlen(name), static_cast<size_t>(size)) << size;
    EXPECT_GT(strlen(name), static_cast<size_t>(size) - 3) << size;
    EXPECT_TRUE(IsCp932Text(name, size)) << "cut on a whole character " << size;
  }
}

}  // namespace
