// Broken master lists in "NEWDATA2026\" under the running program's price
// update: each list is refused in one message box on the main window that
// names it, the closing dialog marks neither list new, and the database
// files are as they were.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/command_ids.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "tests/win/program_runner.h"

namespace {

constexpr int kMasterRecordBytes = 156;

using Files = std::map<std::wstring, std::vector<unsigned char>>;

Files FolderFiles(const std::wstring& folder) {
  Files files;
  VisitFolderTree(folder, [&](const std::wstring& path, bool isFolder) {
    if (!isFolder) files[path] = ReadFileBytes(folder + path);
    return true;
  });
  return files;
}

// The codes of the folder's stock master, in its order.
std::vector<std::string> MasterCodes(const std::wstring& folder) {
  const std::vector<unsigned char> master = ReadFileBytes(folder + L"BASEDATA\\stockinf.dat");
  std::vector<std::string> codes;
  for (size_t at = 4; at + kMasterRecordBytes <= master.size(); at += kMasterRecordBytes)
    codes.push_back({static_cast<char>(master[at + 3]), static_cast<char>(master[at + 2]),
                     static_cast<char>(master[at + 1]), static_cast<char>(master[at])});
  return codes;
}

// 4000 lines of junk, then the good ones: a download broken on the way, the
// kind that once wiped the database.
std::vector<unsigned char> JunkThen(const std::vector<std::string>& good) {
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "\x81\x40#%&junk;;\r\n";
  for (const std::string& line : good) text += line + "\r\n";
  return std::vector<unsigned char>(text.begin(), text.end());
}

// The settings and the group backups are written at every close; of the
// settings, the dates of the prices and of the lists are compared.
bool IsWrittenAtEveryClose(const std::wstring& path) { return path == L"velqo.dat" || path.rfind(L"BACKUP\\", 0) == 0; }

std::vector<uint32_t> SavedDates(const std::wstring& folder) {
  return FromSavedSettings(folder, [] {
    return std::vector<uint32_t>{gLastPriceDate, gPinfoUpdateDate, gKenUpdateDate};
  });
}

struct SeenBox {
  std::wstring text;
  HWND owner;
};

// Answers every message box the update shows with OK until its closing
// dialog comes; the boxes, and the dialog (null when none came).
HWND AnswerBoxesUntilClosingDialog(const RunningProgram& program, std::vector<SeenBox>* boxes) {
  const DWORD end = GetTickCount() + 60000;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    if (const HWND dialog = DialogWithControl(program.process, IDC_UPDATE_PRICE_DATE)) return dialog;
    if (const HWND box = MessageBoxOf(program.process)) {
      boxes->push_back({ControlText(box, 0xFFFF), GetWindow(box, GW_OWNER)});
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
    }
    if (WaitForSingleObject(program.process.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

TEST(MasterListRefusalProgramTest, BrokenListsAreRefusedOnceEachAndLeaveTheDatabaseAsItWas) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-lists");
  ASSERT_FALSE(folder.empty());
  const std::vector<std::string> codes = MasterCodes(folder);
  ASSERT_GE(codes.size(), 6u);
  ASSERT_EQ(codes[0], "1001");
  std::vector<std::string> fiveStocks;
  for (size_t i = 0; i < 5; ++i) fiveStocks.push_back(codes[i] + ",tp,cdvs,a,b,c,1,x,100");
  ASSERT_TRUE(CreateDirectoryW((folder + L"NEWDATA2026").c_str(), nullptr));
  const Files before = FolderFiles(folder);
  const std::vector<uint32_t> dates = SavedDates(folder);
  ASSERT_TRUE(WriteFileBytes(folder + L"NEWDATA2026\\newken.txt", JunkThen({"20240401," + codes[4] + ",2"})) &&
              WriteFileBytes(folder + L"NEWDATA2026\\pinfo.txt", JunkThen(fiveStocks)));
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_PRICE_DOWNLOAD, 0);
  std::vector<SeenBox> boxes;
  const HWND dialog = AnswerBoxesUntilClosingDialog(program, &boxes);
  ASSERT_EQ(boxes.size(), 2u) << "one message for each list";
  const char* lists[] = {"分割情報リスト(newken.txt)が壊れているため、適用しませんでした。",
                         "銘柄情報リスト(pinfo.txt)が壊れているため、適用しませんでした。"};
  const char* told[] = {"読み取れる行が1行しかありません", "読み取れる行が5行しかありません"};
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(boxes[i].text.rfind(SjisToWide(lists[i]), 0), 0u) << WideToSjis(boxes[i].text.c_str());
    EXPECT_NE(boxes[i].text.find(SjisToWide(told[i])), std::wstring::npos) << WideToSjis(boxes[i].text.c_str());
    EXPECT_EQ(boxes[i].owner, program.window);
  }
  ASSERT_NE(dialog, nullptr) << "no closing dialog";
  for (const int line : {IDC_UPDATE_INFO_DATE, IDC_UPDATE_KEN_DATE}) {
    const std::wstring text = ControlText(dialog, line);
    EXPECT_TRUE(text.find(L'/') != std::wstring::npos && text.find(L"* new *") == std::wstring::npos)
        << WideToSjis(text.c_str());
  }
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 1)));
  for (int i = 0; i < 100 && IsWindow(dialog); ++i) Sleep(50);
  EXPECT_EQ(MessageBoxOf(program.process), nullptr) << "a box after the closing dialog";
  EXPECT_EQ(CloseProgram(program), 0u);

  Files after = FolderFiles(folder);
  after.erase(L"NEWDATA2026\\newken.txt");
  after.erase(L"NEWDATA2026\\pinfo.txt");
  for (const auto& [path, bytes] : before) {
    const auto now = after.find(path);
    EXPECT_TRUE(now != after.end() && (now->second == bytes || IsWrittenAtEveryClose(path)))
        << WideToSjis(path.c_str()) << " changed";
  }
  EXPECT_EQ(SavedDates(folder), dates);
  for (const auto& [path, bytes] : after) EXPECT_EQ(before.count(path), 1u) << WideToSjis(path.c_str()) << " made";
}

}  // namespace
