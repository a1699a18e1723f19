// The signal-settings file editor (186) as a user works it through its own
// modal loop, answered from a second thread: a file opened, arrows over the
// closed group combo box, a signal copied into a group, the file saved.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/group_store.h"
#include "analysis/signal_settings.h"
#include "common/app_globals.h"
#include "data/stock_table.h"
#include "platform/win_text.h"
#include "resources/resource_ids.h"
#include "tests/support/global_state.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/win_test_support.h"
#include "window/signal_file_editor_dialog_win.h"

namespace {

constexpr wchar_t kDialogTitle[] = L"売買シグナル設定ファイルの編集";
constexpr int kFirstManualGroup = 24;

void PostKey(HWND control, WPARAM key) {
  PostKeyDownUp(control, key);
  Sleep(100);
}

// A file of two signals of one term each, "配布 0" and "配布 1".
std::vector<unsigned char> DistributedFile() {
  auto file = std::make_unique<SignalSettingsFile>();
  file->tag = kSignalSettingsTag;
  file->definitionCount = 2;
  for (int d = 0; d < 2; ++d) {
    std::snprintf(file->definitions[d].name, kSignalNameSize, "\x94\x7a\x95\x7a %d", d);  // 配布
    file->definitions[d].termCount = 1;
    file->definitions[d].terms[0] = {3, 0, -2, 0, 1000.0 * (d + 1)};  // daily volume above a constant
    file->definitions[d].kind = 1 + d;
  }
  file->itemBase = kSignalItemBase;
  const auto* bytes = reinterpret_cast<const unsigned char*>(file.get());
  return std::vector<unsigned char>(bytes, bytes + sizeof *file);
}

class SignalFileEditorDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitAppTexts();
    folder_ = MakeTempFolder(L"velqo-sigedit");
    ASSERT_TRUE(CreateDirectoryW((folder_ + L"PLUGIN").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(folder_ + L"PLUGIN\\dist.dat", DistributedFile()));
    WideToSjisBuffer(folder_.c_str(), gDataFolder, sizeof gDataFolder);
    MakeDataFolderCurrent();
    ASSERT_TRUE(AllocateStockTable());
    ASSERT_TRUE(AllocGroupTables());
    for (int g = 0; g < kGroupCount; ++g) BuildDefaultGroups(*gGroupTable, g);
    owner_ = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 900, 700, nullptr,
                             nullptr, GetModuleHandleW(nullptr), nullptr);
  }
  void TearDown() override {
    DestroyWindow(owner_);
    RemoveFolderTree(folder_);
  }
  bool RunEditor(const std::function<void(HWND)>& answer) {
    return RunDriven(
        kDialogTitle,
        [&](HWND dialog) {
          answer(dialog);
          Press(dialog, IDOK);
        },
        [&] { OpenSignalFileEditor(owner_); });
  }

  ScopedGlobalState globals_{TestStart::kAsIs};
  std::wstring folder_;
  HWND owner_ = nullptr;
};

// Arrows over the closed combo box only move its selection; a choice taken
// from its open list is refused while another window edits groups, else asks
// first, then the group takes the signal. The file
// saved from the dialog lands in "PLUGIN\" and is a signal file.
TEST_F(SignalFileEditorDialogTest, OnlyAChoiceFromTheOpenListCopiesASignalIntoAGroup) {
  const std::vector<unsigned char> before(reinterpret_cast<const unsigned char*>(gGroupTable),
                                          reinterpret_cast<const unsigned char*>(gGroupTable + 1));
  bool disabledAtFirst = false, opened = false, askedOnArrows = true, unchangedByArrows = false, asked = false;
  bool saved = false, refusedWhileBusy = false;
  int signals = 0;
  ASSERT_TRUE(RunEditor([&](HWND dialog) {
    const HWND combo = GetDlgItem(dialog, IDC_SIGEDIT_TO_GROUP);
    disabledAtFirst = !IsWindowEnabled(combo);
    Press(dialog, IDC_SIGEDIT_OPEN);
    opened = AnswerFileDialog(dialog, folder_ + L"PLUGIN\\dist.dat");
    Sleep(300);
    signals = static_cast<int>(SendDlgItemMessageW(dialog, IDC_SIGEDIT_SIGNALS, LB_GETCOUNT, 0, 0));
    SendDlgItemMessageW(dialog, IDC_SIGEDIT_SIGNALS, LB_SETCURSEL, 1, 0);
    PostMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE);
    Sleep(200);
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_UP, VK_DOWN}) PostKey(combo, key);
    askedOnArrows = false;
    while (const HWND question = WaitForOwnedDialog(dialog, 20)) {  // one per arrow when they were taken as choices
      askedOnArrows = true;
      Press(question, IDCANCEL);
      WaitUntilClosed(question);
    }
    unchangedByArrows = std::memcmp(before.data(), gGroupTable, before.size()) == 0;
    SaveWindowPicture(dialog, L"signal-editor-arrows.bmp");
    gGroupEditBusy = 1;  // as while the simulator's parameter window is open
    PostKey(combo, VK_F4);
    PostKey(combo, VK_RETURN);
    if (const HWND refusal = WaitForOwnedDialog(dialog)) {
      std::wstring text;
      for (HWND c = GetWindow(refusal, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) text += WindowTitle(c);
      refusedWhileBusy = text.find(L"シミュレータ") != std::wstring::npos;
      Press(refusal, IDOK);
      WaitUntilClosed(refusal);
    }
    gGroupEditBusy = 0;
    PostKey(combo, VK_F4);  // the list drops down at the third manual group, where the arrows left it
    PostKey(combo, VK_RETURN);
    if (const HWND question = WaitForOwnedDialog(dialog)) {
      asked = true;
      Sleep(200);
      Press(question, IDOK);
      WaitUntilClosed(question);
    }
    Sleep(300);
    Press(dialog, IDC_SIGEDIT_SAVE);
    saved = AnswerFileDialog(dialog, L"mine.dat");
    Sleep(200);
  }));
  EXPECT_EQ(Row(disabledAtFirst, opened, signals, askedOnArrows, unchangedByArrows, refusedWhileBusy, asked, saved),
            Row(1, 1, 2, 0, 1, 1, 1, 1));
  const GroupRecord& group = gGroupTable->groups[kFirstManualGroup + 2];
  EXPECT_STREQ(group.name, "\x94\x7a\x95\x7a 1");
  EXPECT_EQ(Row(group.automatic, group.signalKind, static_cast<int>(group.terms[0].constant)), Row(1, 2, 2000));
  EXPECT_TRUE(IsValidSignalSettingsFile("PLUGIN\\mine.dat"));
}

}  // namespace
