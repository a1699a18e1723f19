#include "analysis/import_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/posix_recorder.h"
#include "tests/support/row.h"

namespace {

constexpr PriceZipResult kOk = PriceZipResult::kImported;
constexpr PriceZipResult kBroken = PriceZipResult::kUnreadable;
constexpr PriceZipResult kEmpty = PriceZipResult::kNoValidRow;

ArchiveRecord Read(const char* name, PriceZipResult result, int day, int skipped = 0) {
  return {std::string("TMPDOWN\\") + name, true, result, skipped, day == 0 ? 0 : MakePackedDate(2026, 12, day)};
}

// The last price date stops before the first refused archive, whatever the
// archives after it hold; so does an archive the import stopped before.
TEST(ImportReportTest, TheLastPriceDateStopsBeforeTheFirstRefusedArchive) {
  const ArchiveRecord notRead = {"TMPDOWN\\b.zip", false, kOk, 0, 0};
  const struct {
    const char* what;
    std::vector<ArchiveRecord> archives;
    int committableDay;  // of 2026/12, 0 for none
    bool refused;
  } cases[] = {
      {"all good", {Read("a.zip", kOk, 7), Read("b.zip", kOk, 9), Read("c.zip", kOk, 8)}, 9, false},
      {"refused between", {Read("a.zip", kOk, 7), Read("b.zip", kBroken, 0), Read("c.zip", kOk, 9)}, 7, true},
      {"refused first", {Read("a.zip", kEmpty, 0), Read("b.zip", kOk, 9)}, 0, true},
      {"not read yet", {Read("a.zip", kOk, 7), notRead, Read("c.zip", kOk, 9)}, 7, false},
  };
  for (const auto& c : cases) {
    const ImportReport report{c.archives, {0, 0}};
    const PackedDate committable = c.committableDay == 0 ? 0 : MakePackedDate(2026, 12, c.committableDay);
    EXPECT_EQ(Row(CommittablePriceDate(report), HasRefusedArchive(report)), Row(committable, c.refused)) << c.what;
  }
}

// One message: the write that failed, the refused archives (ten at most,
// then how many more), the rows each skipped; nothing when all went well.
TEST(ImportReportTest, TheMessageNamesWhatFailedWhatWasRefusedAndCountsTheSkippedRows) {
  SetSystemErrorText(kErrorDiskFull, "ディスクに十分な空き領域がありません。");
  ImportReport report{{Read("a.zip", kOk, 7), Read("b.zip", kOk, 8)}, {0, 0}};
  EXPECT_EQ(FormatImportReport(report, true), "");
  report.archives.push_back(Read("c.zip", kOk, 9, 12));
  EXPECT_EQ(FormatImportReport(report, true),
            "次の株価ファイルの正しくない行は読み飛ばしました。\n　TMPDOWN\\c.zip：12行");
  report.archives.push_back(Read("d.zip", kBroken, 0));
  report.archives.push_back(Read("e.zip", kEmpty, 0, 3));
  report.writeFailure = {StringToCode("1301"), kErrorDiskFull};
  EXPECT_EQ(FormatImportReport(report, true),
            "日足ファイル(DAY\\1301)を書き込めませんでした。\nディスクに十分な空き領域がありません。\n"
            "株価の取り込みを中止しました。取り込めなかった分は次回の更新で読み込み直します。\n\n"
            "次の株価ファイルは読み込めなかったので、取り込みませんでした。\n"
            "　TMPDOWN\\d.zip（壊れているか、株価ファイルではありません）\n"
            "　TMPDOWN\\e.zip（正しい行がひとつもありません）\n"
            "ファイルは消さずに残してあり、次回の更新で読み込み直します。\n\n"
            "次の株価ファイルの正しくない行は読み飛ばしました。\n"
            "　TMPDOWN\\c.zip：12行\n　TMPDOWN\\e.zip：3行");
  ImportReport many{{}, {0, 0}};
  for (int i = 0; i < 13; ++i) many.archives.push_back(Read("x.zip", kBroken, 0));
  const std::string text = FormatImportReport(many, false);
  EXPECT_EQ(Row(text.find("　ほか3件\nファイルは消さずに残してあります。") != std::string::npos,
                text.find("次回の更新") == std::string::npos),
            Row(1, 1))
      << text;
  ResetPlatformRecorder();
}

}  // namespace
