// The program itself: start-up, the single-instance rule and the
// configuration files written at shut-down.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/app_globals.h"
#include "platform/win_text.h"
#include "shell/single_instance_win.h"
#include "tests/support/row.h"
#include "tests/win/canvas.h"
#include "tests/win/program_runner.h"

namespace {

constexpr size_t kSettingsSize = 6812, kSettingsP2Size = 4072;

// A copy of the program in a folder of its own: the program keeps its data beside itself.
std::wstring MakeProgramFolder() {
  const std::wstring folder = MakeTempFolder(L"velqo-run");
  EXPECT_TRUE(CopyProgramInto(folder)) << "VELQO_EXE not found";
  // An empty ex-rights list, so that the start does not stop at its read-error boxes.
  CreateDirectoryW((folder + L"BASEDATA").c_str(), nullptr);
  WriteFileBytes(folder + L"BASEDATA\\ken.dat", {0x04, 0x00, 0x16, 0x03, 0, 0, 0, 0});
  return folder;
}

int CALLBACK NoteFontFamily(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

TEST(ProgramTest, StartsShowsItsTitleAndWritesTheSettingsAndGroupsOnClose) {
  // Frame buttons and scroll arrows are glyphs of the system's symbol font; without it they show as letters.
  bool symbolFont = false;
  const HDC dc = GetDC(nullptr);
  EnumFontFamiliesW(dc, L"Marlett", NoteFontFamily, reinterpret_cast<LPARAM>(&symbolFont));
  ReleaseDC(nullptr, dc);
  EXPECT_TRUE(symbolFont) << "the frame buttons would show as letters";
  const std::wstring folder = MakeProgramFolder();
  RunningProgram program;
  ASSERT_TRUE(LaunchProgram(folder, program));
  EXPECT_EQ(WindowTitle(program.window), SjisToWide("ヴェルクォラ22　－　パターン1"));
  PumpFor(300);
  SaveWindowPicture(program.window, L"main-window.bmp");
  EXPECT_EQ(CloseProgram(program), 0u);
  const auto first = ReadFileBytes(folder + L"velqo.dat"), firstP2 = ReadFileBytes(folder + L"velqo_p2.dat");
  const auto groups = ReadFileBytes(folder + L"grp.dat");
  EXPECT_EQ(Row(first.size(), firstP2.size(), groups.size()), Row(kSettingsSize, kSettingsP2Size, 2534568));
  EXPECT_EQ(ReadFileBytes(folder + L"BACKUP\\grp01.dat"), groups) << "the newest backup is the saved table";
  // A restart reads them back: closing again writes the same bytes.
  ASSERT_TRUE(LaunchProgram(folder, program));
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(ReadFileBytes(folder + L"velqo.dat"), first);
  EXPECT_EQ(ReadFileBytes(folder + L"velqo_p2.dat"), firstP2);
  EXPECT_EQ(ReadFileBytes(folder + L"grp.dat"), groups);
}

// The read-error box of a damaged price file: the daily retries take some seconds.
HWND WaitForErrorBox(const PROCESS_INFORMATION& process) {
  for (int i = 0; i < 600; ++i) {
    if (const HWND box = WindowOf(process, L"#32770", SjisToWide("エラー").c_str())) return box;
    if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
  }
  return nullptr;
}

// Only one instance runs, whatever its folder: a second start, on the same
// folder or another, brings the first one's window to the front and ends
// without reading or writing anything there.
TEST(ProgramTest, ASecondStartLeavesOneMainWindow) {
  for (const bool sameFolder : {true, false}) {
    const std::wstring folder = MakeProgramFolder(), other = sameFolder ? folder : MakeProgramFolder();
    RunningProgram first, second;
    ASSERT_TRUE(LaunchProgram(folder, first));
    ASSERT_TRUE(StartProgram(other, &second.process));
    EXPECT_EQ(WaitForSingleObject(second.process.hProcess, kProgramTimeoutMs), WAIT_OBJECT_0) << sameFolder;
    EndProgram(second, 0);
    EXPECT_EQ(TopWindows(kProgramWindowClass).size(), 1u) << sameFolder;
    EXPECT_TRUE(IsWindow(first.window));
    if (!sameFolder) {
      EXPECT_TRUE(ReadFileBytes(other + L"velqo.dat").empty()) << "the other folder was saved";
    }
    EXPECT_EQ(CloseProgram(first), 0u);
  }
}

// Two starts on one folder a tenth of a second apart, the first held before
// its window by a start-up error box: the second must not load the folder
// too (the two would save over each other's trend lines), but wait and end.
TEST(ProgramTest, TwoStartsOnOneFolderATenthOfASecondApartLeaveOneMainWindow) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-twice");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteFileBytes(folder + L"DAY\\1001", {}));
  RunningProgram first, second;
  ASSERT_TRUE(StartProgram(folder, &first.process));
  Sleep(100);
  ASSERT_TRUE(StartProgram(folder, &second.process));
  const HWND box = WaitForErrorBox(first.process);
  ASSERT_NE(box, nullptr) << "no read-error box";
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitForMainWindow(first));
  EXPECT_EQ(WaitForSingleObject(second.process.hProcess, kProgramTimeoutMs), WAIT_OBJECT_0) << "the second start ends";
  EXPECT_EQ(EndProgram(second, 0), 0u);
  EXPECT_EQ(TopWindows(kProgramWindowClass).size(), 1u);
  EXPECT_EQ(CloseProgram(first), 0u);
}

