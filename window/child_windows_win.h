#pragma once
// The two small captioned child windows of the main window: the detail window
// that follows the cross-hair and the time-back window. They are made with
// the main window and stay hidden until their features show them.
#include <windows.h>

extern HWND gDetailWnd;
extern HWND gTimeBackWnd;

bool RegisterChildWindowClasses(HINSTANCE instance);
void CreateChildWindows(HWND mainWnd);
void DestroyChildWindows();
// True when the point (main-window client coordinates) lies over a shown child window.
bool IsOverChildWindow(HWND mainWnd, POINT client);
