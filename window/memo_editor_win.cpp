// The memo editor dialog and the memo commands.
#include "window/memo_editor_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "chart/chart_hooks.h"
#include "chart/chart_loading.h"
#include "chart/gdi_objects_win.h"
#include "chart/memo_paint_win.h"
#include "chart/memo_store.h"
#include "chart/memo_style.h"
#include "chart/memo_view.h"
#include "chart/screen_pattern.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "common/error_message.h"
#include "common/sjis_text.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "window/chart_press_win.h"
#include "window/dialog_helpers_win.h"
#include "window/named_color_list_win.h"

namespace {

constexpr COLORREF kCounterOverColor = RGB(255, 0, 0);
constexpr int kColorItemHeight = 16;

// The editor works on a copy; the memo changes only after OK.
struct MemoEditState {
  Memo copy;
  bool initialised;
  COLORREF counterColor;
  std::string text;  // what OK read, Shift-JIS
};

int DefaultHeight() { return std::clamp<int>(gMemoFontSize, kMinMemoFontHeight, kMaxMemoFontHeight); }
int DefaultSpacing() { return std::clamp<int>(gMemoLineSpacing, 0, kMaxMemoLineSpacing); }

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The six size edits: choice k's height at 10012 + 2k, its spacing one after.
int HeightEdit(int k) { return IDC_MEMO_HEIGHT_1 + 2 * k; }
int SpacingEdit(int k) { return HeightEdit(k) + 1; }
bool IsSizeEdit(int id) { return id >= IDC_MEMO_HEIGHT_1 && id <= IDC_MEMO_SPACING_3; }

// The edit's integer clamped to its up-down's range, the clamped value shown.
int GetDlgItemIntInUpDownRange(HWND dialog, int edit, int upDown) {
  int low = 0, high = 0;
  SendDlgItemMessageW(dialog, upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
  return ClampDialogIntItem(dialog, edit, std::min(low, high), std::max(low, high));
}

void StoreSizeEdit(HWND dialog, MemoEditState* state, int id) {
  const int value = GetDlgItemIntInUpDownRange(dialog, id, id + IDC_MEMO_UPDOWN_OFFSET);
  const int k = (id - IDC_MEMO_HEIGHT_1) / 2;
  if ((id - IDC_MEMO_HEIGHT_1) % 2 == 0) {
    state->copy.fontHeights[k] = value;
  } else {
    state->copy.lineSpacings[k] = value;
  }
}

std::string TypedText(HWND dialog) {
  const int length = GetWindowTextLengthW(GetDlgItem(dialog, IDC_MEMO_TEXT));
  return GetDialogItemText(dialog, IDC_MEMO_TEXT, length + 1);
}

// The counter counts the Shift-JIS bytes the text will take.
void UpdateByteCounter(HWND dialog, MemoEditState* state) {
  char text[96];
  const bool over = FormatMemoByteCounter(static_cast<int>(TypedText(dialog).size()), text, sizeof text);
  state->counterColor = over ? kCounterOverColor : RGB(0, 0, 0);
  SetDialogItemText(dialog, IDC_MEMO_BYTES, text);
  InvalidateRect(GetDlgItem(dialog, IDC_MEMO_BYTES), nullptr, TRUE);
}

void EnableMemoEditItems(HWND dialog, const Memo& memo) {
  const bool custom = memo.customSize == 1;
  for (int k = 0; k < kMemoSizeChoiceCount; ++k) {
    EnableWindow(GetDlgItem(dialog, IDC_MEMO_CHOICE_1 + k), custom);
    for (const int edit : {HeightEdit(k), SpacingEdit(k)}) {
      EnableWindow(GetDlgItem(dialog, edit), custom);
      EnableWindow(GetDlgItem(dialog, edit + IDC_MEMO_UPDOWN_OFFSET), custom);
    }
  }
  CheckRadioButton(dialog, IDC_MEMO_CHOICE_1, IDC_MEMO_CHOICE_3, IDC_MEMO_CHOICE_1 + memo.sizeChoice);
}

void InitMemoEditor(HWND dialog, MemoEditState* state) {
  Memo& memo = state->copy;
  if (gMemos.header != nullptr) PrepareMemoForEditing(&memo, *gMemos.header, DefaultHeight(), DefaultSpacing());
  char text[kMemoTextBytes];
  CopySjisText(text, memo.text, kMemoTextBytes);
  SetDialogItemText(dialog, IDC_MEMO_TEXT, text);
  UpdateByteCounter(dialog, state);
  FillColorCombo(GetDlgItem(dialog, IDC_MEMO_COLOR), memo.color);
  CheckDlgButton(dialog, IDC_MEMO_ARROW, memo.arrowHidden == 1 ? BST_UNCHECKED : BST_CHECKED);
  CheckDlgButton(dialog, IDC_MEMO_CUSTOM_SIZE, memo.customSize == 1 ? BST_CHECKED : BST_UNCHECKED);
  for (int k = 0; k < kMemoSizeChoiceCount; ++k) {
    SendDlgItemMessageW(dialog, HeightEdit(k) + IDC_MEMO_UPDOWN_OFFSET, UDM_SETRANGE32, kMinMemoFontHeight,
                        kMaxMemoFontHeight);
    SendDlgItemMessageW(dialog, SpacingEdit(k) + IDC_MEMO_UPDOWN_OFFSET, UDM_SETRANGE32, 0, kMaxMemoLineSpacing);
    SetDialogInt(dialog, HeightEdit(k), memo.fontHeights[k]);
    SetDialogInt(dialog, SpacingEdit(k), memo.lineSpacings[k]);
  }
  EnableMemoEditItems(dialog, memo);
  FocusWholeText(dialog, IDC_MEMO_TEXT);
  state->initialised = true;
}

// OK: an empty text beeps and keeps the dialog; sizes confirmed with Enter
// never lost their focus, so all six are read here too.
void ConfirmMemoEditor(HWND dialog, MemoEditState* state) {
  state->text = TypedText(dialog);
  if (state->text.empty()) {
    PlayWarningBeep();
    return;
  }
  if (state->copy.customSize == 1) {
    for (int id = IDC_MEMO_HEIGHT_1; id <= IDC_MEMO_SPACING_3; ++id) StoreSizeEdit(dialog, state, id);
  }
  EndDialog(dialog, IDOK);
}

void OnMemoEditorCommand(HWND dialog, MemoEditState* state, int id, int code) {
  if (id == IDCANCEL) {
    EndDialog(dialog, IDCANCEL);
    return;
  }
  if (!state->initialised) return;
  Memo& memo = state->copy;
  if (id == IDOK) {
    ConfirmMemoEditor(dialog, state);
  } else if (id == IDC_MEMO_COLOR && code == CBN_SELCHANGE) {
    const LRESULT at = SendDlgItemMessageW(dialog, IDC_MEMO_COLOR, CB_GETCURSEL, 0, 0);
    if (at != CB_ERR) memo.color = static_cast<int32_t>(at);
  } else if (id == IDC_MEMO_TEXT && code == EN_CHANGE) {
    UpdateByteCounter(dialog, state);
  } else if (IsSizeEdit(id) && code == EN_KILLFOCUS && memo.customSize == 1) {
    StoreSizeEdit(dialog, state, id);
  } else if (id == IDC_MEMO_ARROW && code == BN_CLICKED) {
    memo.arrowHidden = IsChecked(dialog, IDC_MEMO_ARROW) ? 0 : 1;
  } else if (id == IDC_MEMO_CUSTOM_SIZE && code == BN_CLICKED) {
    memo.customSize = IsChecked(dialog, IDC_MEMO_CUSTOM_SIZE) ? 1 : 0;
    EnableMemoEditItems(dialog, memo);
  } else if (id >= IDC_MEMO_CHOICE_1 && id <= IDC_MEMO_CHOICE_3 && code == BN_CLICKED) {
    memo.sizeChoice = id - IDC_MEMO_CHOICE_1;
    EnableMemoEditItems(dialog, memo);
  }
}

INT_PTR CALLBACK MemoEditDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = DialogRequest<MemoEditState>(dialog, message, lParam);
  if (state == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG: InitMemoEditor(dialog, state); return FALSE;  // the focus is set
    case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = kColorItemHeight; return TRUE;
    case WM_DRAWITEM: DrawColorListItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)); return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != GetDlgItem(dialog, IDC_MEMO_BYTES)) return FALSE;
      SetTextColor(reinterpret_cast<HDC>(wParam), state->counterColor);
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_COMMAND: OnMemoEditorCommand(dialog, state, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    default: return FALSE;
  }
}

