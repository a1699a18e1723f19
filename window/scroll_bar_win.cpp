#include "window/scroll_bar_win.h"

#include <cstring>

namespace {

bool ReadBarLook(HWND bar, SCROLLBARINFO* look) {
  *look = SCROLLBARINFO{};
  look->cbSize = sizeof *look;
  return GetScrollBarInfo(bar, OBJID_CLIENT, look) != FALSE;
}

// What a bar's pixels depend on besides the colours.
bool SameLook(const SCROLLBARINFO& a, const SCROLLBARINFO& b) {
  return EqualRect(&a.rcScrollBar, &b.rcScrollBar) && a.dxyLineButton == b.dxyLineButton &&
         a.xyThumbTop == b.xyThumbTop && a.xyThumbBottom == b.xyThumbBottom &&
         memcmp(a.rgstate, b.rgstate, sizeof a.rgstate) == 0;
}

}  // namespace

void SetScrollBarControl(HWND bar, const SCROLLINFO& info) {
  SCROLLBARINFO before;
  SCROLLBARINFO after;
  const bool known = ReadBarLook(bar, &before);
  SetScrollInfo(bar, SB_CTL, &info, FALSE);
  if (!known || !ReadBarLook(bar, &after) || !SameLook(before, after)) InvalidateRect(bar, nullptr, TRUE);
}
