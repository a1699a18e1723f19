// The colour dialog (248) as a user meets it, through its own modal loop
// answered from a second thread, and the new user's flow in the real program.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/indicator_params.h"
#include "chart/named_colors.h"
#include "chart/palette.h"
#include "chart/palette_resources_win.h"
#include "common/app_globals.h"
#include "common/command_ids.h"
#include "platform/win_text.h"
#include "records/palette_slots.h"
#include "resources/resource_ids.h"
#include "shell/settings.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"
#include "tests/win/win_test_support.h"
#include "window/color_settings_dialog_win.h"
#include "window/color_swatch_win.h"
#include "window/named_color_list_win.h"

namespace {

constexpr wchar_t kDialogTitle[] = L"色の変更";
constexpr int kPickerRedEdit = 706;  // the colour picker's red, green and blue edits

bool SamePalette(const ColorRef* a, const ColorRef* b) { return memcmp(a, b, kPaletteImageSize) == 0; }

// A key or a left click as the dialog's message loop gets it.
void PostKey(HWND control, WPARAM key) {
  PostMessageW(control, WM_KEYDOWN, key, 0);
  PostMessageW(control, WM_KEYUP, key, 0);
}
void ClickAt(HWND control, int x, int y) {
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  PostMessageW(control, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickTab(HWND dialog, int tab) {
  const HWND tabs = GetDlgItem(dialog, IDC_COLOR_TABS);
  RECT item{};
  SendMessageW(tabs, TCM_GETITEMRECT, tab, reinterpret_cast<LPARAM>(&item));
  ClickAt(tabs, (item.left + item.right) / 2, (item.top + item.bottom) / 2);
  Sleep(150);
}

void ChoosePalette(HWND dialog, int index) {
  const HWND list = GetDlgItem(dialog, IDC_COLOR_PALETTE_LIST);
  SendMessageW(list, CB_SETCURSEL, index, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_COLOR_PALETTE_LIST, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  Sleep(150);
}

HWND Swatch(HWND dialog, int entry) { return GetDlgItem(dialog, IDC_COLOR_SWATCH_FIRST + entry); }

// The colour the middle of a swatch shows on the screen.
COLORREF ShownColor(HWND swatch) {
  const auto picture = ScreenPicture(swatch);
  return picture->At(picture->width() / 2, picture->height() / 2);
}

// Types a colour into the picker owned by `owner` and takes it; false when none came.
bool AnswerPicker(HWND owner, int red, int green, int blue) {
  const HWND picker = WaitForOwnedDialog(owner);
  if (picker == nullptr) return false;
  Sleep(300);
  const int values[] = {red, green, blue};
  for (int i = 0; i < 3; ++i) SetDlgItemInt(picker, kPickerRedEdit + i, values[i], FALSE);
  Sleep(100);
  Press(picker, IDOK);
  return true;
}

// The texts of the message box owned by `owner` (title first), after closing it.
std::wstring AnswerMessageBox(HWND owner) {
  const HWND box = WaitForOwnedDialog(owner);
  if (box == nullptr) return L"";
  Sleep(200);
  std::wstring text = WindowTitle(box);
  for (HWND c = GetWindow(box, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) text += WindowTitle(c);
  Press(box, IDOK);
  WaitUntilClosed(box);
  return text;
}

// Runs the dialog here while `answer` works it from a thread of its own:
// 1 for OK, 0 for Cancel, -1 when no dialog came.
int RunDialog(HWND owner, const std::function<void(HWND)>& answer) {
  bool found = false;
  std::thread helper([&] {
    if (const HWND dialog = WaitForDialog(kDialogTitle)) {
      Sleep(300);  // painted
      answer(dialog);
      found = true;
    }
  });
  const bool ok = ShowColorSettingsDialog(owner);
  helper.join();
  return found ? ok : -1;
}

class ColorSettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAppTexts();
    InstallPaletteResourceReader();
    ASSERT_TRUE(RegisterColorSwatchClass(GetModuleHandleW(nullptr)));
    folder_ = MakeTempFolder(L"velqo-colours");
    SetDefaultSettings();
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 700, 560, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    SetPaletteResourceReader(nullptr);
    RemoveFolderTree(folder_);
  }

  ScopedGlobalState globals_{TestStart::kAsIs};
  std::wstring folder_;
  HWND owner_ = nullptr;
};

// A new user's dialog: palette 2 and the first page shown; the black palette
// turns the swatches black; a tab shows its page; a swatch takes the picker's
// colour; Esc leaves the live settings as they were.
TEST_F(ColorSettingsDialogTest, ListTabsAndASwatchEditTheCopyAndEscLeavesTheSettingsAlone) {
  const SettingsBlock before = gSettings;
  int selected = -1;
  bool firstPageOnly = false, blackSwatch = false, tabShowsPage = false, picked = false;
  COLORREF shown = 0;
  const int result = RunDialog(owner_, [&](HWND dialog) {
    selected = static_cast<int>(SendDlgItemMessageW(dialog, IDC_COLOR_PALETTE_LIST, CB_GETCURSEL, 0, 0));
    firstPageOnly = IsWindowVisible(Swatch(dialog, kColorBackground)) && !IsWindowVisible(Swatch(dialog, kColorRsi0));
    ChoosePalette(dialog, 1);
    blackSwatch = ShownColor(Swatch(dialog, kColorBackground)) == RGB(0, 0, 0);
    SaveWindowPicture(dialog, L"colour-dialog-black.bmp");
    ClickTab(dialog, 2);  // "RSI/RCI/乖離線"
    const HWND rsi = Swatch(dialog, kColorRsi0);
    tabShowsPage = IsWindowVisible(rsi) && !IsWindowVisible(Swatch(dialog, 0));
    ClickAt(rsi, 3, 3);
    picked = AnswerPicker(dialog, 10, 200, 30);
    Sleep(300);
    shown = ShownColor(rsi);
    SaveWindowPicture(dialog, L"colour-dialog-picked.bmp");
    PostKey(GetDlgItem(dialog, IDC_COLOR_TABS), VK_ESCAPE);
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Row(selected, firstPageOnly, blackSwatch, tabShowsPage, picked), Row(kDefaultBuiltinPalette, 1, 1, 1, 1));
  EXPECT_EQ(Row(gSettingsEdit.paletteColors[kColorRsi0], shown), Row(RGB(10, 200, 30), RGB(10, 200, 30)));
  EXPECT_EQ(memcmp(&gSettings, &before, sizeof before), 0);
}

// The named colours' list: the 16 names with black selected, each item drawn
// as a framed swatch twice as wide as high and its name, a selected one framed.
TEST_F(ColorSettingsDialogTest, NamedColourListsShowEachColourAsASwatchAndFrameTheSelectedOne) {
  CreateNamedColorBrushes();
  const HWND combo = CreateWindowExW(0, L"COMBOBOX", L"",
                                     WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 10,
                                     10, 150, 200, owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
  FillColorCombo(combo, FindBlackColorIndex());
  EXPECT_EQ(Row(SendMessageW(combo, CB_GETCOUNT, 0, 0), SendMessageW(combo, CB_GETCURSEL, 0, 0)),
            Row(kNamedColorCount, 0));
  DestroyWindow(combo);
  const COLORREF grey = RGB(90, 90, 90);
  struct Case {
    UINT id, action, state;
    COLORREF corner, swatch, beyondName;
  } const cases[] = {
      {6, ODA_DRAWENTIRE, ODS_SELECTED, RGB(0, 0, 0), RGB(255, 0, 0), RGB(255, 255, 255)},  // Red
      {13, ODA_SELECT, 0, RGB(255, 255, 255), RGB(0, 0, 255), RGB(255, 255, 255)},          // Blue
      {13, ODA_FOCUS, ODS_SELECTED, grey, grey, grey},                                      // nothing
      {static_cast<UINT>(-1), ODA_DRAWENTIRE, 0, grey, grey, grey},                         // empty
  };
  for (const Case& c : cases) {
    Canvas canvas(120, 16, grey);
    DrawColorListItem({ODT_COMBOBOX, 0, c.id, c.action, c.state, nullptr, canvas.dc(), canvas.Whole(), c.id});
    // Swatch from (1, 1) to (29, 15): framed black, its colour inside.
    EXPECT_PIXELS(canvas, {0, 0, c.corner}, {10, 8, c.swatch}, {115, 8, c.beyondName}) << c.id << " " << c.action;
    if (c.swatch != grey) {
      EXPECT_PIXELS(canvas, {1, 1, RGB(0, 0, 0)}, {28, 14, RGB(0, 0, 0)}, {27, 13, c.swatch});
    }
  }
  DeleteNamedColorBrushes();
}

// A file of another size is refused with its message and changes nothing; a
// save that fails is told; Enter makes the chosen palette live.
TEST_F(ColorSettingsDialogTest, OtherFilesAreRefusedAndAFailedSaveIsTold) {
  const std::wstring shortFile = folder_ + L"short.pal", locked = folder_ + L"locked.pal";
  ASSERT_TRUE(WriteFileBytes(shortFile, std::vector<unsigned char>(319, 7)));
  ASSERT_TRUE(WriteFileBytes(locked, std::vector<unsigned char>(320, 7)));
  std::wstring refusal, failure;
  int filesTaken = 0;
  const int result = RunDialog(owner_, [&](HWND dialog) {
    ChoosePalette(dialog, 0);
    Press(dialog, IDC_COLOR_LOAD);
    filesTaken += AnswerFileDialog(dialog, shortFile);
    refusal = AnswerMessageBox(dialog);
    // Held open without sharing: the save cannot replace it.
    const HANDLE hold = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    Press(dialog, IDC_COLOR_SAVE);
    filesTaken += AnswerFileDialog(dialog, locked, true);
    failure = AnswerMessageBox(dialog);
    CloseHandle(hold);
    PostKey(GetDlgItem(dialog, IDC_COLOR_TABS), VK_RETURN);
  });
  EXPECT_EQ(Row(result, filesTaken, gBuiltinPaletteIndex), Row(1, 2, 0));
  EXPECT_NE(refusal.find(SjisToWide("パレットデータではありません")), std::wstring::npos)
      << WideToSjis(refusal.c_str());
  EXPECT_TRUE(SamePalette(gPaletteColors, GetBuiltinPaletteTable(0)));
  EXPECT_NE(failure.find(L"エラー"), std::wstring::npos) << WideToSjis(failure.c_str());
  EXPECT_EQ(ReadFileBytes(locked), std::vector<unsigned char>(320, 7));
}

// A new user in the real program: RSI 14 -> 9 on the sheet offers the
// recomputation; "反転（黒地）" turns the charts black; the palette is saved
// to a file, another chosen, the saved one loaded back and shown; after a
// restart both choices are kept.
int BlackShare(HWND window, const wchar_t* picture) {
  const auto shown = ScreenPicture(window);
  shown->SaveArtifact(picture);
  const RECT whole = shown->Whole();
  return shown->Count(whole, RGB(0, 0, 0)) * 100 / std::max(1L, whole.right * whole.bottom);
}

// A shown dialog of the program by its title, waited for.
HWND WaitForProgramDialog(const RunningProgram& program, const wchar_t* title) {
  HWND dialog = nullptr;
  for (int i = 0; i < 200 && dialog == nullptr; ++i, Sleep(50))
    dialog = WindowOf(program.process, L"#32770", title, true);
  if (dialog != nullptr) Sleep(300);  // painted
  return dialog;
}

// The RSI period typed on the RSI page of the sheet and taken with Enter; the
// recomputation question is answered with Cancel. False when it was not asked.
bool TypeRsiPeriodOnTheSheet(RunningProgram& program, std::wstring* before) {
  PostMessageW(program.window, WM_COMMAND, IDM_ANALYSIS_PARAMETERS, 0);
  const HWND sheet = WaitForProgramDialog(program, L"分析パラメータの変更...");
  if (sheet == nullptr) return false;
  PostMessageW(sheet, PSM_SETCURSEL, 2, 0);
  Sleep(150);
  const HWND edit = GetDlgItem(reinterpret_cast<HWND>(SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0)), 10012);
  wchar_t text[32] = L"";
  SendMessageW(edit, WM_GETTEXT, 32, reinterpret_cast<LPARAM>(text));  // asked of the edit: another process's
  *before = text;
  PostMessageW(edit, EM_SETSEL, 0, -1);
  PostMessageW(edit, WM_CHAR, L'9', 0);
  Sleep(150);
  SaveWindowPicture(sheet, L"program-parameter-sheet-rsi.bmp");
  PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
  const HWND question = WaitForProgramDialog(program, L"お知らせ");
  if (question == nullptr) return false;
  SaveWindowPicture(question, L"program-parameter-sheet-question.bmp");
  PostMessageW(question, WM_COMMAND, IDCANCEL, 0);
  SettleProgram(program.window);
  Sleep(300);
  SaveWindowPicture(program.window, L"program-parameter-sheet-rsi-chart.bmp");
  return true;
}

HWND OpenProgramColorDialog(RunningProgram& program) {
  PostMessageW(program.window, WM_COMMAND, IDM_COLOR_SETTINGS, 0);
  return WaitForProgramDialog(program, kDialogTitle);
}

void PressOkAndSettle(RunningProgram& program, HWND dialog) {
  Press(dialog, IDOK);
  WaitUntilClosed(dialog);
  SettleProgram(program.window);
  Sleep(300);
}

TEST(NewUserFlowTest, AnRsiPeriodAndTheBlackPaletteSavedAndLoadedBackAreKeptAfterARestart) {
  const std::wstring folder = CopySample(L"velqo-colour-flow");
  if (folder.empty()) GTEST_SKIP() << "no sample database given";
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  SettleProgram(program.window);
  EXPECT_LT(BlackShare(program.window, L"colour-flow-1-start.bmp"), 20);
  std::wstring rsiBefore;
  EXPECT_TRUE(TypeRsiPeriodOnTheSheet(program, &rsiBefore)) << "the recomputation is not offered";
  EXPECT_EQ(rsiBefore, L"14");
  HWND dialog = OpenProgramColorDialog(program);
  ASSERT_NE(dialog, nullptr);
  ChoosePalette(dialog, 1);  // "反転（黒地）"
  PressOkAndSettle(program, dialog);
  EXPECT_GT(BlackShare(program.window, L"colour-flow-2-black.bmp"), 40);
  // Saved to a file, the white palette chosen, then the file loaded back.
  const std::wstring saved = folder + L"black.pal";
  dialog = OpenProgramColorDialog(program);
  ASSERT_NE(dialog, nullptr);
  Press(dialog, IDC_COLOR_SAVE);
  EXPECT_TRUE(AnswerFileDialog(dialog, saved));
  ChoosePalette(dialog, 0);
  PressOkAndSettle(program, dialog);
  EXPECT_LT(BlackShare(program.window, L"colour-flow-3-white.bmp"), 20);
  dialog = OpenProgramColorDialog(program);
  ASSERT_NE(dialog, nullptr);
  Press(dialog, IDC_COLOR_LOAD);
  EXPECT_TRUE(AnswerFileDialog(dialog, saved));
  Sleep(200);
  SaveWindowPicture(dialog, L"colour-flow-4-loaded-dialog.bmp");
  PressOkAndSettle(program, dialog);
  EXPECT_GT(BlackShare(program.window, L"colour-flow-5-loaded.bmp"), 40);
  const std::vector<unsigned char> file = ReadFileBytes(saved);
  EXPECT_TRUE(file.size() == kPaletteImageSize &&
              SamePalette(reinterpret_cast<const ColorRef*>(file.data()), GetBuiltinPaletteTable(1)));
  EXPECT_EQ(CloseProgram(program), 0u);
  ASSERT_TRUE(LaunchProgram(folder, program));
  SettleProgram(program.window);
  EXPECT_GT(BlackShare(program.window, L"colour-flow-6-restarted.bmp"), 40);
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(FromSavedSettings(folder,
                              [] {
                                return Row(SamePalette(gPaletteColors, GetBuiltinPaletteTable(1)),
                                           gIndicatorParams[0].slot[kParamRsi0]);
                              }),
            Row(1, 9));
  RemoveFolderTree(folder);
}

}  // namespace
