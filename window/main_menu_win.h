#pragma once
// The main menu's pattern texts and check marks.

// The 12 pattern names with their keys ("%s\tF%d") in the pattern menu.
void UpdatePatternMenuTexts();
// The Windows side of UpdateMenuStates: the current pattern's item, the
// selected chart's period and bar width checked; the toolbar buttons.
void RefreshMainMenuStates();
