#include "window/tracker_dialog_win.h"

#include <commctrl.h>

#include <array>
#include <cstdio>
#include <string>

#include "analysis/position_tracker.h"
#include "common/app_globals.h"
#include "common/error_message.h"
#include "common/message_boxes.h"
#include "common/string_ids.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "window/dialog_helpers_win.h"

namespace {

constexpr COLORREF kShortCashColor = RGB(128, 128, 128);  // a short sale's cash amount is only an equivalent
constexpr int kAmountTextSize = 64;
constexpr int kNumberTextSize = 32;

struct StepDialogWindow {
  StepDialog* dialog;
  HFONT amountFont;
  bool ready;  // commands wait until the opening is complete
};

HWND gStepDialogWindow = nullptr;
int gStepDialogLine = -1;

std::string ItemText(HWND hwnd, int id) { return GetDialogItemText(hwnd, id, kNumberTextSize - 1); }

// Shown only when it differs, so that the caret and selection stay otherwise.
bool ShowNumber(HWND hwnd, int id, int32_t value) {
  char text[kNumberTextSize];
  snprintf(text, sizeof text, "%d", static_cast<int>(value));
  if (ItemText(hwnd, id) == text) return false;
  SetDialogItemText(hwnd, id, text);
  return true;
}

void ShowAmounts(HWND hwnd, const StepDialog& dialog) {
  int64_t shares = 0;
  int64_t price = 0;
  if (!ParseWholeNumber(ItemText(hwnd, IDC_STEP_SHARES).c_str(), &shares) ||
      !ParseWholeNumber(ItemText(hwnd, IDC_STEP_PRICE).c_str(), &price))
    return;
  char cash[kAmountTextSize];
  char margin[kAmountTextSize];
  FormatPellomaticAmounts(dialog, shares, price, cash, margin, kAmountTextSize);
  SetDialogItemText(hwnd, IDC_STEP_CASH_AMOUNT, cash);
  SetDialogItemText(hwnd, IDC_STEP_MARGIN_AMOUNT, margin);
}

void EnableItems(HWND hwnd, int first, int last, bool enabled) {
  for (int id = first; id <= last; ++id) EnableWindow(GetDlgItem(hwnd, id), enabled ? TRUE : FALSE);
}

void UpdateOrderControls(HWND hwnd, const StepDialog& dialog) {
  const TrendLine& copy = dialog.copy;
  const StepOrderControls controls = GetStepOrderControls(dialog);
  const bool armed = copy.autoOrderState == kAutoOrderArmed;
  CheckRadioButton(hwnd, IDC_STEP_NO_AUTO_ORDER, IDC_STEP_AUTO_ORDER,
                   armed ? IDC_STEP_AUTO_ORDER : IDC_STEP_NO_AUTO_ORDER);
  CheckRadioButton(hwnd, IDC_STEP_CASH, IDC_STEP_MARGIN, IDC_STEP_CASH + copy.orderTradeKind);
  CheckRadioButton(hwnd, IDC_STEP_MARKET_PRICE, IDC_STEP_LIMIT_TICK_OFF, IDC_STEP_MARKET_PRICE + copy.orderPriceKind);
  CheckRadioButton(hwnd, IDC_STEP_NORMAL_ROUTE, IDC_STEP_SMART_ROUTE,
                   copy.orderRoute == 1 ? IDC_STEP_NORMAL_ROUTE : IDC_STEP_SMART_ROUTE);
  CheckRadioButton(hwnd, IDC_STEP_SPECIFIC_ACCOUNT, IDC_STEP_GENERAL_ACCOUNT,
                   IDC_STEP_SPECIFIC_ACCOUNT + copy.accountKind);
  CheckRadioButton(hwnd, IDC_STEP_MARGIN_KIND, IDC_STEP_LAST_MARGIN_KIND, IDC_STEP_MARGIN_KIND + copy.marginKind);
  EnableItems(hwnd, IDC_STEP_NO_AUTO_ORDER, IDC_STEP_AUTO_ORDER, controls.arming);
  EnableItems(hwnd, IDC_STEP_CASH, IDC_STEP_MARGIN, controls.tradeKind);
  EnableItems(hwnd, IDC_STEP_MARKET_PRICE, IDC_STEP_GENERAL_ACCOUNT, controls.orderOptions);
  EnableItems(hwnd, IDC_STEP_MARGIN_KIND, IDC_STEP_LAST_MARGIN_KIND, controls.marginKind);
  EnableItems(hwnd, IDC_STEP_ORDER_NOW, IDC_STEP_ORDER_NOW, controls.orderNow);
  EnableItems(hwnd, IDC_STEP_RESET, IDC_STEP_RESET, controls.reset);
  SetDialogItemText(hwnd, IDC_STEP_STATE_TEXT, controls.stateText);
}

void ShowShares(HWND hwnd, int32_t shares) {
  ShowNumber(hwnd, IDC_STEP_SHARES, shares);
  SendDlgItemMessageW(hwnd, IDC_STEP_SHARES_SPIN, UDM_SETPOS32, 0, shares);
}

void RoundSharesEdit(HWND hwnd, const StepDialog& dialog) {
  int64_t shares = 0;
  ParseWholeNumber(ItemText(hwnd, IDC_STEP_SHARES).c_str(), &shares);
  ShowShares(hwnd, RoundSharesToUnit(shares, dialog.unit));
}

// An empty price stays empty (OK refuses it); a number is put within range on a tick.
void NormalizePriceEdit(HWND hwnd, const StepDialog& dialog) {
  int64_t price = 0;
  if (!ParseWholeNumber(ItemText(hwnd, IDC_STEP_PRICE).c_str(), &price)) return;
  if (ShowNumber(hwnd, IDC_STEP_PRICE, NormalizeStepPrice(dialog.stockIndex, price)))
    FocusWholeText(hwnd, IDC_STEP_PRICE);
}

// The spin moves by a unit and rounds; its own position change is refused.
INT_PTR OnSpin(HWND hwnd, const StepDialog& dialog, const NMUPDOWN& change) {
  int64_t shares = dialog.unit;
  ParseWholeNumber(ItemText(hwnd, IDC_STEP_SHARES).c_str(), &shares);
  const int32_t from = RoundSharesToUnit(shares, dialog.unit);
  ShowShares(hwnd, StepSharesByUnit(from, change.iDelta, dialog.unit));
  SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, TRUE);
  return TRUE;
}