// A new memo font takes effect: the font, its height, the kept layouts and the charts.
void ApplyMemoFontChange() {
  if (gChartHooks.saveSettingsP2 != nullptr) gChartHooks.saveSettingsP2();
  RecreateSharedGdiObjects(static_cast<HWND>(gMainWnd));
  FreeMemoPaintResources();
  InvalidateAllCharts();
}

int HitMemoAtClientPoint(int x, int y) {
  const int chart = ChartAtPoint(x, y);
  const int pane = chart >= 0 ? PaneAtPoint(chart, x, y) : -1;
  if (pane < 0) return -1;
  const ChartView& view = CurrentScreenPattern().views[chart];
  const int selected = HitTestMemosPass(view, gChartContexts[chart], pane, x, y, true, nullptr);
  return selected >= 0 ? selected : HitTestMemosPass(view, gChartContexts[chart], pane, x, y, false, nullptr);
}

}  // namespace

bool RunMemoEditor(HWND owner, int index) {
  const Memo* memo = MemoAt(index);
  if (memo == nullptr) return false;
  MemoEditState state{*memo, false, RGB(0, 0, 0), {}};
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MEMO_EDIT), owner,
                                         MemoEditDlgProc, reinterpret_cast<LPARAM>(&state));
  return result == IDOK && ApplyMemoEdit(index, state.copy, state.text.c_str());
}

