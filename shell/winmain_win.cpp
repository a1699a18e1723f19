// The program's entry point: start-up, the main loop and shut-down.

#include <windows.h>
#include <commctrl.h>

#include "analysis/group_update_queue.h"
#include "chart/chart_editing.h"
#include "chart/palette_resources_win.h"
#include "chart/screen_pattern.h"
#include "net/online_services.h"
#include "window/chart_popups_win.h"
#include "window/chart_windows.h"
#include "window/drag_modes.h"
#include "window/line_notice_win.h"
#include "window/main_window_controls_win.h"
#include "window/main_window_input_win.h"
#include "window/main_window_win.h"
#include "window/named_color_list_win.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "common/app_globals.h"
#include "net/order_link.h"
#include "shell/backup_run.h"
#include "shell/backup_window_win.h"
#include "shell/lifecycle.h"
#include "shell/single_instance_win.h"
#include "shell/maintenance_dialogs_win.h"
#include "shell/update_result_dialog_win.h"
#include "shell/price_import_hooks_win.h"
#include "common/progress.h"

namespace {

HACCEL gMainAccelerators = nullptr;
// No stock table or no price file when the program started.
bool gFirstRun = false;

void InitCommonControlClasses() {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS;
  InitCommonControlsEx(&icc);
}

bool InitInstance(HINSTANCE instance, int showCommand) {
  gInstance = instance;
  InitAppTexts();
  if (ActivateRunningInstance()) return false;
  ChooseDataFolder();
  // Before anything of the folder is read: a second start on it ends here,
  // even while the first one has no window yet.
  if (!TakeDataFolder(gDataFolder)) return false;
  InitCommonControlClasses();
  InstallPriceImportWinHooks();
  InstallPaletteResourceReader();
  CreateNamedColorBrushes();
  InstallBackupWindows();
  UndoInterruptedRestoreAtStart();
  gFirstRun = IsFirstRunForRestore();
  if (!LoadChosenDataFolder()) return false;
  InstallPriceUpdateWindows();
  InstallMaintenanceWindows();
  if (!RegisterWindowClasses(instance)) return false;
  gMainAccelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_MAIN_ACCELERATORS));
  return CreateMainWindow(instance, showCommand) != nullptr;
}

bool RouteToModelessDialogs(MSG& msg) {
  const HWND autoOrder = static_cast<HWND>(gAutoOrderStatusDlg);
  if (autoOrder != nullptr && IsDialogMessageW(autoOrder, &msg)) return true;
  if (RouteLineNoticeMessage(msg)) return true;
  const HWND progress = static_cast<HWND>(gProgressDlg);
  return progress != nullptr && IsDialogMessageW(progress, &msg);
}

// The main window's keys (F1..F12, Ctrl+...) for it and its children; the
// search box keeps its own keys.
bool TranslateMainAccelerator(MSG& msg) {
  const HWND main = static_cast<HWND>(gMainWnd);
  if (gMainAccelerators == nullptr || main == nullptr || msg.hwnd == nullptr) return false;
  if (msg.hwnd == gStockSearchEdit || (msg.hwnd != main && !IsChild(main, msg.hwnd))) return false;
  return TranslateAcceleratorW(main, gMainAccelerators, &msg) != 0;
}

bool AnyGroupComboDroppedDown() {
  for (int i = 0; i < ShownChartCount(); ++i) {
    const HWND combo = static_cast<HWND>(gChartWindows[i].groupCombo);
    if (combo != nullptr && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0) return true;
  }
  return false;
}

// Returns the WM_QUIT code.
int RunMainLoop() {
  MSG msg;
  for (;;) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return static_cast<int>(msg.wParam);
      if (RouteToModelessDialogs(msg)) continue;
      if (TranslateMainAccelerator(msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    TrackCursorOnTimer();
    // The memberships wait while a drag or a dropped group list would see rows
    // move; the lists are asked only when a stock waits.
    const bool groupUpdatesAllowed = gDragMode == kDragNone && HasQueuedGroupUpdates() && !AnyGroupComboDroppedDown();
    if (groupUpdatesAllowed) ProcessPendingGroupUpdates(false);
    uint32_t wait = RunIdleSteps(GetTickCount());
    // One queued stock per pass keeps the window answering; the next comes at once.
    if (groupUpdatesAllowed && HasQueuedGroupUpdates()) wait = 0;
    // Sleep until the idle work is due again, but wake at once when input arrives.
    MsgWaitForMultipleObjectsEx(0, nullptr, wait == kIdleWaitForever ? INFINITE : wait, QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  if (!InitInstance(instance, showCommand)) return 0;
  OfferRestoreAtStart(gFirstRun);
  RunStartUpQuestions();
  RebuildGroupMenus();
  ResetLiveQuoteState();
  const int code = RunMainLoop();
  SaveEverythingAtExit();
  DeleteNamedColorBrushes();
  ReleaseDataFolder();
  return code;
}
