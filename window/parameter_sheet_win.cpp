#include "window/parameter_sheet_win.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "analysis/indicator_refresh.h"
#include "analysis/parameter_pages.h"
#include "chart/chart_loading.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "window/chart_popups_win.h"
#include "window/color_swatch_win.h"
#include "window/dialog_helpers_win.h"

namespace {

// Layout of the generated controls, in dialog units.
constexpr int kRowLabelX = 8, kRowLabelWidth = 28;
constexpr int kFirstColumnX = 40, kColumnStep = 42, kEditWidth = 36, kEditHeight = 13;
constexpr int kHeaderY = 24, kFirstRowY = 36, kRowStep = 20;
constexpr int kColorLabelY = 96, kSwatchY = 108, kSwatchWidth = 30, kSwatchHeight = 12;
constexpr int kNoteY = 126, kNoteWidth = 284, kNoteHeight = 40, kTextHeight = 10;
constexpr int kSwatchIdFirst = 800;  // + palette entry
constexpr const char* kRowLabels[kParameterRows] = {"日足", "週足", "月足"};

struct SheetState {
  IndicatorParameterSet saved[kParameterRows];
  std::array<bool, kParameterPageCount> initialised;
  bool applied;
};
SheetState gSheet;

const ParameterPage& PageOf(HWND page) {
  const auto index = static_cast<size_t>(GetWindowLongPtrW(page, DWLP_USER));
  return kParameterPages[std::min<size_t>(index, kParameterPageCount - 1)];
}

// One edit with its up-down per field and row; rows go across, so Tab walks a row.
void AddFieldControls(HWND page, const ParameterPage& table) {
  for (int r = 0; r < kParameterRows; ++r) {
    for (int k = 0; k < table.fieldCount; ++k) {
      const int id = ParameterEditId(table, k, r);
      const HWND edit = CreateDialogControl(
          page, L"EDIT", L"", WS_VISIBLE | ES_RIGHT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE,
          DialogUnitArea(kFirstColumnX + kColumnStep * k, kFirstRowY + kRowStep * r, kEditWidth, kEditHeight), id);
      SendMessageW(edit, EM_LIMITTEXT, 8, 0);
      const HWND upDown = CreateDialogControl(
          page, UPDOWN_CLASSW, L"", WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0,
          DialogUnitArea(0, 0, 0, 0), id + kParameterUpDownOffset);
      SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    }
  }
}

void AddSwatches(HWND page, const ParameterPage& table) {
  for (int s = 0; s < table.swatchCount; ++s) {
    const int entry = table.swatches[s];
    CreateDialogControl(
        page, kColorSwatchClassName, std::to_wstring(entry).c_str(), WS_VISIBLE | WS_TABSTOP, WS_EX_CLIENTEDGE,
        DialogUnitArea(kFirstColumnX + kColumnStep * s, kSwatchY, kSwatchWidth, kSwatchHeight), kSwatchIdFirst + entry);
  }
}

// The labels are painted rather than made windows: under Wine each window
// costs the opening of a page a few milliseconds.
void DrawLabel(HWND page, HDC dc, const char* text, RECT area, UINT format) {
  MapDialogRect(page, &area);
  const std::wstring wide = SjisToWide(text);
  DrawTextW(dc, wide.c_str(), -1, &area, format | DT_NOPREFIX);
}

void PaintLabels(HWND page) {
  const ParameterPage& table = PageOf(page);
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(page, &paint);
  const HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(page, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  for (int k = 0; k < table.fieldCount; ++k) {
    DrawLabel(page, dc, table.fields[k].label,
              DialogUnitArea(kFirstColumnX + kColumnStep * k, kHeaderY, kEditWidth, kTextHeight),
              DT_CENTER | DT_SINGLELINE);
  }
  for (int r = 0; r < kParameterRows; ++r) {
    DrawLabel(page, dc, kRowLabels[r],
              DialogUnitArea(kRowLabelX, kFirstRowY + kRowStep * r + 2, kRowLabelWidth, kTextHeight), DT_SINGLELINE);
  }
  if (table.swatchCount > 0)
    DrawLabel(page, dc, "表示色", DialogUnitArea(kRowLabelX, kColorLabelY, kRowLabelWidth, kTextHeight), DT_SINGLELINE);
  if (table.note != nullptr)
    DrawLabel(page, dc, table.note, DialogUnitArea(kRowLabelX, kNoteY, kNoteWidth, kNoteHeight), DT_WORDBREAK);
  SelectObject(dc, oldFont);
  EndPaint(page, &paint);
}

// First display of a page: its controls, and the page the next opening starts at.
INT_PTR OnPageCreated(HWND page, const PROPSHEETPAGEW* sheetPage) {
  const int index = static_cast<int>(sheetPage->lParam);
  SetWindowLongPtrW(page, DWLP_USER, index);
  const ParameterPage& table = PageOf(page);
  AddFieldControls(page, table);
  AddSwatches(page, table);
  gSettingsEdit.paramSheetStartPage = index;
  return TRUE;
}

void ShowPageValues(HWND page) {
  const ParameterPage& table = PageOf(page);
  for (int r = 0; r < kParameterRows; ++r) {
    for (int k = 0; k < table.fieldCount; ++k) {
      const ParameterField& field = table.fields[k];
      const int id = ParameterEditId(table, k, r);
      const int value = gSettingsEdit.indicatorParams[r].slot[field.slot];
      SendDlgItemMessageW(page, id + kParameterUpDownOffset, UDM_SETRANGE32, field.minimum, field.maximum);
      SendDlgItemMessageW(page, id + kParameterUpDownOffset, UDM_SETPOS32, 0, value);
      SetDialogInt(page, id, value);
    }
  }
  gSheet.initialised[static_cast<size_t>(GetWindowLongPtrW(page, DWLP_USER))] = true;
}

// A field left with text out of its range, or with no number, shows the value OK would store.
void ClampLeftField(HWND page, int editId) {
  if (!gSheet.initialised[static_cast<size_t>(GetWindowLongPtrW(page, DWLP_USER))]) return;
  const ParameterPage& table = PageOf(page);
  int k = 0, r = 0;
  if (!FindParameterEdit(table, editId, &k, &r)) return;
  ClampDialogIntItem(page, editId, table.fields[k].minimum, table.fields[k].maximum);
}

void StorePageValues(HWND page) {
  const ParameterPage& table = PageOf(page);
  for (int r = 0; r < kParameterRows; ++r) {
    for (int k = 0; k < table.fieldCount; ++k) {
      const ParameterField& field = table.fields[k];
      const int value = GetClampedDialogInt(page, ParameterEditId(table, k, r), field.minimum, field.maximum);
      gSettingsEdit.indicatorParams[r].slot[field.slot] = static_cast<uint16_t>(value);
    }
  }
}

void RestoreSavedParameters() { memcpy(gSettingsEdit.indicatorParams, gSheet.saved, sizeof gSheet.saved); }

INT_PTR OnPageNotify(HWND page, const NMHDR* header) {
  switch (header->code) {
    case PSN_SETACTIVE: ShowPageValues(page); break;
    // Leaving a page keeps what was typed there: coming back shows it again.
    case PSN_KILLACTIVE: StorePageValues(page); break;
    case PSN_APPLY:
      StorePageValues(page);
      gSheet.initialised[static_cast<size_t>(GetWindowLongPtrW(page, DWLP_USER))] = false;
      gSheet.applied = true;
      break;
    case PSN_RESET: RestoreSavedParameters(); break;
    default: return FALSE;
  }
  SetWindowLongPtrW(page, DWLP_MSGRESULT, 0);
  return TRUE;
}

INT_PTR CALLBACK ParameterPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: return OnPageCreated(page, reinterpret_cast<const PROPSHEETPAGEW*>(lParam));
    case WM_NOTIFY: return OnPageNotify(page, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      if (HIWORD(wParam) == EN_KILLFOCUS) ClampLeftField(page, LOWORD(wParam));
      return FALSE;
    case WM_PAINT: PaintLabels(page); return TRUE;
    case kSwatchFocusMessage: ShowSwatchFocusFrame(page, reinterpret_cast<HWND>(wParam), lParam != 0); return TRUE;
    default: return FALSE;
  }
}

std::wstring LoadText(int id) {
  wchar_t text[128] = L"";
  LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(id), text, 128);
  return text;
}

