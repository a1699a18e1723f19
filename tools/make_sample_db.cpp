// Makes a synthetic price database for demonstrations and tests, with its
// indicators, signals and groups computed by the program's own code, a few
// trend lines on its first stocks and two default memos on the first index.
//
//   make_sample_db FOLDER [--stocks N] [--bars B] [--seed S] [--end YYYYMMDD]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "data/stock_table.h"
#include "tools/sample_db/sample_analysis.h"
#include "tools/sample_db/sample_database.h"
#include "tools/sample_db/sample_memos.h"
#include "tools/sample_db/sample_trend_lines.h"

namespace {

bool ParseOptions(int argc, char** argv, SampleDatabaseOptions* options) {
  if (argc < 2) return false;
  options->folder = argv[1];
  for (int i = 2; i + 1 < argc; i += 2) {
    const std::string key = argv[i];
    const long value = strtol(argv[i + 1], nullptr, 10);
    if (key == "--stocks")
      options->stocks = static_cast<int>(std::clamp(value, 1L, long{kMaxStocks - 4}));
    else if (key == "--bars")
      options->bars = static_cast<int>(std::clamp(value, 1L, long{kMaxBars}));
    else if (key == "--seed")
      options->seed = static_cast<uint32_t>(value);
    else if (key == "--end")
      options->end = MakePackedDate(static_cast<int>(value / 10000), static_cast<int>(value / 100 % 100),
                                    static_cast<int>(value % 100));
    else
      return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  SampleDatabaseOptions options;
  if (!ParseOptions(argc, argv, &options)) {
    fprintf(stderr, "usage: %s FOLDER [--stocks N] [--bars B] [--seed S] [--end YYYYMMDD]\n", argv[0]);
    return 2;
  }
  SampleDatabaseSummary summary{};
  if (MakeSampleDatabase(options, &summary) != 0 || AnalyseSampleDatabase() != 0 || WriteSampleTrendLines() != 0 ||
      WriteSampleMemos() != 0) {
    fprintf(stderr, "cannot write the database in %s\n", options.folder.c_str());
    return 1;
  }
  printf("%d stocks and 4 indices, %d trading days up to %d/%02d/%02d, %d splits\n", options.stocks,
         summary.tradingDays, PackedYear(summary.lastDate), PackedMonth(summary.lastDate), PackedDay(summary.lastDate),
         summary.splits);
  return 0;
}
