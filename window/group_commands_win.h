#pragma once
// The group commands of the main menu and the list pop-up, on the group the
// selected chart shows: adding and removing stocks, clearing, the sort key
// and order, the clipboard copy and the import of a code list.
#include <windows.h>

// Routes a group command (the sort keys 3000 + n included); non-zero when it took the id.
int RunGroupCommand(HWND owner, int commandId);
// Greys what needs a selected chart and checks the shown group's order and sort key.
void UpdateGroupMenuItems(HMENU menu);
// The sub-menu (at any depth) that holds a command; null when none does.
HMENU FindSubMenuWithCommand(HMENU menu, int command);
// The sort-key sub-menu: one item 3000 + n per entry of the condition item list.
void FillSortItemMenu(HMENU menu);

// Told once when a group edit is refused because the group tables are being
// edited elsewhere; true when refused.
bool RefuseWhileGroupsEdited(HWND owner);

// Dialog 313, then the shown group's list on the clipboard; false when
// cancelled or the clipboard could not be had.
bool CopyGroupListToClipboard(HWND owner);
// The shown group's members replaced by the codes of a text file the user picks.
bool ImportGroupFromTextFile(HWND owner);
