#include "window/chart_printing_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "chart/paint_tools_win.h"
#include "chart/print_layout.h"
#include "chart/screen_pattern.h"
#include "common/command_ids.h"
#include "records/printer_settings.h"
#include "records/settings_block.h"
#include "window/chart_picture_win.h"

static_assert(sizeof(PAGESETUPDLGA) == 84, "PAGESETUPDLG of a 32-bit program");
static_assert(sizeof(PRINTDLGA) == 66, "PRINTDLG of a 32-bit program");
static_assert(sizeof(PAGESETUPDLGA) == sizeof(PageSetupImage), "the stored page-setup record");

const PrintSpooler kSystemSpooler = {PageSetupDlgA, PrintDlgA, CommDlgExtendedError, StartDocA, StartPage, EndPage,
                                     EndDoc,        AbortDoc};
PrintSpooler gPrintSpooler = kSystemSpooler;

namespace {

constexpr UINT kGreekTextRectMessage = WM_PSD_GREEKTEXTRECT;
// The flags the stored record starts with, by their names.
static_assert((PSD_ENABLEPAGEPAINTHOOK | PSD_INHUNDREDTHSOFMILLIMETERS | PSD_MARGINS) == kPageSetupFlags);

HENHMETAFILE gPageSetupPicture = nullptr;

HGLOBAL HandleOfBlock(const std::vector<uint8_t>& block) {
  if (block.empty()) return nullptr;
  const HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, block.size());
  if (handle == nullptr) return nullptr;
  void* bytes = GlobalLock(handle);
  if (bytes == nullptr) {
    GlobalFree(handle);
    return nullptr;
  }
  memcpy(bytes, block.data(), block.size());
  GlobalUnlock(handle);
  return handle;
}

// The handle's bytes when the check finds them usable, else none.
std::vector<uint8_t> BlockOfHandle(HGLOBAL handle, bool (*usable)(const uint8_t*, size_t)) {
  if (handle == nullptr) return {};
  const SIZE_T size = GlobalSize(handle);
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(handle));
  if (bytes == nullptr) return {};
  std::vector<uint8_t> block;
  if (size > 0 && usable(bytes, size)) block.assign(bytes, bytes + size);
  GlobalUnlock(handle);
  return block;
}

// The page-setup record of gPrinterSettings with its printer blocks in
// movable handles for the time of one command; what the dialogs leave in it
// (the handles they may have replaced included) goes back at the end.
class PageSetupSession {
 public:
  explicit PageSetupSession(HWND owner) {
    memcpy(&record, &gPrinterSettings.pageSetup, sizeof record);
    record.lStructSize = sizeof record;
    record.hwndOwner = owner;
    record.hDevMode = HandleOfBlock(gPrinterSettings.mode);
    record.hDevNames = HandleOfBlock(gPrinterSettings.names);
    record.Flags |= kPageSetupFlags;
    record.hInstance = nullptr;
    record.lpfnPageSetupHook = nullptr;
    record.lpfnPagePaintHook = PageSetupPaintHook;
    record.lpPageSetupTemplateName = nullptr;
    record.hPageSetupTemplate = nullptr;
  }
  ~PageSetupSession() {
    gPrinterSettings.mode = BlockOfHandle(record.hDevMode, IsUsableDevMode);
    gPrinterSettings.names = BlockOfHandle(record.hDevNames, IsUsableDevNames);
    FreePrinterBlocks();
    memcpy(&gPrinterSettings.pageSetup, &record, sizeof record);
  }
  PageSetupSession(const PageSetupSession&) = delete;
  PageSetupSession& operator=(const PageSetupSession&) = delete;

  // After a dialog that failed: a saved printer that has gone (an error with
  // blocks given) is dropped, so that the dialog can be asked once more.
  bool DropGonePrinter() {
    const bool hadPrinter = record.hDevMode != nullptr || record.hDevNames != nullptr;
    if (gPrintSpooler.dialogError() == 0 || !hadPrinter) return false;
    FreePrinterBlocks();
    return true;
  }

  void FreePrinterBlocks() {
    if (record.hDevMode != nullptr) GlobalFree(record.hDevMode);
    if (record.hDevNames != nullptr) GlobalFree(record.hDevNames);
    record.hDevMode = nullptr;
    record.hDevNames = nullptr;
  }

  PAGESETUPDLGA record{};
};

