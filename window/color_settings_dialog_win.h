#pragma once
// The colour dialog (menu "色の変更(&C)..."): the palette of the settings'
// edit copy on five pages of swatches, a built-in palette to start from, and
// palettes saved to and loaded from "*.PAL" files.
#include <windows.h>

// Runs the dialog; OK makes the edited colours live and repaints the main
// window. True on OK.
bool ShowColorSettingsDialog(HWND owner);