// One name per folder however it is spelt, and a name the system takes.
TEST(DataFolderMutexTest, EverySpellingOfAFolderGivesOneNameAndLongPathsStayDistinct) {
  InitAppTexts();
  const std::string deep = std::string(300, 'a') + "\\";
  struct Case {
    std::string a, b;
    bool same;
  };
  const Case cases[] = {
      {"C:\\Data\\Velqo\\", "c:\\DATA\\velqo", true},
      {"C:\\Data\\Velqo\\", "C:\\Data\\Other\\..\\Velqo\\", true},
      {"C:\\データ\\株価\\", "c:\\データ\\株価", true},
      {"C:\\Data\\Velqo\\", "C:\\Data\\Velqo2\\", false},
      {"C:\\" + deep + "x\\", "C:\\" + deep + "y\\", false},    // too long for a name: the ends differ
      {"C:\\b" + deep + "x\\", "C:\\c" + deep + "x\\", false},  // only the beginnings do
  };
  for (const Case& c : cases) {
    const std::wstring a = DataFolderMutexName(c.a.c_str()), b = DataFolderMutexName(c.b.c_str());
    EXPECT_EQ(a == b, c.same) << c.a << " / " << c.b;
    for (const std::wstring& name : {a, b}) {
      EXPECT_LT(name.size(), size_t{MAX_PATH}) << c.a;
      EXPECT_EQ(name.find(L'\\'), std::wstring::npos) << c.a;
      const HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
      EXPECT_NE(mutex, nullptr) << c.a;
      if (mutex != nullptr) CloseHandle(mutex);
    }
  }
  EXPECT_EQ(DataFolderMutexName("c:\\data\\velqo\\"), L"VELQUORANDIME:C:/DATA/VELQO");
}

TEST(ProgramTest, ASettingsFileOfRandomBytesDoesNotStopTheStart) {
  std::mt19937 random(6812);
  for (int round = 0; round < 3; ++round) {
    const std::wstring folder = MakeProgramFolder();
    std::vector<unsigned char> junk(kSettingsSize), junkP2(kSettingsP2Size);
    for (auto* bytes : {&junk, &junkP2})
      for (auto& b : *bytes) b = static_cast<unsigned char>(random());
    ASSERT_TRUE(WriteFileBytes(folder + L"velqo.dat", junk) && WriteFileBytes(folder + L"velqo_p2.dat", junkP2));
    RunningProgram program;
    ASSERT_TRUE(LaunchProgram(folder, program)) << "round " << round;
    EXPECT_EQ(CloseProgram(program), 0u);
    EXPECT_EQ(ReadFileBytes(folder + L"velqo.dat").size(), kSettingsSize);
  }
}

