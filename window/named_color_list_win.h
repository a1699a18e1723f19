#pragma once
// The named colours in owner-drawn combo boxes (the memo editor's colour
// list): one brush per colour, the list filled with the names, each item
// drawn as a swatch and its name.
#include <windows.h>

extern HBRUSH gNamedColorBrushes[];  // kNamedColorCount, in gNamedColors' order

void CreateNamedColorBrushes();
void DeleteNamedColorBrushes();
// Empties the combo box, adds the 16 names (the item data is the colour's
// index) and selects `selected` (none when out of range).
void FillColorCombo(HWND combo, int selected);
// WM_DRAWITEM of such a combo box or list.
void DrawColorListItem(const DRAWITEMSTRUCT& item);
