#pragma once
// Chart texts kept as pictures: a paint draws hundreds of short texts, each
// costing a text layout (five for an outlined label), and most of them are
// the same from one paint to the next. A text seen a second time is drawn
// once on black and once on white; where every pixel is either the same on
// both or shows the ground, it is kept as a mask and a picture and copied
// with two blits from then on. Smoothed glyphs, which blend with what lies
// under them, and texts too large are always drawn as texts.
#include <windows.h>

#include <string>

// `text` in the DC's font with its top-left corner at (x, y), first four
// times one pixel off to each side in `outline`, then in `color`, as
// transparent ExtTextOutW calls draw it. False when the caller must draw it.
bool DrawKeptOutlinedText(HDC dc, const std::wstring& text, SIZE size, int x, int y, COLORREF color, COLORREF outline);
// DrawTextW of `text` in `rect` with the DC's font, colours and mode.
void DrawKeptText(HDC dc, const std::wstring& text, const RECT& rect, UINT flags);
struct KeptTextPlace {
  const std::wstring* text;
  RECT rect;
};
// DrawKeptText of each text, all in the DC's one state: where the DC's
// pixels are at hand the kept pictures are set straight into them, with no
// drawing call per text.
void DrawKeptTexts(HDC dc, const KeptTextPlace* places, int count, UINT flags);
// The kept pictures and the scratch bitmap they are drawn through.
void FreeLabelImages();
