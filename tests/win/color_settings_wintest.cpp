// The colour dialog (248) as a user meets it, through its own modal loop
// answered from a second thread: the palette list, the tabs, a swatch and
// the colour picker, saving and loading "*.PAL" files, Cancel and OK; and
// the chart of the main window after a palette change.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/group_store.h"
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
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/program_runner.h"
#include "tests/win/win_test_support.h"
#include "window/color_settings_dialog_win.h"
#include "window/color_swatch_win.h"
#include "window/named_color_list_win.h"

namespace {

constexpr wchar_t kDialogTitle[] = L"色の変更";
constexpr int kPickerRedEdit = 706;  // the colour picker's red, green and blue edits
constexpr int kFileNameBox = 1148;   // the file dialogs' name box (cmb13)

std::wstring Sjis(const char* text) { return SjisToWide(text); }

bool SamePalette(const ColorRef* a, const ColorRef* b) { return memcmp(a, b, kPaletteImageSize) == 0; }

// A window of class #32770 owned by `owner` (its own dialogs: picker, file dialog, message box).
HWND WaitForOwnedDialog(HWND owner) {
  for (int i = 0; i < 200; ++i, Sleep(50)) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr))
      if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

std::wstring StaticTexts(HWND dialog) {
  std::wstring texts;
  for (HWND c = GetWindow(dialog, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) texts += WindowTitle(c);
  return texts;
}

void Press(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// A key as the dialog's message loop gets it, on one of its controls.
void PostKey(HWND control, WPARAM key) {
  PostMessageW(control, WM_KEYDOWN, key, 0);
  PostMessageW(control, WM_KEYUP, key, 0);
}

// A left click on a control, as the mouse gives it.
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

// The colour the middle of a swatch shows on the screen.
COLORREF ShownColor(HWND swatch) {
  const auto picture = ScreenPicture(swatch);
  return picture->At(picture->width() / 2, picture->height() / 2);
}

bool WaitUntilClosed(HWND window) {
  for (int i = 0; i < 100 && IsWindow(window); ++i) Sleep(50);
  return !IsWindow(window);
}

// Types a name into the file dialog owned by `owner` and takes it, answering
// yes when asked whether to replace the file; true once the dialog closed.
bool AnswerFileDialog(HWND owner, const std::wstring& path, bool replace = false) {
  const HWND files = WaitForOwnedDialog(owner);
  if (files == nullptr) return false;
  Sleep(300);
  SetDlgItemTextW(files, kFileNameBox, path.c_str());
  Press(files, IDOK);
  if (replace) {
    if (const HWND question = WaitForOwnedDialog(files)) {
      Sleep(200);
      Press(question, IDYES);
    }
  }
  return WaitUntilClosed(files);
}

// The text of the message box owned by `owner` (title first), after closing it.
std::wstring AnswerMessageBox(HWND owner) {
  const HWND box = WaitForOwnedDialog(owner);
  if (box == nullptr) return L"";
  Sleep(200);
  const std::wstring text = WindowTitle(box) + StaticTexts(box);
  Press(box, IDOK);
  WaitUntilClosed(box);
  return text;
}

// Runs the dialog here while `answer` works it from a thread of its own; the dialog's result.
bool RunDialog(HWND owner, const std::function<void(HWND)>& answer, bool* found) {
  *found = false;
  std::thread helper([&] {
    if (const HWND dialog = WaitForDialog(kDialogTitle)) {
      Sleep(300);  // painted
      answer(dialog);
      *found = true;
    }
  });
  const bool ok = ShowColorSettingsDialog(owner);
  helper.join();
  return ok;
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

// The built-in palettes are read from the program's own resources.
TEST_F(ColorSettingsDialogTest, TheResourcesHoldTheBuiltinTables) {
  SettingsBlock block{};
  for (int index = 0; index < kBuiltinPaletteCount; ++index) {
    block.builtinPaletteIndex = index;
    LoadBuiltinPaletteInto(block);
    EXPECT_TRUE(SamePalette(block.paletteColors, GetBuiltinPaletteTable(index))) << index;
  }
}

// A new user's dialog: built-in palette 2 selected, the first page shown; the
// black palette turns the swatches black at once; the tabs show their pages;
// a swatch opens the picker and takes its colour; Cancel leaves everything live as it was.
TEST_F(ColorSettingsDialogTest, ListTabsAndASwatchEditTheCopyAndCancelLeavesTheSettingsAlone) {
  const SettingsBlock before = gSettings;
  int selected = -1;
  bool firstPageShown = false, otherPageHidden = true, blackSwatch = false, tabShowsPage = false, pickerFound = false;
  COLORREF picked = 0;
  bool found = false;
  const bool ok = RunDialog(
      owner_,
      [&](HWND dialog) {
        selected = static_cast<int>(SendDlgItemMessageW(dialog, IDC_COLOR_PALETTE_LIST, CB_GETCURSEL, 0, 0));
        firstPageShown = IsWindowVisible(GetDlgItem(dialog, IDC_COLOR_SWATCH_FIRST + kColorBackground)) != 0;
        otherPageHidden = IsWindowVisible(GetDlgItem(dialog, IDC_COLOR_SWATCH_FIRST + kColorRsi0)) == 0;
        ChoosePalette(dialog, 1);
        blackSwatch = ShownColor(GetDlgItem(dialog, IDC_COLOR_SWATCH_FIRST + kColorBackground)) == RGB(0, 0, 0);
        SaveWindowPicture(dialog, L"colour-dialog-black.bmp");
        ClickTab(dialog, 2);  // "RSI/RCI/乖離線"
        const HWND rsi = GetDlgItem(dialog, IDC_COLOR_SWATCH_FIRST + kColorRsi0);
        tabShowsPage = IsWindowVisible(rsi) && !IsWindowVisible(GetDlgItem(dialog, IDC_COLOR_SWATCH_FIRST));
        ClickAt(rsi, 3, 3);
        if (const HWND picker = WaitForOwnedDialog(dialog)) {
          pickerFound = true;
          Sleep(300);
          for (int i = 0; i < 3; ++i)
            SetDlgItemTextW(picker, kPickerRedEdit + i, i == 0 ? L"10" : i == 1 ? L"200" : L"30");
          Sleep(100);
          Press(picker, IDOK);
          Sleep(300);
        }
        picked = ShownColor(rsi);
        SaveWindowPicture(dialog, L"colour-dialog-picked.bmp");
        PostKey(GetDlgItem(dialog, IDC_COLOR_TABS), VK_ESCAPE);
      },
      &found);
  ASSERT_TRUE(found);
  EXPECT_FALSE(ok);
  EXPECT_EQ(selected, kDefaultBuiltinPalette);
  EXPECT_TRUE(firstPageShown);
  EXPECT_TRUE(otherPageHidden);
  EXPECT_TRUE(blackSwatch);
  EXPECT_TRUE(tabShowsPage);
  EXPECT_TRUE(pickerFound);
  EXPECT_EQ(gSettingsEdit.paletteColors[kColorRsi0], RGB(10, 200, 30));
  EXPECT_EQ(picked, RGB(10, 200, 30));
  EXPECT_EQ(memcmp(&gSettings, &before, sizeof before), 0);
}

// Enter (OK) makes the whole edit copy live: the chosen palette and its index.
TEST_F(ColorSettingsDialogTest, EnterMakesTheChosenPaletteLive) {
  bool found = false;
  const bool ok = RunDialog(
      owner_,
      [&](HWND dialog) {
        ChoosePalette(dialog, 1);
        PostKey(GetDlgItem(dialog, IDC_COLOR_TABS), VK_RETURN);
      },
      &found);
  ASSERT_TRUE(found);
  EXPECT_TRUE(ok);
  EXPECT_EQ(gBuiltinPaletteIndex, 1);
  EXPECT_TRUE(SamePalette(gPaletteColors, GetBuiltinPaletteTable(1)));
}

// A swatch numbered -1 shows and edits the first group's colour in the group table's edit copy.
TEST_F(ColorSettingsDialogTest, ASwatchOfMinusOneEditsTheFirstGroupsColour) {
  ASSERT_TRUE(AllocGroupTables());
  gGroupTableEdit->groups[0].nameColor = RGB(200, 0, 0);
  gGroupTableEdit->groups[1].nameColor = RGB(0, 0, 200);
  const HWND swatch = CreateWindowExW(0, kColorSwatchClassName, L"-1", WS_CHILD | WS_VISIBLE, 40, 40, 60, 30, owner_,
                                      reinterpret_cast<HMENU>(7), GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(swatch, nullptr);
  UpdateWindow(owner_);
  PumpFor(100);
  EXPECT_EQ(ShownColor(swatch), RGB(200, 0, 0));
  bool pickerFound = false;
  std::thread helper([&] {
    if (const HWND picker = WaitForOwnedDialog(owner_)) {
      pickerFound = true;
      Sleep(300);
      for (int i = 0; i < 3; ++i) SetDlgItemTextW(picker, kPickerRedEdit + i, i == 1 ? L"128" : L"0");
      Sleep(100);
      Press(picker, IDOK);
    }
  });
  SendMessageW(swatch, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));  // the picker's own loop runs here
  helper.join();
  PumpFor(100);
  EXPECT_TRUE(pickerFound);
  EXPECT_EQ(gGroupTableEdit->groups[0].nameColor, RGB(0, 128, 0));
  EXPECT_EQ(gGroupTableEdit->groups[1].nameColor, RGB(0, 0, 200));
  EXPECT_EQ(ShownColor(swatch), RGB(0, 128, 0));
  DestroyWindow(swatch);
}

// The named colours' list: the 16 names with black selected, each item drawn
// as a framed swatch twice as wide as high and its name, a selected one framed.
TEST_F(ColorSettingsDialogTest, NamedColourListsShowEachColourAsASwatchAndFrameTheSelectedOne) {
  CreateNamedColorBrushes();
  const HWND combo = CreateWindowExW(0, L"COMBOBOX", L"",
                                     WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 10,
                                     10, 150, 200, owner_, nullptr, GetModuleHandleW(nullptr), nullptr);
  FillColorCombo(combo, FindBlackColorIndex());
  EXPECT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), kNamedColorCount);
  EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, 6, 0), 6);
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
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_COMBOBOX;
    item.itemID = c.id;
    item.itemData = c.id;
    item.itemAction = c.action;
    item.itemState = c.state;
    item.hDC = canvas.dc();
    item.rcItem = canvas.Whole();
    DrawColorListItem(item);
    // Swatch from (1, 1) to (29, 15): framed black, its colour inside.
    EXPECT_PIXELS(canvas, {0, 0, c.corner}, {10, 8, c.swatch}, {115, 8, c.beyondName}) << c.id << " " << c.action;
    if (c.swatch != grey) EXPECT_PIXELS(canvas, {1, 1, RGB(0, 0, 0)}, {28, 14, RGB(0, 0, 0)}, {27, 13, c.swatch});
  }
  DeleteNamedColorBrushes();
}

