// The price update in the running program on a copy of the sample database
// with a few days of archives waiting in "TMPDOWN\": the import behind the
// progress dialog, the closing dialog and the chart with the new days, with
// broken master lists refused; a Cancel on the progress dialog, which ends
// the update without a trace; and what it refuses, told in one message.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "common/command_ids.h"
#include "platform/win_text.h"
#include "records/settings_block.h"
#include "resources/resource_ids.h"
#include "chart/screen_pattern.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"
#include "tests/win/waiting_archives.h"

namespace {

// The last price date the folder's settings file holds.
uint32_t SavedLastPriceDate(const std::wstring& folder) {
  return FromSavedSettings(folder, [] { return gLastPriceDate; });
}

// Where the saved upper chart's right edge lies: its last-bar index.
int32_t SavedUpperChartEdge(const std::wstring& folder) {
  return FromSavedSettings(folder, [] { return CurrentScreenPattern().views[0].lastBarIndex; });
}

bool Responds(HWND window) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// Polls for the progress dialog until it names an archive, then holds the
// program still while the dialog is pictured; the dialog, or null.
HWND CatchProgressNamingArchive(const RunningProgram& program, const std::wstring& picture) {
  const DWORD end = GetTickCount() + 20000;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    const HWND dialog = DialogWithControl(program.process, IDC_PROGRESS_BAR);
    // Another process's static text is read without a message to it.
    if (dialog != nullptr && ControlText(dialog, IDC_PROGRESS_TEXT2).find(L".txt") != std::wstring::npos) {
      SuspendThread(program.process.hThread);
      SaveWindowPicture(dialog, picture);
      return dialog;
    }
    if (WaitForSingleObject(program.process.hProcess, 1) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

using Files = std::map<std::wstring, std::vector<unsigned char>>;

Files FolderFiles(const std::wstring& folder) {
  Files files;
  VisitFolderTree(folder, [&](const std::wstring& path, bool isFolder) {
    if (!isFolder) files[path] = ReadFileBytes(folder + path);
    return true;
  });
  return files;
}

// 4000 lines of junk, then the good ones: a master list broken on the way,
// the kind of download that once wiped the database.
std::vector<unsigned char> JunkThen(const std::vector<std::string>& good) {
  std::string text;
  for (int i = 0; i < 4000; ++i) text += "\x81\x40#%&junk;;\r\n";
  for (const std::string& line : good) text += line + "\r\n";
  return std::vector<unsigned char>(text.begin(), text.end());
}

std::vector<uint32_t> SavedListDates(const std::wstring& folder) {
  return FromSavedSettings(folder, [] { return std::vector<uint32_t>{gPinfoUpdateDate, gKenUpdateDate}; });
}

struct SeenBox {
  std::wstring text;
  HWND owner;
};

// Answers the message boxes the update shows with OK, pictured, until
// `count` came, its closing dialog did, or none came for `wait` ms.
std::vector<SeenBox> AnswerBoxes(const RunningProgram& program, size_t count, DWORD wait) {
  std::vector<SeenBox> boxes;
  DWORD end = GetTickCount() + wait;
  while (boxes.size() < count && static_cast<LONG>(end - GetTickCount()) > 0 &&
         DialogWithControl(program.process, IDC_UPDATE_PRICE_DATE) == nullptr) {
    if (const HWND box = MessageBoxOf(program.process)) {
      PumpFor(300);
      SaveWindowPicture(box, L"update-flow-message.bmp");
      boxes.push_back({ControlText(box, 0xFFFF), GetWindow(box, GW_OWNER)});
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
      end = GetTickCount() + wait;
    }
    if (WaitForSingleObject(program.process.hProcess, 20) == WAIT_OBJECT_0) break;
  }
  return boxes;
}

// Broken master lists wait in "NEWDATA2026\" too: each is refused in one
// message box on the main window that names it, the closing dialog marks
// neither list new, and the lists' files and dates stay as they were.
TEST(UpdateFlowProgramTest, TheUpdateImportsTheWaitingArchivesAndTheChartShowsTheNewDays) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-flow");
  ASSERT_FALSE(folder.empty());
  const std::vector<uint32_t> days = WriteWaitingArchives(folder, 3);
  ASSERT_EQ(days.size(), 3u);
  const std::vector<WaitingStock> stocks = ReadStocks(folder);
  ASSERT_GE(stocks.size(), 6u);
  ASSERT_EQ(stocks[0].code, "1001");
  std::vector<std::string> fiveStocks;
  for (size_t i = 0; i < 5; ++i) fiveStocks.push_back(stocks[i].code + ",tp,cdvs,a,b,c,1,x,100");
  ASSERT_TRUE(CreateDirectoryW((folder + L"NEWDATA2026").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(folder + L"NEWDATA2026\\newken.txt", JunkThen({"20240401," + stocks[4].code + ",2"})) &&
              WriteFileBytes(folder + L"NEWDATA2026\\pinfo.txt", JunkThen(fiveStocks)));
  const Files baseData = FolderFiles(folder + L"BASEDATA\\");
  RunningProgram program;
  // The upper chart's stock chosen anew: its last bar at the right edge.
  ASSERT_TRUE(LaunchProgram(folder, program));
  PressKey(program.window, VK_DOWN);
  PressKey(program.window, VK_UP);
  ASSERT_EQ(CloseProgram(program), 0u);
  const int32_t edgeBefore = SavedUpperChartEdge(folder);
  const std::vector<uint32_t> listDates = SavedListDates(folder);
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_PRICE_DOWNLOAD, 0);

  const std::vector<SeenBox> boxes = AnswerBoxes(program, 2, 30000);
  EXPECT_EQ(boxes.size(), 2u) << "one message for each list";
  const char* lists[] = {"分割情報リスト(newken.txt)が壊れているため、適用しませんでした。",
                         "銘柄情報リスト(pinfo.txt)が壊れているため、適用しませんでした。"};
  const char* told[] = {"読み取れる行が1行しかありません", "読み取れる行が5行しかありません"};
  for (size_t i = 0; i < 2 && i < boxes.size(); ++i) {
    EXPECT_EQ(boxes[i].text.rfind(SjisToWide(lists[i]), 0), 0u) << WideToSjis(boxes[i].text.c_str());
    EXPECT_NE(boxes[i].text.find(SjisToWide(told[i])), std::wstring::npos) << WideToSjis(boxes[i].text.c_str());
    EXPECT_EQ(boxes[i].owner, program.window);
  }
  const HWND progress = CatchProgressNamingArchive(program, L"update-flow-progress.bmp");
  ASSERT_NE(progress, nullptr) << "no progress dialog naming an archive";
  const std::wstring reading = ControlText(progress, IDC_PROGRESS_TEXT2);
  const bool namesOne = reading.find(SjisToWide((DayName(days[0]) + ".txt").c_str())) != std::wstring::npos ||
                        reading.find(SjisToWide((DayName(days[1]) + ".txt").c_str())) != std::wstring::npos ||
                        reading.find(SjisToWide((DayName(days[2]) + ".txt").c_str())) != std::wstring::npos;
  EXPECT_TRUE(namesOne && reading.find(SjisToWide("を読み込み中")) != std::wstring::npos)
      << WideToSjis(reading.c_str());
  EXPECT_EQ(WindowTitle(progress), SjisToWide("ヴェルクォラ22"));
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(progress, IDCANCEL))) << "the import can be cancelled";
  EXPECT_FALSE(IsWindowEnabled(program.window)) << "the main window waits for the import";
  ResumeThread(program.process.hThread);