// OK and "今すぐ発注" take the edits as they are: Enter skips the rounding on leaving them.
bool AcceptValues(HWND hwnd, StepDialog* dialog) {
  if (!AcceptStepDialogValues(dialog, ItemText(hwnd, IDC_STEP_SHARES).c_str(),
                              ItemText(hwnd, IDC_STEP_PRICE).c_str())) {
    PlayWarningBeep();
    FocusWholeText(hwnd, IDC_STEP_PRICE);
    return false;
  }
  ShowShares(hwnd, dialog->shares);
  ShowNumber(hwnd, IDC_STEP_PRICE, dialog->price);
  return true;
}

// The amounts in the dialog's font made a tenth taller.
HFONT CreateAmountFont(HWND hwnd) {
  LOGFONTW font{};
  const auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  if (dialogFont == nullptr || GetObjectW(dialogFont, sizeof font, &font) == 0) return nullptr;
  font.lfHeight = font.lfHeight * 11 / 10;
  font.lfWidth = 6;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfQuality = CLEARTYPE_QUALITY;
  return CreateFontIndirectW(&font);
}

void OpenDialog(HWND hwnd, StepDialogWindow* window) {
  StepDialog& dialog = *window->dialog;
  gStepDialogWindow = hwnd;
  SetWindowTextW(hwnd, SjisToWide(dialog.title).c_str());
  char text[kAmountTextSize];
  snprintf(text, sizeof text, "%d～%d (%d株単位)", static_cast<int>(dialog.unit), kMaxTrackerShares,
           static_cast<int>(dialog.unit));
  SetDialogItemText(hwnd, IDC_STEP_SHARES_RANGE, text);
  const HWND spin = GetDlgItem(hwnd, IDC_STEP_SHARES_SPIN);
  SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(hwnd, IDC_STEP_SHARES)), 0);
  SendMessageW(spin, UDM_SETRANGE32, dialog.unit, kMaxTrackerShares);
  UDACCEL accel = {0, static_cast<UINT>(dialog.unit)};
  SendMessageW(spin, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  ShowShares(hwnd, dialog.shares);
  ShowNumber(hwnd, IDC_STEP_PRICE, dialog.price);
  window->amountFont = CreateAmountFont(hwnd);
  for (int id : {IDC_STEP_CASH_AMOUNT, IDC_STEP_MARGIN_AMOUNT})
    SendDlgItemMessageW(hwnd, id, WM_SETFONT, reinterpret_cast<WPARAM>(window->amountFont), FALSE);
  ShowAmounts(hwnd, dialog);
  EnableItems(hwnd, IDC_STEP_RELEASE, IDC_STEP_RELEASE, dialog.mode == kStepExisting);  // nothing to release yet
  UpdateOrderControls(hwnd, dialog);
  FocusWholeText(hwnd, IDC_STEP_PRICE);
  window->ready = true;
}

