#pragma once
// How far the list splitters and a chart's right margin may go, for drags
// and for values read from a file.

// Where a splitter or a margin goes while it is dragged to client x `x`.
constexpr int kMinListWidth = 100;
// The group list's width: at least 100 pixels, at most half the client.
int GroupListWidthForDrag(int x, int clientWidth);
// The detail list's width: its splitter stays between half the client and
// 100 pixels before the right edge.
int DetailListWidthForDrag(int x, int clientWidth);
// A chart's right margin: the start margin grows as the mouse moves left,
// at least 1 and at most half the client.
int RightMarginForDrag(int startMargin, int pressX, int x, int clientWidth);
// A stored width or margin as a drag in a client `clientWidth` wide would
// have left it: the same limits, for values read from a file or kept from a
// wider window.
int GroupListWidthInRange(int width, int clientWidth);
int DetailListWidthInRange(int width, int clientWidth);
int RightMarginInRange(int margin, int clientWidth);
