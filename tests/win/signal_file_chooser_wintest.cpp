// The signal-file chooser (dialog 187) from the file menu of a main window on
// the sample: starred rows without the extension, each file's details, a
// double click moving the star, OK loading it and offering the
// recomputation, and a choice that cannot be loaded leaving no file in use.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "analysis/signal_settings.h"
#include "common/command_ids.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/main_window_fixture.h"

namespace {

constexpr char kChooserTitle[] = "売買シグナル設定ファイルの選択...";
constexpr char kQuestionTitle[] = "お知らせ";

void Settle() { Sleep(150); }

std::vector<std::string> Rows(HWND dialog, int id) {
  std::vector<std::string> rows;
  const int count = static_cast<int>(SendDlgItemMessageW(dialog, id, LB_GETCOUNT, 0, 0));
  for (int row = 0; row < count; ++row) rows.push_back(DialogListRow(dialog, id, row));
  return rows;
}

int RowOf(HWND dialog, const std::string& text) {
  const std::vector<std::string> rows = Rows(dialog, IDC_SIGNAL_FILE_LIST);
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].find(text) != std::string::npos) return static_cast<int>(i);
  return -1;
}

void Notify(HWND dialog, int row, WORD notification) { ChooseRow(dialog, IDC_SIGNAL_FILE_LIST, row, notification); }

// A file with a description, `signals` named definitions and `scenarios` named scenarios, cut to `size`.
std::vector<unsigned char> SignalFile(const char* description, int signals, int scenarios,
                                      size_t size = sizeof(SignalSettingsFile)) {
  SignalSettingsFile file{};
  file.tag = kSignalSettingsTag;
  snprintf(file.description, sizeof file.description, "%s", description);
  file.definitionCount = signals;
  for (int k = 0; k < signals; ++k) snprintf(file.definitions[k].name, kSignalNameSize, "シグナル%d", k + 1);
  file.itemBase = kSignalItemBase;
  file.scenarioCount = scenarios;
  for (int s = 0; s < scenarios; ++s) snprintf(file.scenarios[s].name, kScenarioNameSize, "シナリオ%d", s + 1);
  std::vector<unsigned char> bytes(size);
  memcpy(bytes.data(), &file, std::min(size, sizeof file));
  return bytes;
}

class SignalFileChooserDialogTest : public InProcessMainWindowTest {
 protected:
  static void SetUpTestSuite() {
    if (!OpenSampleCopy(L"velqo-chooser")) return;
    ScreenPattern& pattern = CurrentScreenPattern() = ScreenPattern{};
    pattern.chartCount = 1;
    pattern.views[0] = MakeChartView(gStockTable->records[0].master.code, 0, {{kPaneCandles, 3}});
    if (!ShowMainWindow(900, 600)) return;
    PumpFor(200);
  }
  static void TearDownTestSuite() { CloseMainWindow(); }
  void SetUp() override {
    if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
    ASSERT_NE(window_, nullptr);
  }
  static std::wstring PluginPath(const wchar_t* name) { return SjisToWide(gDataFolder) + L"\\PLUGIN\\" + name; }
  // The file menu's item, while `drive` works the chooser and the recomputation
  // question (when one comes) is answered with Cancel.
  static bool RunChooser(const std::function<void(HWND)>& drive, bool* asked) {
    *asked = false;
    return RunDriven(
        SjisToWide(kChooserTitle),
        [&](HWND dialog) {
          drive(dialog);
          for (int i = 0; i < 20 && IsWindow(dialog); ++i) Sleep(50);
          for (int i = 0; i < 20 && !*asked; ++i, Sleep(50)) {
            if (const HWND box = FindWindowW(L"#32770", SjisToWide(kQuestionTitle).c_str())) {
              *asked = true;
              PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
            }
          }
        },
        [] { SendMessageW(window_, WM_COMMAND, IDM_CHOOSE_SIGNAL_FILE, 0); });
  }
};