// A palette saved to a file comes back byte for byte after another was
// chosen; a file of another size is refused with its message and changes
// nothing; a save that fails is told.
TEST_F(ColorSettingsDialogTest, APaletteSavedAndLoadedBackComesBackAndOtherFilesAreRefused) {
  const std::wstring saved = folder_ + L"mine.pal";
  const std::wstring shortFile = folder_ + L"short.pal";
  const std::wstring locked = folder_ + L"locked.pal";
  ASSERT_TRUE(WriteFileBytes(shortFile, std::vector<unsigned char>(319, 7)));
  ASSERT_TRUE(WriteFileBytes(locked, std::vector<unsigned char>(320, 7)));
  gPaletteColors[kColorRising] = RGB(1, 2, 3);
  const std::vector<unsigned char> mine(reinterpret_cast<const unsigned char*>(gPaletteColors),
                                        reinterpret_cast<const unsigned char*>(gPaletteColors) + kPaletteImageSize);
  std::wstring refusal, failure;
  bool savedFound = false, shortFound = false, loadedFound = false, lockedFound = false;
  ColorRef afterRefusal[kPaletteColorCount] = {};
  bool found = false;
  const bool ok = RunDialog(
      owner_,
      [&](HWND dialog) {
        Press(dialog, IDC_COLOR_SAVE);
        savedFound = AnswerFileDialog(dialog, saved);
        ChoosePalette(dialog, 0);
        Press(dialog, IDC_COLOR_LOAD);
        shortFound = AnswerFileDialog(dialog, shortFile);
        refusal = AnswerMessageBox(dialog);
        memcpy(afterRefusal, gSettingsEdit.paletteColors, kPaletteImageSize);
        Press(dialog, IDC_COLOR_LOAD);
        loadedFound = AnswerFileDialog(dialog, saved);
        // Held open without sharing: the save cannot replace it.
        const HANDLE hold = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        Press(dialog, IDC_COLOR_SAVE);
        lockedFound = AnswerFileDialog(dialog, locked, true);
        failure = AnswerMessageBox(dialog);
        CloseHandle(hold);
        Press(dialog, IDOK);
      },
      &found);
  ASSERT_TRUE(found);
  EXPECT_TRUE(ok);
  EXPECT_TRUE(savedFound && shortFound && loadedFound && lockedFound);
  EXPECT_EQ(ReadFileBytes(saved), mine);
  EXPECT_NE(refusal.find(Sjis("パレットデータではありません")), std::wstring::npos) << WideToSjis(refusal.c_str());
  EXPECT_TRUE(SamePalette(afterRefusal, GetBuiltinPaletteTable(0)));
  EXPECT_EQ(memcmp(gPaletteColors, mine.data(), kPaletteImageSize), 0);
  EXPECT_EQ(gPaletteColors[kColorRising], RGB(1, 2, 3));
  EXPECT_NE(failure.find(L"エラー"), std::wstring::npos) << WideToSjis(failure.c_str());
  EXPECT_EQ(ReadFileBytes(locked), std::vector<unsigned char>(320, 7));
}

