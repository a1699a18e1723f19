#include "window/color_settings_dialog_win.h"

#include <commctrl.h>

#include <cstdio>
#include <string>

#include "chart/color_pages.h"
#include "chart/palette.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/message_boxes.h"
#include "common/string_ids.h"
#include "platform/platform.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "window/color_swatch_win.h"
#include "window/dialog_helpers_win.h"

namespace {

constexpr char kPaletteFileFilter[] = "Palette Files (*.PAL)\0*.pal\0All Files (*.*)\0*.*\0";
constexpr char kPaletteFileExtension[] = "pal";
constexpr char kMonochromePaletteName[] = "ペルダン式";
constexpr int kPathSize = 260;

// Swatch places in dialog units: two columns of labels and swatches on the tab control.
constexpr int kRowsPerColumn = 11;
constexpr int kFirstRowY = 48;
constexpr int kRowHeight = 15;
constexpr int kColumnX[2] = {18, 170};
constexpr int kLabelWidth = 88;
constexpr int kSwatchWidth = 44;
constexpr int kSwatchHeight = 11;

int gShownColorPage = 0;  // kept while the program runs

// Before the tab control in the tab order, and above it so that it does not paint over them.
HWND CreateDialogChild(HWND dialog, const wchar_t* className, const wchar_t* text, DWORD style, int id, RECT area,
                       HWND after) {
  const HWND child = CreateDialogControl(dialog, className, text, style, 0, area, id);
  SetWindowPos(child, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return child;
}

// Every page's swatches and labels, hidden until their page is shown.
void CreateSwatches(HWND dialog) {
  HWND after = GetDlgItem(dialog, IDC_COLOR_LOAD);
  for (const ColorPage& page : gColorPages) {
    for (int i = 0; i < page.count; ++i) {
      const int entry = page.entries[i];
      const int x = kColumnX[i / kRowsPerColumn];
      const int y = kFirstRowY + kRowHeight * (i % kRowsPerColumn);
      after = CreateDialogChild(dialog, L"STATIC", SjisToWide(GetPaletteEntryLabel(entry)).c_str(), SS_NOPREFIX,
                                IDC_COLOR_LABEL_FIRST + entry, DialogUnitArea(x, y + 1, kLabelWidth, 10), after);
      after = CreateDialogChild(dialog, kColorSwatchClassName, std::to_wstring(entry).c_str(), WS_TABSTOP | WS_BORDER,
                                IDC_COLOR_SWATCH_FIRST + entry,
                                DialogUnitArea(x + kLabelWidth, y, kSwatchWidth, kSwatchHeight), after);
    }
  }
}

void ShowColorPage(HWND dialog, int shown) {
  for (int page = 0; page < kColorPageCount; ++page) {
    for (int i = 0; i < gColorPages[page].count; ++i) {
      const int entry = gColorPages[page].entries[i];
      for (int id : {IDC_COLOR_SWATCH_FIRST + entry, IDC_COLOR_LABEL_FIRST + entry})
        ShowWindow(GetDlgItem(dialog, id), page == shown ? SW_SHOW : SW_HIDE);
    }
  }
  gShownColorPage = shown;
}

void FillPaletteList(HWND dialog) {
  char names[2][64];
  PlatformLoadString(kStrBuiltinPaletteNameFirst, names[0], sizeof names[0]);
  PlatformLoadString(kStrBuiltinPaletteNameFirst + 1, names[1], sizeof names[1]);
  const char* const texts[kBuiltinPaletteCount] = {names[0], names[1], kMonochromePaletteName};
  FillComboTexts(GetDlgItem(dialog, IDC_COLOR_PALETTE_LIST), texts, kBuiltinPaletteCount,
                 gSettingsEdit.builtinPaletteIndex);
}

void FillTabs(HWND dialog) {
  const HWND tabs = GetDlgItem(dialog, IDC_COLOR_TABS);
  for (int page = 0; page < kColorPageCount; ++page) {
    std::wstring title = SjisToWide(gColorPages[page].title);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = title.data();
    SendMessageW(tabs, TCM_INSERTITEMW, page, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(tabs, TCM_SETCURSEL, gShownColorPage, 0);
}

void OnInitDialog(HWND dialog) {
  FillPaletteList(dialog);
  FillTabs(dialog);
  CreateSwatches(dialog);
  ShowColorPage(dialog, gShownColorPage);
}

void RepaintSwatches(HWND dialog) { RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN); }

void OnPaletteChosen(HWND dialog) {
  const LRESULT chosen = SendDlgItemMessageW(dialog, IDC_COLOR_PALETTE_LIST, CB_GETCURSEL, 0, 0);
  if (chosen == CB_ERR) return;
  gSettingsEdit.builtinPaletteIndex = static_cast<int32_t>(chosen);
  LoadBuiltinPaletteInto(gSettingsEdit);
  RepaintSwatches(dialog);
}

// A save that fails is told: a palette thought kept would otherwise be lost.
void SaveEditedPalette(HWND dialog) {
  char title[256];
  PlatformLoadString(kStrSavePaletteFilePrompt, title, sizeof title);
  char path[kPathSize] = "";
  if (!PlatformPromptSaveFile(dialog, title, path, nullptr, kPaletteFileFilter, kPaletteFileExtension)) return;
  const int error = SavePaletteFile(path, gSettingsEdit.paletteColors);
  if (error != 0) ShowErrorMessage(dialog, error);
}

void LoadEditedPalette(HWND dialog) {
  char path[kPathSize] = "";
  if (!PromptOpenFile(nullptr, dialog, kStrOpenPaletteFilePrompt, path, kPaletteFileFilter)) return;
  int error = 0;
  switch (LoadPaletteFile(path, gSettingsEdit.paletteColors, &error)) {
    case PaletteFileResult::kLoaded: RepaintSwatches(dialog); break;
    case PaletteFileResult::kWrongSize: MessageBoxFromStrings(dialog, 0, kStrNotPaletteFile, kMbOk); break;
    case PaletteFileResult::kReadError: ShowErrorMessage(dialog, error); break;
  }
}

INT_PTR OnCommand(HWND dialog, int id, int code) {
  switch (id) {
    case IDC_COLOR_PALETTE_LIST:
      if (code == CBN_SELCHANGE) OnPaletteChosen(dialog);
      return TRUE;
    case IDC_COLOR_SAVE: SaveEditedPalette(dialog); return TRUE;
    case IDC_COLOR_LOAD: LoadEditedPalette(dialog); return TRUE;
    case IDOK:
    case IDCANCEL: EndDialog(dialog, id); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK ColorSettingsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_COLOR_TABS || header->code != static_cast<UINT>(TCN_SELCHANGE)) return FALSE;
      ShowColorPage(dialog, static_cast<int>(SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0)));
      return TRUE;
    }
    case kSwatchFocusMessage: ShowSwatchFocusFrame(dialog, reinterpret_cast<HWND>(wParam), lParam != 0); return TRUE;
    default: return FALSE;
  }
}

}  // namespace

bool ShowColorSettingsDialog(HWND owner) {
  gDefaultSettings = gSettings;  // the copy before editing
  gSettingsEdit = gDefaultSettings;
  const INT_PTR result =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_COLOR_SETTINGS), owner, ColorSettingsDlgProc, 0);
  if (result != IDOK) return false;
  gSettings = gSettingsEdit;
  if (gMainWnd != nullptr)
    RedrawWindow(static_cast<HWND>(gMainWnd), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  return true;
}
