#pragma once
// Outlined label texts kept as pictures: a chart may carry hundreds of
// labels, and drawing each one five times is most of what its lines cost.
#include <windows.h>

#include <string>

// `text` in the DC's font with its top-left corner at (x, y), first four
// times one pixel off to each side in `outline`, then in `color`, as
// transparent ExtTextOutW calls would draw it. False when the text cannot
// be kept as a picture (smoothed glyphs, too large): the caller draws it.
bool DrawKeptOutlinedText(HDC dc, const std::wstring& text, SIZE size, int x, int y, COLORREF color, COLORREF outline);
// The kept pictures and the scratch bitmap they are drawn through.
void FreeLabelImages();