// The order buttons; each change shows the controls again.
bool OnOrderButton(HWND hwnd, StepDialog* dialog, int id) {
  TrendLine& copy = dialog->copy;
  if (id == IDC_STEP_NO_AUTO_ORDER || id == IDC_STEP_AUTO_ORDER) {
    SetStepArmed(dialog, id == IDC_STEP_AUTO_ORDER);
  } else if (id == IDC_STEP_CASH || id == IDC_STEP_MARGIN) {
    copy.orderTradeKind = static_cast<uint8_t>(id - IDC_STEP_CASH);
  } else if (id >= IDC_STEP_MARKET_PRICE && id <= IDC_STEP_LIMIT_TICK_OFF) {
    copy.orderPriceKind = static_cast<uint8_t>(id - IDC_STEP_MARKET_PRICE);
  } else if (id == IDC_STEP_NORMAL_ROUTE || id == IDC_STEP_SMART_ROUTE) {
    copy.orderRoute = id == IDC_STEP_NORMAL_ROUTE ? 1 : 0;
  } else if (id == IDC_STEP_SPECIFIC_ACCOUNT || id == IDC_STEP_GENERAL_ACCOUNT) {
    copy.accountKind = static_cast<uint8_t>(id - IDC_STEP_SPECIFIC_ACCOUNT);
  } else if (id >= IDC_STEP_MARGIN_KIND && id <= IDC_STEP_LAST_MARGIN_KIND) {
    copy.marginKind = id - IDC_STEP_MARGIN_KIND;
  } else if (id == IDC_STEP_RESET) {
    ResetStepOrder(dialog);
  } else {
    return false;
  }
  UpdateOrderControls(hwnd, *dialog);
  return true;
}

INT_PTR OnCommand(HWND hwnd, StepDialogWindow* window, int id, int code) {
  StepDialog* dialog = window->dialog;
  if (id == IDC_STEP_SHARES || id == IDC_STEP_PRICE) {
    if (code == EN_CHANGE) ShowAmounts(hwnd, *dialog);
    if (code == EN_KILLFOCUS && id == IDC_STEP_SHARES) RoundSharesEdit(hwnd, *dialog);
    if (code == EN_KILLFOCUS && id == IDC_STEP_PRICE) NormalizePriceEdit(hwnd, *dialog);
    return TRUE;
  }
  if (code != BN_CLICKED) return FALSE;
  if (OnOrderButton(hwnd, dialog, id)) return TRUE;
  switch (id) {
    case IDOK:
    case IDC_STEP_ORDER_NOW:
      if (AcceptValues(hwnd, dialog)) EndDialog(hwnd, id);
      return TRUE;
    case IDC_STEP_RELEASE:
    case IDCANCEL: EndDialog(hwnd, id); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK StepDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* window = DialogRequest<StepDialogWindow>(hwnd, message, lParam);
  switch (message) {
    case WM_INITDIALOG: OpenDialog(hwnd, window); return FALSE;  // the price edit has the focus
    case WM_COMMAND:
      if (window == nullptr || !window->ready) return FALSE;
      return OnCommand(hwnd, window, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (window == nullptr || !window->ready || header->idFrom != IDC_STEP_SHARES_SPIN || header->code != UDN_DELTAPOS)
        return FALSE;
      return OnSpin(hwnd, *window->dialog, *reinterpret_cast<const NMUPDOWN*>(lParam));
    }
    case WM_CTLCOLORSTATIC: {
      const auto control = reinterpret_cast<HWND>(lParam);
      if (window == nullptr || window->dialog->side != kTrackerShort || GetDlgCtrlID(control) != IDC_STEP_CASH_AMOUNT)
        return FALSE;
      const auto dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kShortCashColor);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_DESTROY:
      if (window != nullptr && window->amountFont != nullptr) DeleteObject(window->amountFont);
      gStepDialogWindow = nullptr;
      return FALSE;
    default: return FALSE;
  }
}

}  // namespace

int RunPellomaticStepDialog(StepDialog* dialog) {
  if (gStepDialogWindow != nullptr) {
    SetForegroundWindow(gStepDialogWindow);
    if (gStepDialogLine != dialog->line)
      MessageBoxFromStrings(gStepDialogWindow, kStrTrackerErrorTitle, kStrTrackerDialogOpen,
                            kMbOk | kMbIconInformation);
    return kStepCancelled;
  }
  StepDialogWindow window = {dialog, nullptr, false};
  gStepDialogLine = dialog->line;
  const INT_PTR result = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_TRACKER_STEP),
                                         static_cast<HWND>(gMainWnd), StepDlgProc, reinterpret_cast<LPARAM>(&window));
  gStepDialogLine = -1;
  gStepDialogWindow = nullptr;
  return result == kStepConfirmed || result == kStepOrderNow || result == kStepReleased ? static_cast<int>(result)
                                                                                        : kStepCancelled;
}

bool PreparePellomaticSubMenu(HMENU menu, int line) {
  TrackerMenu items;
  const bool takesPart = BuildPellomaticMenu(line, &items);
  for (const TrackerMenuItem& item : items) {
    const auto command = static_cast<UINT>(item.command);
    ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING, command, SjisToWide(item.text).c_str());
    EnableMenuItem(menu, command, MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
    CheckMenuItem(menu, command, MF_BYCOMMAND | (item.checked ? MF_CHECKED : MF_UNCHECKED));
  }
  return takesPart;
}