int EditMemoAtClientPoint(int x, int y) {
  const int memo = HitMemoAtClientPoint(x, y);
  if (memo < 0) return 0;
  SelectMemo(memo);
  RunMemoEditor(static_cast<HWND>(gMainWnd), memo);
  return 1;
}

int RunMemoCommand(HWND owner, int commandId) {
  switch (commandId) {
    case IDM_MEMO_EDIT: {
      const int memo = FirstSelectedMemo();
      if (memo >= 0) RunMemoEditor(owner, memo);
      return 1;
    }
    case IDM_MEMO_ARROW: ToggleSelectedMemoArrows(); return 1;
    case IDM_MEMO_FONT_CUSTOM_1:
    case IDM_MEMO_FONT_CUSTOM_2:
    case IDM_MEMO_FONT_CUSTOM_3: SetSelectedMemosFontSize(commandId - IDM_MEMO_FONT_CUSTOM_1); return 1;
    case IDM_MEMO_FONT_DEFAULT: ResetSelectedMemosFontSize(); return 1;
    case IDM_MEMO_FONT_CHOOSE: ChooseMemoFont(); return 1;
    case IDM_MEMO_FONT_RESET: ResetMemoFont(); return 1;
    default: return 0;
  }
}

void ChooseMemoFont() {
  LogFontImage copy;
  CopyLogFont(gMemoLogFont, &copy);
  if (ChooseFontForSetting(&copy, gMemoFontSize, kFixedPitch, 0) == 0) return;
  CopyLogFont(copy, &gMemoLogFont);
  ApplyMemoFontChange();
}

void ResetMemoFont() {
  if (!HasFaceName(gMemoLogFont)) return;
  ClearLogFont(&gMemoLogFont);
  ApplyMemoFontChange();
}
