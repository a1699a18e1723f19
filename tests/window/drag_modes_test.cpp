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
  const Rect pane = {10, 20, 110, 220};
  int x = 5, y = 500;
  ClampPointIntoRect(pane, &x, &y);
  EXPECT_EQ(Row(x, y), Row(10, 219));
  x = 60;
  y = 100;
  ClampPointIntoRect(pane, &x, &y);
  EXPECT_EQ(Row(x, y), Row(60, 100));
  x = 300;
  y = -4;
  ClampPointIntoRect({10, 20, 10, 20}, &x, &y);  // empty pane
  EXPECT_EQ(Row(x, y), Row(10, 20));
}

}  // namespace
