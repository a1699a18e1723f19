#pragma once
// The charts of the current screen pattern as one enhanced metafile, drawn
// by the screen's own painter, and that picture on the clipboard, in a
// preview dialog, the page-setup sample page and on paper.
#include <windows.h>

// A new picture of the shown charts (the caller deletes it); null when no
// chart has room for its panes or the metafile could not be made.
HENHMETAFILE RenderChartsToMetafile();
// Plays the picture into `rect` with its aspect kept, centred; nothing for
// an empty picture or rectangle.
void DrawMetafileFitted(HDC dc, HENHMETAFILE picture, const RECT& rect);
// Puts the picture on the clipboard as CF_ENHMETAFILE; false when it could not.
bool CopyChartImage(HWND owner);
// Dialog 170: the picture on a white page the size of the screen.
void ShowPrintPreview(HWND owner);
