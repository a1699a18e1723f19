#pragma once
// The pens, brush and fonts that every window draws with, made from the font
// settings at start-up, and the small drawing routines built on them.
#include <windows.h>

#include "chart/gdi_rules.h"

extern HBRUSH gFaceBrush;      // COLOR_BTNFACE
extern HPEN gHighlightPen;     // COLOR_BTNHIGHLIGHT, width 1
extern HPEN gShadowPen;        // COLOR_BTNSHADOW, width 1
extern HFONT gChartFont;       // chart font, gChartFontSize
extern HFONT gChartFixedFont;  // chart font, gChartFontSize, fixed pitch
extern HFONT gChartLargeFont;  // chart font, twice gChartFontSize
extern HFONT gSmallFixedFont;  // chart font, 12, fixed pitch
extern HFONT gMemoFont;        // memo font, gMemoFontSize, fixed pitch

extern TEXTMETRICW gChartTextMetrics;
extern TEXTMETRICW gFixedFontMetrics;
extern TEXTMETRICW gMemoTextMetrics;
extern TEXTMETRICW gSmallFixedTextMetrics;
extern TEXTMETRICW gChartLargeTextMetrics;

// Creates the shared objects (deleting any earlier ones first).
void CreateSharedGdiObjects();
void DeleteSharedGdiObjects();
void MeasureSharedFonts(HWND window);
// Delete, create and measure again after a font or size change.
void RecreateSharedGdiObjects(HWND window);

// pitch: kDefaultPitch or kFixedPitch (used only without a face name).
HFONT CreateFontFromSetting(const LogFontImage& setting, int height, int pitch);
HFONT CreateChartFont(int height, int pitch);
HFONT CreateMemoFont(int height);

// The system font dialog on a copy of the setting, Shift-JIS faces only; with
// `custom` the size controls are hidden. 1 when a font was chosen (written
// back whole), 0 when cancelled.
int ChooseFontForSetting(LogFontImage* setting, int height, int pitch, int custom);
UINT_PTR CALLBACK ChooseFontHookProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Menu commands: choose the chart font; back to the default face.
void ChooseChartFont();
void ResetChartFont();

void InvalidateWholeWindow(HWND window);
// Outline with the current pen; right and bottom edges on right - 1, bottom - 1.
void DrawRectOutline(HDC dc, const RECT& rect);
// Inverts the four one-pixel edges; a second call restores the picture.
void InvertRectOutline(HDC dc, const RECT& rect);
void CenterRectInRect(const RECT& outer, RECT* inner);
void FillButtonFaceRect(HDC dc, const RECT& rect);
// Clips to the rectangle within the earlier clip; returns that clip region
// (null: none) for PopClipRect.
HRGN PushClipRect(HDC dc, const RECT& rect);
void PopClipRect(HDC dc, HRGN saved);
void DrawRaisedPanel(HDC dc, const RECT& rect);
void DrawSunkenFrame(HDC dc, const RECT& rect);
// With `atOrigin` at the rectangle's top-left and size, otherwise at the
// bitmap's own size centred in the rectangle.
void DrawBitmapInRect(HDC dc, const RECT& rect, HBITMAP bitmap, bool atOrigin, DWORD rop);
// Text (Shift-JIS) on the chart background in its contrast colour.
void DrawContrastText(HDC dc, const RECT& rect, const char* text, UINT format);
// The value with separators in a framed box centred on x (x >= 1) or on y.
void DrawValueLabel(HDC dc, int value, int x, int y, const RECT& rect);