  const HWND result = WaitForDialogWithControl(program.process, IDC_UPDATE_PRICE_DATE, 60000);
  ASSERT_NE(result, nullptr) << "no closing dialog";
  PumpFor(300);
  SaveWindowPicture(result, L"update-flow-result.bmp");
  char line[32];
  std::snprintf(line, sizeof line, "%u/%u/%u  * new *", days[2] >> 16, days[2] >> 8 & 0xFF, days[2] & 0xFF);
  EXPECT_EQ(ControlText(result, IDC_UPDATE_PRICE_DATE), SjisToWide(line));
  for (const int list : {IDC_UPDATE_INFO_DATE, IDC_UPDATE_KEN_DATE}) {
    const std::wstring text = ControlText(result, list);
    EXPECT_TRUE(text.find(L'/') != std::wstring::npos && text.find(L"* new *") == std::wstring::npos)
        << WideToSjis(text.c_str());
  }
  PostMessageW(result, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(result, 1)));
  for (int i = 0; i < 100 && IsWindow(result); ++i) Sleep(50);
  EXPECT_FALSE(IsWindow(result));
  PumpFor(800);
  SaveWindowPicture(program.window, L"update-flow-chart.bmp");
  EXPECT_EQ(MessageBoxOf(program.process), nullptr) << "a box after the closing dialog";
  EXPECT_EQ(CloseProgram(program), 0u);

  // Every stock's file ends with the last archive's day, and so does the saved date.
  for (const WaitingStock& stock : ReadStocks(folder))
    EXPECT_EQ(LastBar(folder, stock.code).first, days[2]) << stock.code;
  EXPECT_EQ(SavedLastPriceDate(folder), days[2]);
  EXPECT_EQ(SavedUpperChartEdge(folder), edgeBefore + 3) << "the new last bar at the right edge";
  EXPECT_EQ(FolderFiles(folder + L"BASEDATA\\"), baseData) << "a refused list changed the database";
  EXPECT_TRUE(FolderFiles(folder + L"PrevProcessedData\\").empty()) << "a refused list was kept as applied";
  EXPECT_EQ(SavedListDates(folder), listDates);
}

