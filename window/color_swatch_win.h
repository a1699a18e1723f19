#pragma once
// The colour swatch control (class "CUSTOMCOLORCONTROL"): a box filled with
// the colour its window text numbers (see FindSwatchColor); a click or the
// space bar opens the colour picker on it. The colour dialog, the
// analysis-parameter pages and the group dialogs place them in their templates.
#include <windows.h>

constexpr wchar_t kColorSwatchClassName[] = L"CUSTOMCOLORCONTROL";
// Sent to the parent when a swatch gains (lParam 1) or loses (0) the focus,
// with the swatch in wParam; the parent answers with ShowSwatchFocusFrame.
constexpr UINT kSwatchFocusMessage = WM_USER + 100;
// WM_COMMAND notification code sent to the parent after a colour was chosen.
constexpr WORD kSwatchColorChanged = 1;

// Registers the class once; true when it is registered.
bool RegisterColorSwatchClass(HINSTANCE instance);
// The focus frame 3 pixels outside the swatch, drawn or taken away.
void ShowSwatchFocusFrame(HWND parent, HWND swatch, bool focused);
// The colour picker, owned by `owner`, for the colour of swatch `number`,
// with the edit copy's 16 custom colours; true when a colour was chosen and stored.
bool ChooseSwatchColor(HWND owner, int number);
// The number a swatch shows (its window text); INT_MIN when it has none.
int SwatchNumber(HWND swatch);
