#pragma once
// The Windows side of the price update: its closing dialog, the wait cursor
// and the close of the main window for a program update.
#include "shell/price_update.h"

// The closing dialog over the main window; the button that closed it.
int ShowUpdateResultDialog(const UpdateResultLines& lines);
// Hands the members above to the price update (at start-up).
void InstallPriceUpdateWindows();
