#pragma once
// The memo editor (dialog 213) and the memo commands of the menus: edit,
// arrows, font sizes and the memo font.
#include <windows.h>

// Runs the editor on memo `index` over `owner`; true when OK changed it.
bool RunMemoEditor(HWND owner, int index);
// A double-click: the memo under the point (selected ones first) becomes the
// only selected memo and is edited; 0 when no chart or memo lies there.
int EditMemoAtClientPoint(int x, int y);
// Menu commands 33003, 33028, 33103..33105, 33109, 33180 and 33181; 0 for any other id.
int RunMemoCommand(HWND owner, int commandId);
// The memo font from the font dialog, or back to the default face; saved
// with the second settings file, the charts redrawn.
void ChooseMemoFont();
void ResetMemoFont();