TEST(UpdateFlowProgramTest, ACancelOnTheProgressDialogEndsTheUpdateWithoutTheClosingDialog) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-flow-cancel");
  ASSERT_FALSE(folder.empty());
  ASSERT_EQ(WriteWaitingArchives(folder, 10).size(), 10u);
  const uint32_t dateBefore = SavedLastPriceDate(folder);
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_PRICE_DOWNLOAD, 0);

  // The first sight of the dialog is the first archives' pass into the files.
  const HWND progress = WaitForDialogWithControl(program.process, IDC_PROGRESS_BAR, 20000, 1);
  ASSERT_NE(progress, nullptr) << "no progress dialog";
  const HWND cancel = GetDlgItem(progress, IDCANCEL);
  ASSERT_TRUE(IsWindowVisible(cancel) && IsWindowEnabled(cancel));
  PostMessageW(progress, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
  for (int i = 0; i < 400 && IsWindow(progress); ++i) Sleep(50);
  EXPECT_FALSE(IsWindow(progress));

  EXPECT_EQ(WaitForDialogWithControl(program.process, IDC_UPDATE_PRICE_DATE, 2000), nullptr)
      << "a cancelled update has no closing dialog";
  EXPECT_TRUE(IsWindowEnabled(program.window) && Responds(program.window));
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(SavedLastPriceDate(folder), dateBefore);
}

// Answers the update's one message, then finds no other and no closing
// dialog; the message's text, empty when there was none.
std::wstring TakeTheOneMessage(const RunningProgram& program) {
  const std::vector<SeenBox> boxes = AnswerBoxes(program, 1, 60000);
  EXPECT_TRUE(AnswerBoxes(program, 1, 4000).empty()) << "a second message";
  EXPECT_EQ(DialogWithControl(program.process, IDC_UPDATE_PRICE_DATE), nullptr)
      << "a failed update has no closing dialog";
  if (boxes.empty()) return L"";
  EXPECT_EQ(boxes[0].owner, program.window) << "the message belongs to the main window";
  return boxes[0].text;
}

// Junk rows of the first stocks (not indices), one of a few kinds each.
constexpr const char* kJunkRows[] = {
    "%s,%s,%s,2000,1500,2500,2000,100",
    "%s,%s,%s,100,2147483648,90,105,100",
    "20270231,%.0s%s,%s,100,110,90,105,5000",
};