TEST_F(SignalFileChooserDialogTest, DoubleClickMovesTheStarAndOkLoadsTheFileAndOffersTheRecomputation) {
  ASSERT_TRUE(WriteFileBytes(PluginPath(L"mine.dat"), SignalFile("私の設定", 2, 3)));
  ASSERT_TRUE(WriteFileBytes(PluginPath(L"old.dat"), SignalFile("古い形式", 1, 5, 6200)));
  std::vector<unsigned char> badTag = SignalFile("壊れた", 1, 0);
  badTag[0] ^= 1;
  ASSERT_TRUE(WriteFileBytes(PluginPath(L"bad.dat"), badTag));
  snprintf(gSignalFileName, sizeof gSignalFileName, "PLUGIN\\sample.dat");
  ASSERT_EQ(ReloadSignalSettingsFile(), 0);
  gRecomputeNeeded = 0;
  std::vector<std::string> before, after, mine, old;
  bool asked = false;
  EXPECT_TRUE(RunChooser(
      [&](HWND dialog) {
        before = Rows(dialog, IDC_SIGNAL_FILE_LIST);
        Notify(dialog, RowOf(dialog, "old"), LBN_SELCHANGE);
        old = {DialogText(dialog, IDC_SIGNAL_FILE_DESCRIPTION),
               std::to_string(Rows(dialog, IDC_SIGNAL_FILE_SIGNALS).size()),
               std::to_string(Rows(dialog, IDC_SIGNAL_FILE_SCENARIOS).size())};
        Notify(dialog, RowOf(dialog, "mine"), LBN_DBLCLK);
        Settle();
        after = Rows(dialog, IDC_SIGNAL_FILE_LIST);
        mine = Rows(dialog, IDC_SIGNAL_FILE_SIGNALS);
        for (const std::string& s : Rows(dialog, IDC_SIGNAL_FILE_SCENARIOS)) mine.push_back(s);
        mine.push_back(DialogText(dialog, IDC_SIGNAL_FILE_DESCRIPTION));
        SaveWindowPicture(dialog, L"signal-file-chooser.bmp");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      },
      &asked));
  std::sort(before.begin(), before.end());
  EXPECT_EQ(before, (std::vector<std::string>{"★sample", "○mine", "○old"}));
  EXPECT_EQ(old, (std::vector<std::string>{"古い形式", "1", "0"}));
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, (std::vector<std::string>{"★mine", "○old", "○sample"}));
  EXPECT_EQ(mine,
            (std::vector<std::string>{"シグナル1", "シグナル2", "シナリオ1", "シナリオ2", "シナリオ3", "私の設定"}));
  EXPECT_TRUE(asked);
  EXPECT_STREQ(gSignalFileName, "PLUGIN\\mine.dat");
  EXPECT_EQ(Row(gSignalSettings->definitionCount, gRecomputeNeeded), Row(2, 1));
}

// The starred file spoilt before OK: no file stays in use, and the
// recomputation is still offered; Cancel changes nothing.
TEST_F(SignalFileChooserDialogTest, AChoiceThatCannotBeLoadedLeavesNoFileInUse) {
  snprintf(gSignalFileName, sizeof gSignalFileName, "PLUGIN\\sample.dat");
  ASSERT_EQ(ReloadSignalSettingsFile(), 0);
  bool asked = false;
  EXPECT_TRUE(RunChooser([&](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0); }, &asked));
  EXPECT_FALSE(asked);
  EXPECT_STREQ(gSignalFileName, "PLUGIN\\sample.dat");
  ASSERT_TRUE(WriteFileBytes(PluginPath(L"spoilt.dat"), SignalFile("すぐ壊れる", 1, 0)));
  gRecomputeNeeded = 0;
  EXPECT_TRUE(RunChooser(
      [&](HWND dialog) {
        Notify(dialog, RowOf(dialog, "spoilt"), LBN_DBLCLK);
        ASSERT_TRUE(WriteFileBytes(PluginPath(L"spoilt.dat"), SignalFile("すぐ壊れる", 1, 0, 100)));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
      },
      &asked));
  EXPECT_TRUE(asked);
  EXPECT_STREQ(gSignalFileName, "");
  EXPECT_EQ(Row(gSignalSettings->definitionCount, gRecomputeNeeded), Row(0, 1));
}

}  // namespace
