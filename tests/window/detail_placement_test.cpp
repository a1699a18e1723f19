// Where the detail window may sit: inside the client below its top pixel,
// and against the edge it was docked to whatever the client's size.
#include <gtest/gtest.h>

#include "tests/support/row.h"
#include "window/detail_placement.h"

namespace {

TEST(DetailPlacementTest, ClampedIntoTheClientAndDockedToItsEdges) {
  const struct {
    const char* what;
    DetailPlacement in;
    int clientWidth, clientHeight;
    bool keepFree;
    std::vector<int64_t> expected;  // x, y, changed
  } cases[] = {
      {"inside", {100, 50, 120, 80, false, false}, 800, 600, false, Row(100, 50, 0)},
      {"left and above", {-30, 0, 120, 80, false, false}, 800, 600, false, Row(0, 1, 1)},
      {"past right and bottom", {790, 590, 120, 80, false, false}, 800, 600, false, Row(680, 520, 1)},
      {"docked right, wider client", {680, 50, 120, 80, true, false}, 1000, 600, false, Row(880, 50, 1)},
      {"docked bottom, higher client", {10, 520, 120, 80, false, true}, 800, 700, false, Row(10, 620, 1)},
      {"docked, dragged free", {500, 50, 120, 80, true, true}, 800, 600, true, Row(500, 50, 0)},
      {"client smaller than the window", {5, 5, 120, 80, true, true}, 100, 60, false, Row(0, 1, 1)},
  };
  for (const auto& c : cases) {
    DetailPlacement p = c.in;
    const bool changed = ClampDetailPlacement(&p, c.clientWidth, c.clientHeight, c.keepFree);
    EXPECT_EQ(Row(p.x, p.y, changed), c.expected) << c.what;
  }
}

TEST(DetailPlacementTest, DockedWhereverItTouchesAnEdge) {
  DetailPlacement p = {680, 1, 120, 80, false, true};
  UpdateDetailDockFlags(&p, 800, 600);
  EXPECT_EQ(Row(p.dockRight, p.dockBottom), Row(true, false));
  p.x = 679;
  p.y = 520;
  UpdateDetailDockFlags(&p, 800, 600);
  EXPECT_EQ(Row(p.dockRight, p.dockBottom), Row(false, true));
}

}  // namespace