TEST(UpdateFlowProgramTest, AnUnreadableArchiveAndJunkRowsAreToldInOneMessageAndTheirDaysStayOut) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-flow-refused");
  ASSERT_FALSE(folder.empty());
  const std::vector<uint32_t> days = WriteWaitingArchives(folder, 1);
  ASSERT_EQ(days.size(), 1u);
  const std::vector<uint32_t> later = WeekdaysAfter(days[0], 2);
  const std::string unreadable = DayName(later[0]), junky = DayName(later[1]);
  const std::vector<unsigned char> garbage = {'P', 'K', 3, 4, 0x9c, 0x00, 0xfe, 0x13, 0x77, 0x5a, 0x01, 0xc3};
  ASSERT_TRUE(WriteFileBytes(folder + L"TMPDOWN\\" + SjisToWide(unreadable.c_str()) + L".zip", garbage));
  std::vector<std::string> spoilt;
  std::string text = kHeaderLine;
  for (const WaitingStock& stock : ReadStocks(folder)) {
    if (stock.market == kIndexMarket || spoilt.size() == std::size(kJunkRows)) {
      text += PriceRow(stock, junky, 2);
      continue;
    }
    char line[128];
    std::snprintf(line, sizeof line, kJunkRows[spoilt.size()], junky.c_str(), stock.code.c_str(),
                  kMarketNames[stock.market]);
    text += std::string(line) + "\r\n";
    spoilt.push_back(stock.code);
  }
  ASSERT_TRUE(WriteArchive(folder, junky, text));
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_PRICE_DOWNLOAD, 0);

  const std::wstring message = TakeTheOneMessage(program);
  const std::wstring named = SjisToWide(("TMPDOWN\\" + unreadable + ".zip").c_str());
  const std::wstring count = SjisToWide((junky + ".zip：" + std::to_string(spoilt.size()) + "行").c_str());
  EXPECT_NE(message.find(named), std::wstring::npos) << WideToSjis(message.c_str());
  EXPECT_TRUE(message.find(count) != std::wstring::npos && message.find(count) == message.rfind(count))
      << WideToSjis(message.c_str());
  EXPECT_TRUE(IsWindowEnabled(program.window) && Responds(program.window));
  EXPECT_EQ(CloseProgram(program), 0u);

  // The good day everywhere; the junk day only where its row was good.
  for (const WaitingStock& stock : ReadStocks(folder)) {
    const bool junk = std::find(spoilt.begin(), spoilt.end(), stock.code) != spoilt.end();
    EXPECT_EQ(LastBar(folder, stock.code).first, junk ? days[0] : later[1]) << stock.code;
  }
  EXPECT_EQ(SavedLastPriceDate(folder), days[0]) << "the unreadable day is read again by the next update";
  EXPECT_EQ(ReadFileBytes(folder + L"TMPDOWN\\" + SjisToWide(unreadable.c_str()) + L".zip"), garbage);
}

// No daily file can be written (a file stands where the folder of their new
// copies goes): the update ends at the first one with one message that names it,
// behind a progress dialog that stays over the main window with its Cancel.
TEST(UpdateFlowProgramTest, AFailedWriteEndsTheUpdateWithOneMessageNamingTheFile) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-flow-unwritable");
  ASSERT_FALSE(folder.empty());
  ASSERT_EQ(WriteWaitingArchives(folder, 1).size(), 1u);
  const uint32_t dateBefore = SavedLastPriceDate(folder);
  std::vector<std::vector<unsigned char>> before;
  const std::vector<WaitingStock> stocks = ReadStocks(folder);
  for (const WaitingStock& stock : stocks)
    before.push_back(ReadFileBytes(folder + L"DAY\\" + SjisToWide(stock.code.c_str())));
  RemoveDirectoryW((folder + L"TMPDAY").c_str());
  ASSERT_TRUE(WriteFileBytes(folder + L"TMPDAY", {1}));
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  PostMessageW(program.window, WM_COMMAND, IDM_PRICE_DOWNLOAD, 0);

  const HWND progress = WaitForDialogWithControl(program.process, IDC_PROGRESS_BAR, 20000, 1);
  ASSERT_NE(progress, nullptr) << "no progress dialog";
  EXPECT_EQ(GetWindow(progress, GW_OWNER), program.window);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(progress, IDCANCEL)));
  const std::wstring message = TakeTheOneMessage(program);
  EXPECT_NE(message.find(SjisToWide("日足ファイル(DAY\\")), std::wstring::npos) << WideToSjis(message.c_str());
  EXPECT_NE(message.find(SjisToWide(")を書き込めませんでした。")), std::wstring::npos) << WideToSjis(message.c_str());
  EXPECT_EQ(CloseProgram(program), 0u);
  for (size_t i = 0; i < stocks.size(); ++i)
    EXPECT_EQ(ReadFileBytes(folder + L"DAY\\" + SjisToWide(stocks[i].code.c_str())), before[i]) << stocks[i].code;
  EXPECT_EQ(SavedLastPriceDate(folder), dateBefore);
}

}  // namespace
