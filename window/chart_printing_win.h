#pragma once
// Page setup and printing of the chart picture. The common dialogs and the
// spooler calls go through gPrintSpooler, which tests replace.
#include <windows.h>
#include <commdlg.h>

struct PrintSpooler {
  BOOL(WINAPI* pageSetupDialog)(LPPAGESETUPDLGA);
  BOOL(WINAPI* printDialog)(LPPRINTDLGA);
  DWORD(WINAPI* dialogError)();
  int(WINAPI* startDoc)(HDC, const DOCINFOA*);
  int(WINAPI* startPage)(HDC);
  int(WINAPI* endPage)(HDC);
  int(WINAPI* endDoc)(HDC);
  int(WINAPI* abortDoc)(HDC);
};
extern PrintSpooler gPrintSpooler;  // the system's unless a test put its own
extern const PrintSpooler kSystemSpooler;

// The system's page-setup dialog on the page-setup record, its sample page
// showing the charts.
void ShowPageSetup(HWND owner);
// The page-paint hook: WM_PSD_GREEKTEXTRECT draws the picture into the
// sample page's text rectangle (TRUE); every other message returns FALSE.
UINT_PTR CALLBACK PageSetupPaintHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The picture printed once per copy chosen in the print dialog, fitted
// within the page setup's margins.
void PrintChart(HWND owner);