// The charts of the main window take the palette chosen in the dialog,
// opened from its menu command, once OK is pressed.
class ColorSettingsChartTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-colour-chart")) return;
    ShowMainWindow(1000, 700);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    PumpFor(200);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
  }
};

TEST_F(ColorSettingsChartTest, TheBlackPaletteChosenInTheDialogTurnsTheChartsBlackOnOk) {
  InstallPaletteResourceReader();
  const auto before = ScreenPicture(window_);
  const RECT whole = before->Whole();
  const int whiteBefore = before->Count(whole, RGB(255, 255, 255));
  const int blackBefore = before->Count(whole, RGB(0, 0, 0));
  std::atomic<bool> answered{false};
  std::thread helper([&] {
    if (const HWND dialog = WaitForDialog(kDialogTitle)) {
      Sleep(300);
      ChoosePalette(dialog, 1);
      Press(dialog, IDOK);
      answered = true;
    }
  });
  PostMessageW(window_, WM_COMMAND, IDM_COLOR_SETTINGS, 0);
  PumpFor(400);
  helper.join();
  PumpFor(300);
  SetPaletteResourceReader(nullptr);
  ASSERT_TRUE(answered);
  EXPECT_EQ(gBuiltinPaletteIndex, 1);
  const auto after = ScreenPicture(window_);
  after->SaveArtifact(L"colour-charts-black.bmp");
  const int blackAfter = after->Count(whole, RGB(0, 0, 0));
  // The chart grounds were white and are black now.
  EXPECT_GT(whiteBefore, (whole.right * whole.bottom) / 3);
  EXPECT_GT(blackAfter, blackBefore + (whole.right * whole.bottom) / 3);
}