// Closes the program and answers the box its exit shows; the box's text, or
// nothing when it showed none.
std::wstring CloseAndAnswerExitBox(RunningProgram& program) {
  PostMessageW(program.window, WM_CLOSE, 0, 0);
  std::wstring text;
  for (int i = 0; i < 200 && WaitForSingleObject(program.process.hProcess, 50) != WAIT_OBJECT_0; ++i) {
    if (const HWND box = MessageBoxOf(program.process)) {
      text = ControlText(box, 0xFFFF);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      break;
    }
  }
  EXPECT_EQ(EndProgram(program, kProgramTimeoutMs), 0u);
  return text;
}

// A settings file held by another program through the start is not read:
// the exit keeps it as it was, and one box names it and no file that was written.
TEST(ProgramTest, SettingsThatWereNotReadAreNamedAtExitAndNeverWrittenOver) {
  const std::wstring folder = MakeProgramFolder();
  const std::wstring settings = folder + L"velqo.dat";
  const std::vector<unsigned char> held(kSettingsSize, 0x5A);
  ASSERT_TRUE(WriteFileBytes(settings, held));
  const HANDLE holder = CreateFileW(settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  RunningProgram program;
  const bool started = LaunchProgram(folder, program);
  CloseHandle(holder);
  ASSERT_TRUE(started);
  const std::wstring text = CloseAndAnswerExitBox(program);
  EXPECT_EQ(ReadFileBytes(settings), held);
  EXPECT_NE(text.find(L"\nvelqo.dat"), std::wstring::npos) << WideToSjis(text.c_str());
  EXPECT_EQ(text.find(L"velqo_p2.dat"), std::wstring::npos) << WideToSjis(text.c_str());
}

// An empty price file of the first chart's stock stops the start at an error
// box; the user closes the program from the taskbar meanwhile, then answers
// the box. The program must end normally or start with an empty chart.
TEST(ProgramTest, AClosingRequestDuringTheStartUpErrorBoxIsSafe) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  const std::wstring folder = CopySample(L"velqo-emptyday");
  ASSERT_FALSE(folder.empty());
  ASSERT_TRUE(WriteFileBytes(folder + L"DAY\\1001", {}));
  const auto stockTable = ReadFileBytes(folder + L"stock.dat");
  RunningProgram program;
  ASSERT_TRUE(StartProgram(folder, &program.process));
  const HWND box = WaitForErrorBox(program.process);
  ASSERT_NE(box, nullptr) << "no read-error box";
  const HWND early = WindowOf(program.process, kProgramWindowClass);  // shown or not
  if (early != nullptr) PostMessageW(early, WM_CLOSE, 0, 0);
  Sleep(300);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (WaitForSingleObject(program.process.hProcess, 3000) != WAIT_OBJECT_0) {
    ASSERT_TRUE(WaitForMainWindow(program));
  }
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_EQ(ReadFileBytes(folder + L"DAY\\1001").size(), 0u);
  // The table keeps every stock as it was (group bits are renewed at each start).
  const auto after = ReadFileBytes(folder + L"stock.dat");
  ASSERT_EQ(after.size(), stockTable.size());
  constexpr size_t kHeader = 8, kRecord = 4776, kMaster = 156;
  for (size_t at = kHeader; at < after.size(); at += kRecord)
    ASSERT_TRUE(std::equal(after.begin() + at, after.begin() + at + kMaster, stockTable.begin() + at)) << at;
}

}  // namespace
