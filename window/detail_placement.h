#pragma once
// Where the detail window may sit in the main window's client area, and
// whether it is docked against the right or bottom edge.

struct DetailPlacement {
  int x, y;           // the window's top-left corner in client coordinates
  int width, height;  // the window's outer size
  bool dockRight, dockBottom;
};

// Keeps the window inside the client (at least 1 pixel below its top, which
// the toolbar's edge takes) and, unless `keepFree`, moves a docked window
// back to its edge. True when x or y changed.
bool ClampDetailPlacement(DetailPlacement* placement, int clientWidth, int clientHeight, bool keepFree);
// The dock flags of a window at its place: against the right or bottom edge.
void UpdateDetailDockFlags(DetailPlacement* placement, int clientWidth, int clientHeight);
