// Memo geometry: which part of a memo a point is on, the lines of a text and
// the sums kept within 32 bits (the arrow head and fading are checked on
// pixels under Wine).
#include "chart/memo_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "chart/memo_hooks.h"
#include "tests/support/row.h"

namespace {

TEST(MemoGeometryTest, HitPartsOfTipBoxAndShaft) {
  // Box 100..140 x 50..70, anchor well below and right of it.
  const Rect box = {100, 50, 140, 70};
  const MemoShape slanted = {200, 150, box, true};
  const MemoShape below = {120, 150, box, true};  // a vertical shaft from (120, 70)
  const MemoShape beside = {200, 60, box, true};  // a horizontal one from (140, 60)
  const MemoShape hidden = {200, 150, box, false};
  const struct {
    const char* what;
    const MemoShape& shape;
    int x, y, part;
  } cases[] = {
      {"tip centre", slanted, 200, 150, kMemoArrowTip},
      {"tip square, left edge in", slanted, 192, 142, kMemoArrowTip},
      {"tip square, right edge out", slanted, 208, 150, -1},
      {"box with the arrow", slanted, 100, 50, kMemoBox},
      {"box's right edge is out", slanted, 140, 60, -1},
      {"box without the arrow", hidden, 120, 60, kMemoWhole},
      {"no tip without the arrow", hidden, 200, 150, -1},
      {"no shaft without the arrow", hidden, 170, 110, -1},
      {"on the slanted shaft", slanted, 170, 110, kMemoWhole},
      {"beside the slanted shaft", slanted, 170, 60, -1},
      {"beyond the anchor", slanted, 230, 190, -1},
      {"vertical shaft, 8 px aside", below, 128, 100, kMemoWhole},
      {"vertical shaft, 9 px aside", below, 129, 100, -1},
      {"vertical shaft, past the anchor", below, 120, 159, -1},
      {"horizontal shaft, 8 px below", beside, 170, 68, kMemoWhole},
      {"horizontal shaft, 9 px below", beside, 170, 69, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(HitTestMemoShape(c.shape, c.x, c.y), c.part) << c.what;
}

std::vector<std::string> LinesOf(const char* text) {
  std::vector<MemoTextLine> lines;
  SplitMemoText(text, 512, &lines);
  std::vector<std::string> out;
  for (const MemoTextLine& line : lines) out.emplace_back(text + line.start, static_cast<size_t>(line.length));
  return out;
}

TEST(MemoGeometryTest, TextLinesDropTrailingBreaksAndAnEmptyTextIsOneLine) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(LinesOf(""), Lines{""});
  EXPECT_EQ(LinesOf("\r\n\n"), Lines{""});
  EXPECT_EQ(LinesOf("決算 5/12"), Lines{"決算 5/12"});
  EXPECT_EQ(LinesOf("a\r\nb\r\n\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(LinesOf("a\n\nb"), (Lines{"a", "", "b"}));
  // A text without its end stops at the field's size.
  const char unterminated[4] = {'a', '\n', 'b', 'c'};
  std::vector<MemoTextLine> lines;
  SplitMemoText(unterminated, 4, &lines);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(Row(lines[1].start, lines[1].length), Row(2, 2));
}

TEST(MemoGeometryTest, BoxesAreAsWideAsTheWidestLineAndSumsStayWithin32Bits) {
  // An empty text: twice the pad wide, one line high.
  EXPECT_EQ(Ltrb(LayOutMemoBox(10, 20, {0}, 16, 3)), (Ltrb4{10, 20, 16, 36}));
  EXPECT_EQ(Ltrb(LayOutMemoBox(10, 20, {30, 52, 7}, 16, 0)), (Ltrb4{10, 20, 62, 68}));
  EXPECT_EQ(Ltrb(LayOutMemoBox(INT_MAX - 5, 0, {30}, 16, 0)), (Ltrb4{INT_MAX - 5, 0, INT_MAX, 16}));
  EXPECT_EQ(Ltrb(PlaceMemoBox(100, 200, 16, -40, 50, 20)), (Ltrb4{116, 160, 166, 180}));
  EXPECT_EQ(Ltrb(PlaceMemoBox(INT_MAX - 10, INT_MIN + 10, INT_MAX, INT_MIN, 50, 20)),
            (Ltrb4{INT_MAX, INT_MIN, INT_MAX, INT_MIN}));
  EXPECT_EQ(Ltrb(MemoFrame({INT_MIN, 0, INT_MAX, 10})), (Ltrb4{INT_MIN, -3, INT_MAX, 13}));
  // A shaft of extreme length is still judged without overflow.
  const MemoShape far = {INT_MAX, INT_MAX, {0, 0, 10, 10}, true};
  EXPECT_EQ(HitTestMemoShape(far, 1000, 1000), kMemoWhole);
}

TEST(MemoGeometryTest, ShownBarsWidenRangesAndCentreBars) {
  const MemoBarWindow w = MemoVisibleBars(100, 150);
  EXPECT_EQ(Row(w.first, w.last), Row(50, 200));
  const MemoBarWindow extreme = MemoVisibleBars(INT_MIN, INT_MAX);
  EXPECT_EQ(Row(extreme.first, extreme.last), Row(INT_MIN, INT_MAX));

  int32_t low = 1000, high = 2000;
  WidenRangeForMemo(1500, 1800, 1200, &low, &high);  // fits: nothing changes
  EXPECT_EQ(Row(low, high), Row(1000, 2000));
  WidenRangeForMemo(1500, 2500, 900, &low, &high);
  EXPECT_EQ(Row(low, high), Row(899, 2501));
  low = INT_MIN, high = INT_MAX;
  WidenRangeForMemo(INT_MIN, INT_MAX, INT_MIN, &low, &high);
  EXPECT_EQ(Row(low, high), Row(INT_MIN, INT_MAX));

  // Bar spacing 10, plot right 1000: the last bar's column runs 988..998.
  EXPECT_EQ(MemoBoxCentreBar({990, 0, 1004, 10}, 500, 1000, 10), 500);
  EXPECT_EQ(MemoBoxCentreBar({960, 0, 974, 10}, 500, 1000, 10), 497);
  EXPECT_EQ(MemoBoxCentreBar({-100000, 0, -99990, 10}, 500, 1000, 10), 0);
}

}  // namespace