// Only what the pages and their swatches edit goes live: anything else of the
// live block changed while the sheet was open stays.
void TakeEditedSettings() {
  gSettings.paramSheetStartPage = gSettingsEdit.paramSheetStartPage;
  memcpy(gSettings.indicatorParams, gSettingsEdit.indicatorParams, sizeof gSettings.indicatorParams);
  memcpy(gSettings.customColors, gSettingsEdit.customColors, sizeof gSettings.customColors);
  memcpy(gSettings.paletteColors, gSettingsEdit.paletteColors, sizeof gSettings.paletteColors);
}

int CALLBACK OnSheetEvent(HWND sheet, UINT event, LPARAM) {
  if (event == PSCB_INITIALIZED) CentreOnOwner(sheet);
  return 0;
}

}  // namespace

bool ShowAnalysisParameterSheet(HWND owner) {
  gSettingsEdit = gSettings;
  memcpy(gSheet.saved, gSettingsEdit.indicatorParams, sizeof gSheet.saved);
  gSheet.initialised.fill(false);
  gSheet.applied = false;
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  std::array<std::wstring, kParameterPageCount> titles;
  std::array<PROPSHEETPAGEW, kParameterPageCount> pages{};
  for (int i = 0; i < kParameterPageCount; ++i) {
    const ParameterPage& table = kParameterPages[static_cast<size_t>(i)];
    titles[i] = LoadText(table.tabStringId);
    PROPSHEETPAGEW& page = pages[static_cast<size_t>(i)];
    page.dwSize = sizeof page;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEW(table.templateId);
    page.pfnDlgProc = ParameterPageProc;
    page.pszTitle = titles[i].c_str();
    page.lParam = i;
  }
  const std::wstring caption = LoadText(IDS_PARAMETER_SHEET_CAPTION);
  PROPSHEETHEADERW header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW | PSH_NOCONTEXTHELP | PSH_USECALLBACK;
  header.pfnCallback = OnSheetEvent;
  header.hwndParent = owner;
  header.hInstance = instance;
  header.pszCaption = caption.c_str();
  header.nPages = kParameterPageCount;
  header.nStartPage = static_cast<UINT>(std::clamp(gSettingsEdit.paramSheetStartPage, 0, kParameterPageCount - 1));
  header.ppsp = pages.data();
  PropertySheetW(&header);
  if (gSheet.applied) {
    TakeEditedSettings();
  } else {
    RestoreSavedParameters();
  }
  return gSheet.applied;
}

void RunAnalysisParameterCommand(HWND owner) {
  const bool ok = ShowAnalysisParameterSheet(owner);
  if (!CompareIndicatorParameterSets(gSheet.saved, gSettingsEdit.indicatorParams)) {
    gRecomputeNeeded = 1;
    gGroupsDirty = 1;
    RecomputePatternCharts();
    InvalidateAllCharts();
    RebuildGroupMenus();
  } else if (ok) {
    InvalidateAllCharts();  // a changed colour shows at once
  }
  if (!AskRecomputeAllIndicators()) return;
  ReloadAllChartSeries();
  InvalidateAllCharts();
}
