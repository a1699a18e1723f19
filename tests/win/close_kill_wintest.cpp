// Killing the program in the middle of its closing saves, or of the daily-file
// writes of a price update: every data file is left whole, either as it was
// before or as the whole close or update writes it.
// The kills follow what the folder shows rather than a clock: each save takes
// a few milliseconds, which fixed delays would hit only by chance.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <map>

#include "common/command_ids.h"
#include "common/file_io.h"
#include "platform/win_text.h"
#include "tests/win/program_runner.h"
#include "tests/win/waiting_archives.h"

namespace {

using FileTree = std::map<std::wstring, std::vector<unsigned char>>;  // by path inside the folder

// The files the program rewrites from memory when it closes.
constexpr std::array<const wchar_t*, 7> kRewrittenFiles = {
    L"stock.dat",         L"grp.dat",   L"BACKUP\\grp01.dat", L"BACKUP\\grp02.dat",
    L"BACKUP\\grp03.dat", L"velqo.dat", L"velqo_p2.dat"};

// Everything but the program itself and the temporaries its saves may leave.
FileTree ReadTree(const std::wstring& folder) {
  FileTree files;
  VisitFolderTree(folder, [&](const std::wstring& path, bool isFolder) {
    const bool temporary = path.size() >= 4 && path.compare(path.size() - 4, 4, L".tmp") == 0;
    if (!isFolder && path != L"velqo.exe" && !temporary) files[path] = ReadFileBytes(folder + path);
    return true;
  });
  return files;
}

// A fresh copy of the sample database with the program running on it. Its
// files are then changed on disk, each differently, so that every save the
// close makes can be told from the file it replaces.
std::wstring StartOnSampleCopy(RunningProgram& program) {
  const std::wstring folder = CopySample(L"velqo-kill");
  EXPECT_TRUE(!folder.empty() && LaunchProgram(folder, program));
  for (size_t i = 0; i < kRewrittenFiles.size(); ++i) {
    auto bytes = ReadFileBytes(folder + kRewrittenFiles[i]);
    if (bytes.empty()) continue;
    bytes.back() ^= static_cast<unsigned char>(i + 1);
    WriteFileBytes(folder + kRewrittenFiles[i], bytes);
  }
  return folder;
}

// What the folder shows of the saves under way: each rewritten file with its
// size and time of the last write, and whether its temporary is there.
std::vector<uint64_t> SaveTraces(const std::wstring& folder) {
  std::vector<uint64_t> traces;
  for (const wchar_t* name : kRewrittenFiles) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW((folder + name).c_str(), GetFileExInfoStandard, &data)) data = {};
    traces.push_back(uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow);
    traces.push_back(uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 | data.ftLastWriteTime.dwLowDateTime);
    traces.push_back(GetFileAttributesW((folder + name + L".tmp").c_str()) != INVALID_FILE_ATTRIBUTES);
  }
  return traces;
}

// Starts something in the program and kills it as soon as what `traces`
// shows of its folder has changed killAfter times (never when negative), else
// once `done` holds, the program has ended or the time is up; returns the
// changes seen.
int KillAfterChanges(RunningProgram& program, const std::function<std::vector<uint64_t>()>& traces,
                     const std::function<void()>& start, const std::function<bool()>& done, int killAfter,
                     DWORD timeout) {
  std::vector<uint64_t> seen = traces();
  int changes = 0;
  const DWORD end = GetTickCount() + timeout;
  start();
  while (changes != killAfter && !done() && WaitForSingleObject(program.process.hProcess, 0) == WAIT_TIMEOUT &&
         static_cast<LONG>(end - GetTickCount()) > 0) {
    std::vector<uint64_t> now = traces();
    if (now != seen) ++changes;
    seen.swap(now);
  }
  EndProgram(program, 0);
  return changes;
}

// Asks the program to close and kills it as soon as the folder has changed
// killAfter times (never when negative); returns the changes seen.
int CloseAndKill(RunningProgram& program, const std::wstring& folder, int killAfter) {
  return KillAfterChanges(
      program, [&] { return SaveTraces(folder); }, [&] { PostMessageW(program.window, WM_CLOSE, 0, 0); },
      [] { return false; }, killAfter, kProgramTimeoutMs);
}

// The same bytes in both trees, or absent from both.
bool IsSameFile(const FileTree& a, const FileTree& b, const std::wstring& name) {
  const auto inA = a.find(name), inB = b.find(name);
  return inA == a.end() ? inB == b.end() : inB != b.end() && inA->second == inB->second;
}

TEST(CloseKillTest, AKillDuringTheClosingSavesLeavesEveryFileWhole) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  RunningProgram program;
  const std::wstring cleanFolder = StartOnSampleCopy(program);
  const FileTree cleanBefore = ReadTree(cleanFolder);
  const int cleanChanges = CloseAndKill(program, cleanFolder, -1);
  const FileTree closed = ReadTree(cleanFolder);
  DeleteDirectoryTree(WideToSjis(cleanFolder.c_str()).c_str(), 1);
  for (const wchar_t* name : kRewrittenFiles) {
    ASSERT_EQ(closed.count(name), 1u) << WideToSjis(name);
    ASSERT_FALSE(IsSameFile(closed, cleanBefore, name)) << WideToSjis(name) << " was not saved";
  }
  for (int killAfter = 0; killAfter <= cleanChanges; ++killAfter) {
    SCOPED_TRACE(testing::Message() << "killed after " << killAfter << " changes");
    const std::wstring folder = StartOnSampleCopy(program);
    const FileTree before = ReadTree(folder);
    CloseAndKill(program, folder, killAfter);
    FileTree left = ReadTree(folder), names = left;
    names.insert(before.begin(), before.end());
    names.insert(closed.begin(), closed.end());
    for (const auto& [name, bytes] : names) {
      EXPECT_TRUE(IsSameFile(left, before, name) || IsSameFile(left, closed, name))
          << WideToSjis(name.c_str()) << " is cut, mixed or missing";
    }
    DeleteDirectoryTree(WideToSjis(folder.c_str()).c_str(), 1);
  }
}

