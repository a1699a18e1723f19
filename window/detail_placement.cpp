#include "window/detail_placement.h"

bool ClampDetailPlacement(DetailPlacement* placement, int clientWidth, int clientHeight, bool keepFree) {
  DetailPlacement& p = *placement;
  const int oldX = p.x;
  const int oldY = p.y;
  const int maxX = clientWidth - p.width;
  const int maxY = clientHeight - p.height;
  if (p.x > maxX) p.x = maxX;
  if (p.y > maxY) p.y = maxY;
  if (!keepFree) {
    if (p.dockRight) p.x = maxX;
    if (p.dockBottom) p.y = maxY;
  }
  // The top-left corner wins over the right and bottom edges in a window too small for it.
  if (p.x < 0) p.x = 0;
  if (p.y < 1) p.y = 1;
  return p.x != oldX || p.y != oldY;
}

void UpdateDetailDockFlags(DetailPlacement* placement, int clientWidth, int clientHeight) {
  placement->dockRight = placement->x == clientWidth - placement->width;
  placement->dockBottom = placement->y == clientHeight - placement->height;
}
