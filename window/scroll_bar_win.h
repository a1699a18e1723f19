#pragma once
// Scroll bar controls set without a repaint of their own when they look the same.
#include <windows.h>

// Sets the bar's range, page and position; the bar is repainted with the next
// paint only when its arrows, track or thumb moved or changed state. A day
// step moves a long range by one, which mostly leaves the thumb on the same
// pixels, and a synchronous repaint of a bar costs milliseconds under Wine.
void SetScrollBarControl(HWND bar, const SCROLLINFO& info);
