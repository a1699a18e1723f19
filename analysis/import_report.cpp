#include "analysis/import_report.h"

#include <algorithm>
#include <cstdio>

namespace {

// A longer list would not fit a message box on the screen.
constexpr int kListedArchives = 10;
constexpr int kLineSize = 1024;

const char* RefusalText(PriceZipResult result) {
  return result == PriceZipResult::kUnreadable ? "壊れているか、株価ファイルではありません"
                                               : "正しい行がひとつもありません";
}

// The archives `take` selects, one line each, at most kListedArchives of them.
template <typename Take, typename Describe>
std::string ListArchives(const ImportReport& report, Take take, Describe describe) {
  std::string text;
  int listed = 0;
  int more = 0;
  for (const ArchiveRecord& record : report.archives) {
    if (!take(record)) continue;
    if (listed == kListedArchives) {
      ++more;
      continue;
    }
    ++listed;
    char line[kLineSize];
    describe(record, line);
    text += line;
  }
  if (more > 0) {
    char line[64];
    std::snprintf(line, sizeof line, "　ほか%d件\n", more);
    text += line;
  }
  return text;
}

std::string RefusedSection(const ImportReport& report, bool fromDownloadFolder) {
  const std::string list = ListArchives(report, IsRefusedArchive, [](const ArchiveRecord& record, char* line) {
    std::snprintf(line, kLineSize, "　%s（%s）\n", record.path.c_str(), RefusalText(record.result));
  });
  if (list.empty()) return "";
  return "次の株価ファイルは読み込めなかったので、取り込みませんでした。\n" + list +
         (fromDownloadFolder ? "ファイルは消さずに残してあり、次回の更新で読み込み直します。\n"
                             : "ファイルは消さずに残してあります。\n");
}

std::string SkippedSection(const ImportReport& report) {
  const auto skipped = [](const ArchiveRecord& record) { return record.read && record.skippedRows > 0; };
  const std::string list = ListArchives(report, skipped, [](const ArchiveRecord& record, char* line) {
    std::snprintf(line, kLineSize, "　%s：%d行\n", record.path.c_str(), record.skippedRows);
  });
  if (list.empty()) return "";
  return "次の株価ファイルの正しくない行は読み飛ばしました。\n" + list;
}

std::string WriteFailureSection(const ImportReport& report) {
  if (report.writeFailure.error == 0) return "";
  char text[kLineSize];
  FormatDailyWriteFailure(report.writeFailure, text, sizeof text);
  return std::string(text) + "\n株価の取り込みを中止しました。取り込めなかった分は次回の更新で読み込み直します。\n";
}

}  // namespace

bool IsRefusedArchive(const ArchiveRecord& record) {
  return record.read && (record.result == PriceZipResult::kUnreadable || record.result == PriceZipResult::kNoValidRow);
}

bool HasRefusedArchive(const ImportReport& report) {
  return std::any_of(report.archives.begin(), report.archives.end(), IsRefusedArchive);
}

bool AnyArchiveImported(const ImportReport& report) {
  return std::any_of(report.archives.begin(), report.archives.end(), [](const ArchiveRecord& record) {
    return record.read && record.result == PriceZipResult::kImported;
  });
}

PackedDate CommittablePriceDate(const ImportReport& report) {
  PackedDate newest = 0;
  for (const ArchiveRecord& record : report.archives) {
    if (!record.read || IsRefusedArchive(record)) break;
    newest = std::max(newest, record.newestReferenceDate);
  }
  return newest;
}

std::string FormatImportReport(const ImportReport& report, bool fromDownloadFolder) {
  std::string text;
  for (const std::string& section :
       {WriteFailureSection(report), RefusedSection(report, fromDownloadFolder), SkippedSection(report)}) {
    if (section.empty()) continue;
    if (!text.empty()) text += "\n";
    text += section;
  }
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}
