#pragma once
// What the mouse is doing with trend lines, shared by the mouse code that
// sets it, the painter that shows it and the commands that switch it.

// On (Ctrl+T): every press on a pane starts a new line, and the line stays
// when the button comes up.
extern bool gNewTrendLineMode;
// A new line drawn by a plain press: it has a colour of its own until it is
// kept.
extern bool gRubberBandLine;
// The line whose measuring text is shown: the new line (index = the table's
// count) while one is drawn, the dragged line during a drag; -1 otherwise.
extern int gHighlightedTrendLine;