// A new user in the real program: "反転（黒地）" turns the charts black; the
// palette is saved to a file, another is chosen, the saved one loaded back
// and the charts show its colours; after a restart the choice is kept.
int BlackShare(HWND window, const wchar_t* picture) {
  const auto shown = ScreenPicture(window);
  shown->SaveArtifact(picture);
  const RECT whole = shown->Whole();
  return shown->Count(whole, RGB(0, 0, 0)) * 100 / std::max(1L, whole.right * whole.bottom);
}

// The colour dialog of the running program, opened from its menu command.
HWND OpenProgramColorDialog(RunningProgram& program) {
  PostMessageW(program.window, WM_COMMAND, IDM_COLOR_SETTINGS, 0);
  const HWND dialog = WaitForDialogWithControl(program.process, IDC_COLOR_TABS);
  if (dialog != nullptr) Sleep(300);
  return dialog;
}

void PressOkAndSettle(RunningProgram& program, HWND dialog) {
  Press(dialog, IDOK);
  WaitUntilClosed(dialog);
  SettleProgram(program.window);
  Sleep(300);
}

TEST(ColorSettingsFlowTest, TheBlackPaletteIsSavedChosenAgainFromItsFileAndKeptAfterARestart) {
  const std::wstring folder = CopySample(L"velqo-colour-flow");
  if (folder.empty()) GTEST_SKIP() << "no sample database given";
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  SettleProgram(program.window);
  EXPECT_LT(BlackShare(program.window, L"colour-flow-1-start.bmp"), 20);
  // "反転（黒地）" and OK.
  HWND dialog = OpenProgramColorDialog(program);
  ASSERT_NE(dialog, nullptr);
  ChoosePalette(dialog, 1);
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
  ASSERT_EQ(file.size(), kPaletteImageSize);
  EXPECT_EQ(memcmp(file.data(), GetBuiltinPaletteTable(1), kPaletteImageSize), 0);
  EXPECT_EQ(CloseProgram(program), 0u);
  // The choice is kept.
  ASSERT_TRUE(LaunchProgram(folder, program));
  SettleProgram(program.window);
  EXPECT_GT(BlackShare(program.window, L"colour-flow-6-restarted.bmp"), 40);
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_TRUE(FromSavedSettings(folder, [] { return SamePalette(gPaletteColors, GetBuiltinPaletteTable(1)); }));
  RemoveFolderTree(folder);
}

}  // namespace
