// Loads arbitrary bytes as ken.dat and adjusts fixed series with what was
// loaded: the count must stay within the table, adjusted prices at 1 or above,
// and no conversion may leave its range.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "common/file_io.h"
#include "data/ken_table.h"
#include "platform/posix_recorder.h"
#include "common/app_globals.h"

namespace {

constexpr int kSeriesBars = 48;
constexpr int kSeriesPerInput = 16;
constexpr int32_t kPrices[] = {INT_MAX, 1, 0, -5, 1000, 999999, 3, INT_MIN};
constexpr int32_t kVolumes[] = {INT_MAX, 0, -INT_MAX, 12345, 0, 1, 1500000000, INT_MIN};

void PrepareDataFolder() {
  EnterScratchDataFolder();
  Check(mkdir("BASEDATA", 0777) == 0);
}

// Bars spread over the whole date range, so that boundaries fall everywhere.
void FillSeries(BarSeries* series) {
  series->count = kSeriesBars;
  for (int i = 0; i < kSeriesBars; ++i) {
    PriceBar& bar = series->bars[i];
    bar.date = static_cast<PackedDate>(i) * 0x05000000u + static_cast<PackedDate>(i % 5);
    bar.open = kPrices[i % 8];
    bar.high = kPrices[(i + 1) % 8];
    bar.low = kPrices[(i + 3) % 8];
    bar.close = kPrices[(i + 5) % 8];
    bar.volume = kVolumes[(i / 2) % 8];
  }
}

// The first byte chooses whether a tag is put in front of the rest.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes;
  if (size == 0) return bytes;
  const uint32_t tags[] = {0, kKenTag, kOldKenTag};
  const uint32_t tag = tags[data[0] % 3];
  if (tag != 0)
    bytes.insert(bytes.end(), reinterpret_cast<const uint8_t*>(&tag),
                 reinterpret_cast<const uint8_t*>(&tag) + sizeof tag);
  bytes.insert(bytes.end(), data + 1, data + size);
  return bytes;
}

void WriteKenFile(const std::vector<uint8_t>& bytes) {
  std::ofstream out("BASEDATA/ken.dat", std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void CheckAdjusted(const BarSeries& source, const BarSeries& out) {
  Check(out.code == source.code && out.count == source.count);
  for (int i = 0; i < out.count; ++i) {
    const PriceBar& bar = out.bars[i];
    Check(bar.date == source.bars[i].date);
    Check(bar.open >= 1 && bar.high >= 1 && bar.low >= 1 && bar.close >= 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (InitStockCodeGlobals(), PrepareDataFolder(), true);
  (void)prepared;
  WriteKenFile(ShapeInput(data, size));
  LoadKenFile();
  TakeRecordedMessageBoxes();
  TakeRecordedBeeps();
  Check(gKenTable != nullptr);
  Check(gKenTable->count >= 0 && gKenTable->count <= kMaxKenRecords);

  static std::unique_ptr<BarSeries> source(new BarSeries());
  static std::unique_ptr<BarSeries> out(new BarSeries());
  FillSeries(source.get());
  const int records = gKenTable->count < kSeriesPerInput ? gKenTable->count : kSeriesPerInput;
  for (int r = -1; r < records; ++r) {
    source->code = r < 0 ? StringToCode("1301") : gKenTable->records[r].code;
    AdjustBarsForSplits(*source, out.get());
    CheckAdjusted(*source, *out);
  }
  return 0;
}
