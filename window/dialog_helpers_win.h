#pragma once
// What the dialogs share: their texts in and out through code page 932, the
// request a dialog was opened with, integers read within a range, list
// filling and the focus on an edit ready to be typed over.
#include <windows.h>

#include <string>

// An item's text in Shift-JIS (at most `limit` characters are read).
std::string GetDialogItemText(HWND dialog, int id, int limit = 256);
void SetDialogItemText(HWND dialog, int id, const char* sjis);

// Keeps WM_INITDIALOG's lParam as the dialog's request and returns it; null
// for the messages that come before it.
void* KeepDialogRequest(HWND dialog, UINT message, LPARAM lParam);
template <typename Request>
Request* DialogRequest(HWND dialog, UINT message, LPARAM lParam) {
  return static_cast<Request*>(KeepDialogRequest(dialog, message, lParam));
}

// The edit's whole number put within low..high; a text that is no number
// gives low.
int GetClampedDialogInt(HWND dialog, int id, int low, int high);
// The same, shown back in the edit when it differs from what was typed.
int ClampDialogIntItem(HWND dialog, int id, int low, int high);
void SetDialogInt(HWND dialog, int id, int value);

// Adds one Shift-JIS text; returns its index (negative on failure).
int AddComboText(HWND combo, const char* sjis);
int AddListText(HWND list, const char* sjis);
// Empties the combo box, adds `count` texts and selects `selected` (none when out of range).
void FillComboTexts(HWND combo, const char* const* texts, int count, int selected);

// The edit focused with its whole text selected, so that typing replaces it.
void FocusWholeText(HWND dialog, int id);

// Over the middle of its owner window, kept inside the owner's screen: for
// windows whose template cannot say so (a property sheet).
void CentreOnOwner(HWND window);

// A rectangle in dialog units from its corner and size.
RECT DialogUnitArea(int x, int y, int width, int height);
// A control made at run time over `area` (dialog units), in the dialog's font.
HWND CreateDialogControl(HWND dialog, const wchar_t* className, const wchar_t* text, DWORD style, DWORD exStyle,
                         RECT area, int id);
