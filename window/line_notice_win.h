#pragma once
// The notices of reached monitoring lines: modeless dialogs owned by the
// main window, one per line, kept in the line monitoring's list.
#include <windows.h>

// The notices' window side, for the main window while it exists; stopping
// closes every notice.
void StartLineNotices(HWND mainWnd);
void StopLineNotices();
// Keyboard navigation inside a notice; true when the message was taken.
bool RouteLineNoticeMessage(MSG& msg);
