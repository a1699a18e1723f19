#include "window/drag_modes.h"

#include <gtest/gtest.h>

#include "tests/support/row.h"

namespace {

TEST(DragModesTest, WhatEachModeAllows) {
  for (int32_t mode = 0; mode <= 17; ++mode) {
    const bool windowDrag = mode == 0 || mode == 8 || mode == 9 || mode == 10 || mode == 11;
    EXPECT_EQ(IsObjectDragMode(mode), !windowDrag) << mode;
    EXPECT_EQ(IsLineDrawingMode(mode), mode >= 5 && mode <= 7) << mode;
    EXPECT_EQ(HoverFollowsMouse(mode), mode != 8 && mode != 9 && mode != 11) << mode;
    EXPECT_EQ(LineDragCapturesMouse(mode), mode >= 3 && mode <= 5) << mode;
  }
}

TEST(DragModesTest, TrendLineHitsChooseTheMode) {
  EXPECT_EQ(Row(DragModeForLineHit(1, false), DragModeForLineHit(2, false), DragModeForLineHit(3, false)),
            Row(kDragLineBody, kDragLineFirstEnd, kDragLineSecondEnd));
  for (int hit : {1, 2, 3}) EXPECT_EQ(DragModeForLineHit(hit, true), kDragLockedLine);
  EXPECT_EQ(Row(DragModeForLineHit(0, false), DragModeForLineHit(4, true)), Row(kDragNone, kDragNone));
}

TEST(DragModesTest, PointsAreClampedIntoThePane) {
  struct Case {
    Rect pane;
    int x, y, clampedX, clampedY;
  };
  const Rect pane = {10, 20, 110, 220}, empty = {10, 20, 10, 20};
  for (const Case& c : {Case{pane, 5, 500, 10, 219}, Case{pane, 60, 100, 60, 100}, Case{empty, 300, -4, 10, 20}}) {
    int x = c.x, y = c.y;
    ClampPointIntoRect(c.pane, &x, &y);
    EXPECT_EQ(Row(x, y), Row(c.clampedX, c.clampedY)) << c.x << "," << c.y;
  }
}

}  // namespace
