#pragma once
// The Windows side of the price import: drive types and the chart lists.
void InstallPriceImportWinHooks();
