#include "window/named_color_list_win.h"

#include "chart/named_colors.h"
#include "platform/win_text.h"
#include "window/dialog_helpers_win.h"

HBRUSH gNamedColorBrushes[kNamedColorCount] = {};

void CreateNamedColorBrushes() {
  DeleteNamedColorBrushes();
  for (int i = 0; i < kNamedColorCount; ++i) gNamedColorBrushes[i] = CreateSolidBrush(gNamedColors[i].color);
}

void DeleteNamedColorBrushes() {
  for (HBRUSH& brush : gNamedColorBrushes) {
    if (brush != nullptr) DeleteObject(brush);
    brush = nullptr;
  }
}

void FillColorCombo(HWND combo, int selected) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < kNamedColorCount; ++i) {
    const int at = AddComboText(combo, gNamedColors[i].name);
    if (at >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(at), i);
  }
  SendMessageW(combo, CB_SETCURSEL, selected >= 0 && selected < kNamedColorCount ? selected : -1, 0);
}

// A swatch twice as wide as high at the item's left, framed black, then the
// name; a selected item is framed black as a whole.
void DrawColorListItem(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1) || (item.itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) == 0) return;
  const int index = static_cast<int>(item.itemData);
  if (index < 0 || index >= kNamedColorCount) return;
  const HDC dc = item.hDC;
  const RECT& rect = item.rcItem;
  FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  const int height = rect.bottom - rect.top;
  RECT swatch = {rect.left + 1, rect.top + 1, rect.left + 1 + 2 * (height - 2), rect.bottom - 1};
  const HBRUSH brush = gNamedColorBrushes[index] != nullptr ? gNamedColorBrushes[index]
                                                            : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  FillRect(dc, &swatch, brush);
  FrameRect(dc, &swatch, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  RECT text = rect;
  text.left = swatch.right + 4;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  DrawTextW(dc, SjisToWide(gNamedColors[index].name).c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  if ((item.itemState & ODS_SELECTED) != 0) FrameRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}
