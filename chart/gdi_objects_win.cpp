// Shared pens, brush and fonts, the font dialog and the small drawing routines.

#include "chart/gdi_objects_win.h"

#include <commdlg.h>

#include <cstring>
#include <string>

#include "common/number_text.h"
#include "platform/win_text.h"
#include "common/app_globals.h"
#include "chart/chart_hooks.h"
#include "chart/chart_paint_win.h"
#include "chart/memo_store.h"
#include "records/settings_block.h"

HBRUSH gFaceBrush = nullptr;
HPEN gHighlightPen = nullptr;
HPEN gShadowPen = nullptr;
HFONT gChartFont = nullptr;
HFONT gChartFixedFont = nullptr;
HFONT gChartLargeFont = nullptr;
HFONT gSmallFixedFont = nullptr;
HFONT gMemoFont = nullptr;

TEXTMETRICW gChartTextMetrics;
TEXTMETRICW gFixedFontMetrics;
TEXTMETRICW gMemoTextMetrics;
TEXTMETRICW gSmallFixedTextMetrics;
TEXTMETRICW gChartLargeTextMetrics;

namespace {

constexpr int kSmallFixedFontHeight = 12;
constexpr int kFaceListId = 1136;   // cmb1
constexpr int kSizeLabelId = 1090;  // stc3
constexpr int kSizeListId = 1138;   // cmb3
constexpr int kLabelPadX = 4;
constexpr int kLabelPadY = 2;

LOGFONTW ToLogFontW(const LogFontImage& image) {
  LOGFONTW font{};
  font.lfHeight = image.height;
  font.lfWidth = image.width;
  font.lfEscapement = image.escapement;
  font.lfOrientation = image.orientation;
  font.lfWeight = image.weight;
  font.lfItalic = image.italic;
  font.lfUnderline = image.underline;
  font.lfStrikeOut = image.strikeOut;
  font.lfCharSet = image.charSet;
  font.lfOutPrecision = image.outPrecision;
  font.lfClipPrecision = image.clipPrecision;
  font.lfQuality = image.quality;
  font.lfPitchAndFamily = image.pitchAndFamily;
  const std::wstring face = SjisToWide(image.faceName, static_cast<int>(strnlen(image.faceName, LF_FACESIZE)));
  wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return font;
}

void FromLogFontW(const LOGFONTW& font, LogFontImage* image) {
  ClearLogFont(image);
  image->height = font.lfHeight;
  image->width = font.lfWidth;
  image->escapement = font.lfEscapement;
  image->orientation = font.lfOrientation;
  image->weight = font.lfWeight;
  image->italic = font.lfItalic;
  image->underline = font.lfUnderline;
  image->strikeOut = font.lfStrikeOut;
  image->charSet = font.lfCharSet;
  image->outPrecision = font.lfOutPrecision;
  image->clipPrecision = font.lfClipPrecision;
  image->quality = font.lfQuality;
  image->pitchAndFamily = font.lfPitchAndFamily;
  WideToSjisBuffer(font.lfFaceName, image->faceName, sizeof image->faceName);
}

int CALLBACK NoteFaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool IsFaceInstalled(const LOGFONTW& font) {
  LOGFONTW query{};
  query.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(query.lfFaceName, font.lfFaceName, LF_FACESIZE - 1);
  const HDC dc = GetDC(nullptr);
  if (dc == nullptr) return true;  // no way to tell: ask for the face anyway
  bool found = false;
  EnumFontFamiliesExW(dc, &query, NoteFaceFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  return found;
}

template <typename T>
void DeleteGdiObject(T& object) {
  if (object != nullptr) DeleteObject(object);
  object = nullptr;
}

void MeasureFont(HDC dc, HFONT font, TEXTMETRICW* metrics) {
  const HGDIOBJ old = SelectObject(dc, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  GetTextMetricsW(dc, metrics);
  SelectObject(dc, old);
}

// The font took effect: objects, then the window's layout and menus, and a repaint.
void ApplyChartFontChange() {
  const HWND main = static_cast<HWND>(gMainWnd);
  RecreateSharedGdiObjects(main);
  if (gChartHooks.chartFontApplied != nullptr) gChartHooks.chartFontApplied();
  if (main != nullptr) InvalidateWholeWindow(main);
}

void DeleteAtFaces(HWND faceList) {
  for (int i = static_cast<int>(SendMessageW(faceList, CB_GETCOUNT, 0, 0)) - 1; i >= 0; --i) {
    const LRESULT length = SendMessageW(faceList, CB_GETLBTEXTLEN, i, 0);
    if (length <= 0) continue;
    std::wstring face(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(faceList, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face.data()));
    if (face[0] == L'@') SendMessageW(faceList, CB_DELETESTRING, i, 0);
  }
}

// The dialog may have picked a vertical face before its entry went: take the
// same face written horizontally, or the first one, and let the dialog follow.
void LeaveAtFace(HWND dialog, HWND faceList) {
  wchar_t shown[LF_FACESIZE + 1] = L"";
  GetWindowTextW(faceList, shown, LF_FACESIZE + 1);
  if (shown[0] != L'@') return;
  LRESULT index =
      SendMessageW(faceList, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(shown + 1));
  if (index == CB_ERR) index = 0;
  SendMessageW(faceList, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kFaceListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(faceList));
}

// Top and left edges in one pen, right and bottom edges in the other.
void DrawBevel(HDC dc, const RECT& rect, HPEN topLeft, HPEN bottomRight) {
  const HGDIOBJ old = SelectObject(dc, topLeft);
  MoveToEx(dc, rect.left, rect.bottom - 1, nullptr);
  LineTo(dc, rect.left, rect.top);
  LineTo(dc, rect.right - 1, rect.top);
  SelectObject(dc, bottomRight);
  LineTo(dc, rect.right - 1, rect.bottom - 1);
  LineTo(dc, rect.left - 1, rect.bottom - 1);
  SelectObject(dc, old);
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

void CreateSharedGdiObjects() {
  DeleteSharedGdiObjects();
  gFaceBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
  gHighlightPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  gShadowPen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  gChartFont = CreateChartFont(gChartFontSize, kDefaultPitch);
  gChartFixedFont = CreateChartFont(gChartFontSize, kFixedPitch);
  gChartLargeFont = CreateChartFont(2 * gChartFontSize, kDefaultPitch);
  gSmallFixedFont = CreateChartFont(kSmallFixedFontHeight, kFixedPitch);
  gMemoFont = CreateMemoFont(gMemoFontSize);
}

void DeleteSharedGdiObjects() {
  DeleteGdiObject(gFaceBrush);
  DeleteGdiObject(gHighlightPen);
  DeleteGdiObject(gShadowPen);
  DeleteGdiObject(gChartFont);
  DeleteGdiObject(gChartFixedFont);
  DeleteGdiObject(gChartLargeFont);
  DeleteGdiObject(gSmallFixedFont);
  DeleteGdiObject(gMemoFont);
  ForgetDateAxisLabelWidths();
}

void MeasureSharedFonts(HWND window) {
  const HDC dc = GetDC(window);
  if (dc == nullptr) return;
  MeasureFont(dc, gChartFont, &gChartTextMetrics);
  MeasureFont(dc, gChartFixedFont, &gFixedFontMetrics);
  MeasureFont(dc, gMemoFont, &gMemoTextMetrics);
  gMemoTextHeight = gMemoTextMetrics.tmHeight;
  MeasureFont(dc, gSmallFixedFont, &gSmallFixedTextMetrics);
  MeasureFont(dc, gChartLargeFont, &gChartLargeTextMetrics);
  ReleaseDC(window, dc);
}

void RecreateSharedGdiObjects(HWND window) {
  CreateSharedGdiObjects();
  MeasureSharedFonts(window);
}

// A face this system lacks would be replaced by whatever the font mapper finds
// closest, possibly a symbol font: the default face is used instead.
HFONT CreateFontFromSetting(const LogFontImage& setting, int height, int pitch) {
  LogFontImage request;
  MakeFontRequest(setting, height, pitch, &request);
  LOGFONTW font = ToLogFontW(request);
  if (font.lfFaceName[0] != 0 && !IsFaceInstalled(font)) {
    MakeFontRequest(LogFontImage{}, height, pitch, &request);
    font = ToLogFontW(request);
  }
  return CreateFontIndirectW(&font);
}

HFONT CreateChartFont(int height, int pitch) { return CreateFontFromSetting(gChartLogFont, height, pitch); }

HFONT CreateMemoFont(int height) { return CreateFontFromSetting(gMemoLogFont, height, kFixedPitch); }

UINT_PTR CALLBACK ChooseFontHookProc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
  if (message != WM_INITDIALOG) return 0;
  // Vertical-writing faces ("@...") are of no use on a chart.
  const HWND faceList = GetDlgItem(dialog, kFaceListId);
  DeleteAtFaces(faceList);
  LeaveAtFace(dialog, faceList);
  const auto* choice = reinterpret_cast<const CHOOSEFONTW*>(lParam);
  if (choice != nullptr && choice->lCustData != 0) {
    ShowWindow(GetDlgItem(dialog, kSizeLabelId), SW_HIDE);
    ShowWindow(GetDlgItem(dialog, kSizeListId), SW_HIDE);
  }
  return 0;
}

int ChooseFontForSetting(LogFontImage* setting, int height, int pitch, int custom) {
  LogFontImage copy;
  MakeFontDialogCopy(*setting, height, pitch, &copy);
  LOGFONTW font = ToLogFontW(copy);
  CHOOSEFONTW choice{};
  choice.lStructSize = sizeof choice;
  choice.hwndOwner = static_cast<HWND>(gMainWnd);
  choice.lpLogFont = &font;
  choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_FORCEFONTEXIST | CF_SELECTSCRIPT | CF_ENABLEHOOK;
  choice.lCustData = static_cast<LPARAM>(custom);
  choice.lpfnHook = ChooseFontHookProc;
  if (!ChooseFontW(&choice)) return 0;
  FromLogFontW(font, setting);
  return 1;
}

void ChooseChartFont() {
  if (ChooseFontForSetting(&gChartLogFont, gChartFontSize, kDefaultPitch, 1) == 0) return;
  if (gChartHooks.saveSettingsP2 != nullptr) gChartHooks.saveSettingsP2();
  ApplyChartFontChange();
}

void ResetChartFont() {
  if (!HasFaceName(gChartLogFont)) return;
  ClearLogFont(&gChartLogFont);
  if (gChartHooks.saveSettingsP2 != nullptr) gChartHooks.saveSettingsP2();
  ApplyChartFontChange();
}

void InvalidateWholeWindow(HWND window) { InvalidateRect(window, nullptr, FALSE); }

void DrawRectOutline(HDC dc, const RECT& rect) {
  MoveToEx(dc, rect.left, rect.top, nullptr);
  LineTo(dc, rect.right - 1, rect.top);
  LineTo(dc, rect.right - 1, rect.bottom - 1);
  LineTo(dc, rect.left, rect.bottom - 1);
  LineTo(dc, rect.left, rect.top);
}

void InvertRectOutline(HDC dc, const RECT& rect) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  PatBlt(dc, rect.left, rect.top, width, 1, DSTINVERT);
  PatBlt(dc, rect.left, rect.bottom - 1, width, 1, DSTINVERT);
  PatBlt(dc, rect.left, rect.top, 1, height, DSTINVERT);
  PatBlt(dc, rect.right - 1, rect.top, 1, height, DSTINVERT);
}

void CenterRectInRect(const RECT& outer, RECT* inner) {
  Rect centred = ToRect(*inner);
  CenterRectInRect(ToRect(outer), &centred);
  *inner = {centred.left, centred.top, centred.right, centred.bottom};
}

void FillButtonFaceRect(HDC dc, const RECT& rect) {
  if (!IsRectEmpty(&rect)) FillRect(dc, &rect, gFaceBrush);
}

HRGN PushClipRect(HDC dc, const RECT& rect) {
  HRGN saved = CreateRectRgn(0, 0, 0, 0);
  if (saved != nullptr && GetClipRgn(dc, saved) != 1) {
    DeleteObject(saved);
    saved = nullptr;
  }
  const HRGN clip = CreateRectRgnIndirect(&rect);
  // Within the earlier clip: a paint of part of the window stays inside it.
  if (clip != nullptr && saved != nullptr) CombineRgn(clip, clip, saved, RGN_AND);
  SelectClipRgn(dc, clip);
  DeleteObject(clip);
  return saved;
}

void PopClipRect(HDC dc, HRGN saved) {
  SelectClipRgn(dc, saved);
  if (saved != nullptr) DeleteObject(saved);
}

void DrawRaisedPanel(HDC dc, const RECT& rect) {
  FillRect(dc, &rect, gFaceBrush);
  DrawBevel(dc, rect, gHighlightPen, gShadowPen);
}

void DrawSunkenFrame(HDC dc, const RECT& rect) {
  if (!IsRectEmpty(&rect)) DrawBevel(dc, rect, gShadowPen, gHighlightPen);
}

void DrawBitmapInRect(HDC dc, const RECT& rect, HBITMAP bitmap, bool atOrigin, DWORD rop) {
  const HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  const HGDIOBJ old = SelectObject(memory, bitmap);
  RECT place = rect;
  if (!atOrigin) {
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    place = {0, 0, info.bmWidth, info.bmHeight};
    CenterRectInRect(rect, &place);
  }
  BitBlt(dc, place.left, place.top, place.right - place.left, place.bottom - place.top, memory, 0, 0, rop);
  SelectObject(memory, old);
  DeleteDC(memory);
}

void DrawContrastText(HDC dc, const RECT& rect, const char* text, UINT format) {
  const COLORREF background = gPaletteColors[kColorBackground];
  const COLORREF oldBack = SetBkColor(dc, background);
  const COLORREF oldText = SetTextColor(dc, ContrastTextColor(background));
  const std::wstring wide = SjisToWide(text);
  RECT area = rect;
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &area, format);
  SetTextColor(dc, oldText);
  SetBkColor(dc, oldBack);
}

// The box lies across the rectangle in the other direction.
void DrawValueLabel(HDC dc, int value, int x, int y, const RECT& rect) {
  char text[32];
  FormatThousands(value, text);
  const std::wstring wide = SjisToWide(text);
  SIZE extent{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &extent);
  const int width = extent.cx + 2 * kLabelPadX;
  const int height = extent.cy + 2 * kLabelPadY;
  const int left = x >= 1 ? x - width / 2 : (rect.left + rect.right - width) / 2;
  const int top = x >= 1 ? (rect.top + rect.bottom - height) / 2 : y - height / 2;
  RECT box = {left, top, left + width, top + height};
  const HBRUSH fill = CreateSolidBrush(GetBkColor(dc));
  FillRect(dc, &box, fill);
  DeleteObject(fill);
  FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
