#include "window/color_swatch_win.h"

#include <commdlg.h>

#include <climits>
#include <cwchar>

#include "chart/palette.h"
#include "records/settings_block.h"

namespace {

constexpr int kFocusFrameGap = 3;

void PaintSwatch(HWND swatch) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(swatch, &paint);
  RECT client;
  GetClientRect(swatch, &client);
  const ColorRef* color = FindSwatchColor(SwatchNumber(swatch));
  if (color != nullptr) {
    const HBRUSH brush = CreateSolidBrush(*color & 0x00FFFFFF);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
  } else {
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  }
  EndPaint(swatch, &paint);
}

void PickColor(HWND swatch) {
  if (!ChooseSwatchColor(swatch, SwatchNumber(swatch))) return;
  InvalidateRect(swatch, nullptr, FALSE);
  const HWND parent = GetParent(swatch);
  if (parent != nullptr)
    SendMessageW(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(swatch), kSwatchColorChanged),
                 reinterpret_cast<LPARAM>(swatch));
}

void TellParentOfFocus(HWND swatch, bool focused) {
  const HWND parent = GetParent(swatch);
  if (parent != nullptr) SendMessageW(parent, kSwatchFocusMessage, reinterpret_cast<WPARAM>(swatch), focused ? 1 : 0);
}

LRESULT CALLBACK ColorSwatchWndProc(HWND swatch, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: PaintSwatch(swatch); return 0;
    case WM_LBUTTONDOWN:
      SetFocus(swatch);
      PickColor(swatch);
      return 0;
    case WM_KEYDOWN:
      if (wParam != VK_SPACE) break;
      PickColor(swatch);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTCHARS;  // the space bar reaches the swatch
    case WM_SETFOCUS: TellParentOfFocus(swatch, true); return 0;
    case WM_KILLFOCUS: TellParentOfFocus(swatch, false); return 0;
    default: break;
  }
  return DefWindowProcW(swatch, message, wParam, lParam);
}

}  // namespace

int SwatchNumber(HWND swatch) {
  wchar_t text[16] = L"";
  GetWindowTextW(swatch, text, 16);
  wchar_t* end = nullptr;
  const long number = wcstol(text, &end, 10);
  if (end == text || number < INT_MIN + 1 || number > INT_MAX) return INT_MIN;
  return static_cast<int>(number);
}

bool RegisterColorSwatchClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, kColorSwatchClassName, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = ColorSwatchWndProc;
  wc.hInstance = instance;
  wc.lpszClassName = kColorSwatchClassName;
  return RegisterClassExW(&wc) != 0;
}

void ShowSwatchFocusFrame(HWND parent, HWND swatch, bool focused) {
  RECT frame;
  GetWindowRect(swatch, &frame);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&frame), 2);
  InflateRect(&frame, kFocusFrameGap, kFocusFrameGap);
  if (!focused) {
    // Painted away rather than drawn over again: a repaint in between would
    // otherwise leave a stale frame behind.
    RedrawWindow(parent, &frame, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return;
  }
  UpdateWindow(parent);
  const HDC dc = GetDC(parent);
  DrawFocusRect(dc, &frame);
  ReleaseDC(parent, dc);
}

bool ChooseSwatchColor(HWND owner, int number) {
  ColorRef* color = FindSwatchColor(number);
  if (color == nullptr) return false;
  CHOOSECOLORW choose{};
  choose.lStructSize = sizeof choose;
  choose.hwndOwner = owner;
  choose.rgbResult = *color & 0x00FFFFFF;
  choose.lpCustColors = reinterpret_cast<COLORREF*>(gSettingsEdit.customColors);
  choose.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  if (!ChooseColorW(&choose)) return false;
  *color = choose.rgbResult & 0x00FFFFFF;
  return true;
}