// ---- A price update killed during its daily-file writes ----------------------

constexpr int kUpdateKills = 6;

// The daily files, and the folder of their writes' temporary files.
FileTree ReadDailyFiles(const std::wstring& folder) {
  FileTree files;
  VisitFolderTree(folder + L"DAY\\", [&](const std::wstring& name, bool isFolder) {
    files[name] = isFolder ? std::vector<unsigned char>{} : ReadFileBytes(folder + L"DAY\\" + name);
    return true;
  });
  return files;
}

// Every entry of "DAY\" and "TMPDAY\" with its size and time of the last
// write, from one listing of each folder.
std::vector<uint64_t> WriteTraces(const std::wstring& folder) {
  std::vector<uint64_t> traces;
  for (const wchar_t* sub : {L"DAY\\*", L"TMPDAY\\*"}) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW((folder + sub).c_str(), &found);
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) {
      traces.push_back(std::hash<std::wstring>()(found.cFileName));
      traces.push_back(uint64_t{found.nFileSizeHigh} << 32 | found.nFileSizeLow);
      traces.push_back(uint64_t{found.ftLastWriteTime.dwHighDateTime} << 32 | found.ftLastWriteTime.dwLowDateTime);
    }
    if (find != INVALID_HANDLE_VALUE) FindClose(find);
    traces.push_back(0);
  }
  return traces;
}

// A copy of the sample with one day of prices waiting, the program running
// on it; empty when it could not be made.
std::wstring StartWithOneDayWaiting(RunningProgram& program) {
  const std::wstring folder = CopySample(L"velqo-update-kill");
  if (folder.empty() || WriteWaitingArchives(folder, 1).size() != 1 || !LaunchProgram(folder, program)) return L"";
  return folder;
}

// Starts the update and kills the program as soon as the daily files have
// changed killAfter times, else once the closing dialog shows; returns the
// changes seen.
int UpdateAndKill(RunningProgram& program, const std::wstring& folder, int killAfter) {
  return KillAfterChanges(
      program, [&] { return WriteTraces(folder); },
      [&] { PostMessageW(program.window, WM_COMMAND, IDM_PRICE_DOWNLOAD, 0); },
      [&] { return DialogWithControl(program.process, IDC_UPDATE_PRICE_DATE) != nullptr; }, killAfter,
      4 * kProgramTimeoutMs);
}

// True when the folder exists and holds nothing.
bool IsEmptyFolder(const std::wstring& folder) {
  return VisitFolderTree(folder, [](const std::wstring&, bool) { return false; });
}

// One day into every stock's file, killed at points spread over its writes:
// each daily file is the one before the update or the one it writes, byte
// for byte, none is missing and no other file is in "DAY\". The next start
// on a folder a kill left temporary files in (else the last one) empties
// their folder and leaves the daily files as they are.
TEST(UpdateKillTest, AKillDuringTheDailyFileWritesLeavesEveryDailyFileWhole) {
  if (SampleFolder().empty()) GTEST_SKIP() << "no sample database given";
  RunningProgram program;
  const std::wstring cleanFolder = StartWithOneDayWaiting(program);
  ASSERT_FALSE(cleanFolder.empty());
  const FileTree before = ReadDailyFiles(cleanFolder);
  const int cleanChanges = UpdateAndKill(program, cleanFolder, -1);
  const FileTree updated = ReadDailyFiles(cleanFolder);
  DeleteDirectoryTree(WideToSjis(cleanFolder.c_str()).c_str(), 1);
  ASSERT_EQ(updated.size(), before.size());
  for (const auto& [name, bytes] : before)
    ASSERT_TRUE(updated.count(name) == 1 && updated.at(name) != bytes) << WideToSjis(name.c_str()) << " not updated";
  ASSERT_GE(cleanChanges, kUpdateKills);
  std::wstring kept;  // the folder to start again on
  for (int kill = 0; kill < kUpdateKills; ++kill) {
    const int killAfter = 1 + kill * (cleanChanges - 1) / (kUpdateKills - 1);
    SCOPED_TRACE(testing::Message() << "killed after " << killAfter << " of " << cleanChanges << " changes");
    const std::wstring folder = StartWithOneDayWaiting(program);
    ASSERT_FALSE(folder.empty());
    UpdateAndKill(program, folder, killAfter);
    FileTree left = ReadDailyFiles(folder), names = left;
    names.insert(before.begin(), before.end());
    for (const auto& [name, bytes] : names) {
      EXPECT_TRUE(IsSameFile(left, before, name) || IsSameFile(left, updated, name))
          << WideToSjis(name.c_str()) << " is cut, mixed, missing or not a daily file";
    }
    const bool keep = kept.empty() && (!IsEmptyFolder(folder + L"TMPDAY\\") || kill == kUpdateKills - 1);
    if (keep) kept = folder;
    if (!keep) DeleteDirectoryTree(WideToSjis(folder.c_str()).c_str(), 1);
  }
  const FileTree killed = ReadDailyFiles(kept);
  ASSERT_TRUE(LaunchProgram(kept, program));
  EXPECT_EQ(CloseProgram(program), 0u);
  EXPECT_TRUE(IsEmptyFolder(kept + L"TMPDAY\\")) << "no folder of the temporary files, or one outlived the start";
  EXPECT_EQ(ReadDailyFiles(kept), killed);
  DeleteDirectoryTree(WideToSjis(kept.c_str()).c_str(), 1);
}

}  // namespace
