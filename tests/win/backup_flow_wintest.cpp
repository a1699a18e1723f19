// A backup from the menu of the running program, and the restore it offers
// at a first run, with a Documents folder of the test's own.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/command_ids.h"
#include "platform/win_text.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"

namespace {

constexpr wchar_t kPopupClass[] = L"VQBACKUPPROGRESS";

// The daily files of a folder by name.
std::vector<std::pair<std::wstring, std::vector<unsigned char>>> DailyFiles(const std::wstring& folder) {
  std::vector<std::pair<std::wstring, std::vector<unsigned char>>> files;
  VisitFolderTree(folder + L"DAY\\", [&](const std::wstring& path, bool isFolder) {
    if (!isFolder) files.emplace_back(path, ReadFileBytes(folder + L"DAY\\" + path));
    return true;
  });
  return files;
}

// The oldest dated folder under the root, or empty.
std::wstring OldestBackup(const std::wstring& documents) {
  const std::wstring root = documents + L"Mirastovelkin22\\Backups\\";
  std::vector<std::wstring> names;
  VisitFolderTree(root, [&](const std::wstring& path, bool isFolder) {
    if (isFolder && path.find(L'\\') == std::wstring::npos) names.push_back(path);
    return true;
  });
  std::sort(names.begin(), names.end());
  return names.empty() ? L"" : root + names[0] + L"\\";
}

TEST(BackupProgramTest, AMenuBackupIsRestoredWholeAtTheNextFirstRun) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-backup");
  ASSERT_FALSE(folder.empty());
  const std::wstring documents = MakeTempFolder(L"velqo-backup-documents");
  const auto live = DailyFiles(folder);
  ASSERT_FALSE(live.empty());
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program, documents));
  PostMessageW(program.window, WM_COMMAND, IDM_RUN_BACKUP, 0);
  HWND popup = nullptr;
  for (int i = 0; i < 200 && popup == nullptr; ++i, Sleep(25)) popup = WindowOf(program.process, kPopupClass);
  ASSERT_NE(popup, nullptr) << "no pop-up";
  RECT box{};
  GetWindowRect(popup, &box);
  EXPECT_EQ(Row(box.right - box.left, box.bottom - box.top), Row(400, 150));
  EXPECT_FALSE(IsWindowEnabled(program.window)) << "the main window takes commands during the backup";
  SaveWindowPicture(popup, L"backup-popup.bmp");
  const HWND done = [&] {
    for (int i = 0; i < 400; ++i, Sleep(50))
      if (const HWND h = WindowOf(program.process, L"#32770", SjisToWide("完了").c_str(), true)) return h;
    return static_cast<HWND>(nullptr);
  }();
  ASSERT_NE(done, nullptr) << "no closing box";
  PostMessageW(done, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 100 && IsWindow(popup); ++i) Sleep(50);
  EXPECT_FALSE(IsWindow(popup));
  EXPECT_TRUE(IsWindowEnabled(program.window));
  EXPECT_EQ(CloseProgram(program), 0u);
  // The exit's monthly backup may add a second one; the menu's is the oldest.
  const std::wstring backup = OldestBackup(documents);
  ASSERT_FALSE(backup.empty()) << "no backup";
  EXPECT_EQ(DailyFiles(backup), live);
  // The price files gone: the next start restores the backup by itself.
  VisitFolderTree(folder + L"DAY\\", [&](const std::wstring& path, bool isFolder) {
    return isFolder || DeleteFileW((folder + L"DAY\\" + path).c_str()) != FALSE;
  });
  ASSERT_TRUE(StartProgram(folder, &program.process, documents));
  ASSERT_TRUE(WaitForMainWindow(program));
  for (int i = 0; i < 400 && DailyFiles(folder) != live; ++i) Sleep(50);
  EXPECT_EQ(DailyFiles(folder), live);
  PumpFor(1500);
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(DailyFiles(folder), live);
}

}  // namespace