// The print dialog on the session's printer, asked again on the default
// printer when the saved one has gone.
bool AskPrintJob(PageSetupSession& session, PRINTDLGA* dialog) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    *dialog = PRINTDLGA{};
    dialog->lStructSize = sizeof *dialog;
    dialog->hwndOwner = session.record.hwndOwner;
    dialog->hDevMode = session.record.hDevMode;
    dialog->hDevNames = session.record.hDevNames;
    dialog->Flags = PD_RETURNDC;
    dialog->nFromPage = dialog->nToPage = dialog->nMinPage = dialog->nMaxPage = 1;
    dialog->nCopies = 1;
    const BOOL chosen = gPrintSpooler.printDialog(dialog);
    // The dialog may have freed the blocks it was given and made new ones.
    session.record.hDevMode = dialog->hDevMode;
    session.record.hDevNames = dialog->hDevNames;
    if (chosen != FALSE) return true;
    if (!session.DropGonePrinter()) return false;  // cancelled, or no printer at all
  }
  return false;
}

// The menu item of the current pattern, in Shift-JIS.
void CurrentPatternMenuText(HWND owner, char* out, int size) {
  out[0] = '\0';
  const HMENU menu = owner != nullptr ? GetMenu(owner) : nullptr;
  if (menu != nullptr)
    GetMenuStringA(menu, IDM_PATTERN_FIRST + std::clamp(gCurrentPattern, 0, kScreenPatternCount - 1), out, size,
                   MF_BYCOMMAND);
}

// One page per copy; a page that fails abandons the job.
void PrintPages(HDC printer, HENHMETAFILE picture, const RECT& area, int copies, const char* jobName) {
  DOCINFOA document{};
  document.cbSize = sizeof document;
  document.lpszDocName = jobName;
  if (gPrintSpooler.startDoc(printer, &document) <= 0) return;
  for (int copy = 0; copy < copies; ++copy) {
    if (gPrintSpooler.startPage(printer) <= 0) {
      gPrintSpooler.abortDoc(printer);
      return;
    }
    DrawMetafileFitted(printer, picture, area);
    if (gPrintSpooler.endPage(printer) <= 0) {
      gPrintSpooler.abortDoc(printer);
      return;
    }
  }
  gPrintSpooler.endDoc(printer);
}

void PrintPicture(HWND owner, HENHMETAFILE picture, const PRINTDLGA& dialog, const PAGESETUPDLGA& record) {
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
  if (owner != nullptr) UpdateWindow(owner);
  PageSetupImage pageSetup;
  memcpy(&pageSetup, &record, sizeof pageSetup);
  const Rect area = PrintableArea(pageSetup, GetDeviceCaps(dialog.hDC, HORZRES), GetDeviceCaps(dialog.hDC, VERTRES));
  char menuText[kPrintJobNameSize];
  CurrentPatternMenuText(owner, menuText, sizeof menuText);
  char jobName[kPrintJobNameSize];
  BuildPatternJobName(menuText, CurrentScreenPattern(), jobName, sizeof jobName);
  PrintPages(dialog.hDC, picture, ToWinRect(area), dialog.nCopies, jobName);
  SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));  // IDC_ARROW
}

}  // namespace

UINT_PTR CALLBACK PageSetupPaintHook(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kGreekTextRectMessage || lParam == 0) return FALSE;
  DrawMetafileFitted(reinterpret_cast<HDC>(wParam), gPageSetupPicture, *reinterpret_cast<const RECT*>(lParam));
  return TRUE;
}

void ShowPageSetup(HWND owner) {
  gPageSetupPicture = RenderChartsToMetafile();
  if (owner != nullptr) EnableWindow(owner, FALSE);
  {
    PageSetupSession session(owner);
    for (int attempt = 0; attempt < 2; ++attempt)
      if (gPrintSpooler.pageSetupDialog(&session.record) != FALSE || !session.DropGonePrinter()) break;
  }
  if (owner != nullptr) EnableWindow(owner, TRUE);
  if (gPageSetupPicture != nullptr) DeleteEnhMetaFile(gPageSetupPicture);
  gPageSetupPicture = nullptr;
}

void PrintChart(HWND owner) {
  const HENHMETAFILE picture = RenderChartsToMetafile();
  if (picture == nullptr) {
    MessageBeep(MB_ICONWARNING);  // no chart has room for its panes
    return;
  }
  if (owner != nullptr) EnableWindow(owner, FALSE);
  {
    PageSetupSession session(owner);
    PRINTDLGA dialog;
    if (AskPrintJob(session, &dialog) && dialog.hDC != nullptr) {
      PrintPicture(owner, picture, dialog, session.record);
      DeleteDC(dialog.hDC);
    }
  }
  DeleteEnhMetaFile(picture);
  if (owner != nullptr) EnableWindow(owner, TRUE);
}
