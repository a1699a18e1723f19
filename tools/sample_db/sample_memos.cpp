#include "tools/sample_db/sample_memos.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "chart/memo_store.h"
#include "common/app_globals.h"
#include "common/file_io.h"
#include "common/stock_code.h"
#include "data/daily_cache.h"
#include "records/price_series.h"
#include "records/screen_pattern_record.h"

namespace {

constexpr char kDefaultFolder[] = "DEFAULTDATA";
constexpr int kLookBack = 60;  // bars the memos look over: what the first chart shows
constexpr int kLineHeight = 16;

struct SampleMemoText {
  const char* text;
  int32_t offsetX;  // the box beside the anchor, where it hides no candle
  int32_t offsetY;
};

constexpr SampleMemoText kHighMemo = {"３か月の高値\n戻り売りに注意", -136, -64};
constexpr SampleMemoText kLowMemo = {"３か月の安値\n下値の支えになるか", 24, 40};

// A memo with an arrow to the high or low of bar `bar`.
Memo SampleMemo(StockCode code, const PriceBar& bar, bool high, const MemoFileHeader& header) {
  const SampleMemoText& sample = high ? kHighMemo : kLowMemo;
  Memo memo = MakeNewMemo(code, kPaneCandles, 0, bar.date, high ? bar.high : bar.low, kLineHeight, header);
  snprintf(memo.text, sizeof memo.text, "%s", sample.text);
  memo.boxOffsetX = sample.offsetX;
  memo.boxOffsetY = sample.offsetY;
  memo.boxBottom = 2 * kLineHeight + 4;
  memo.arrowHidden = 0;
  return memo;
}

// The bar of the highest high (or lowest low) among the last bars.
int ExtremeBar(const BarSeries& bars, bool high) {
  int best = std::max(0, bars.count - kLookBack);
  for (int i = best; i < bars.count; ++i) {
    if (high ? bars.bars[i].high > bars.bars[best].high : bars.bars[i].low < bars.bars[best].low) best = i;
  }
  return best;
}

}  // namespace

int WriteSampleMemos() {
  const StockCode code = StringToCode(kSampleMemoStock);
  auto bars = std::make_unique<BarSeries>();
  GetDailyBars(code, bars.get());
  if (bars->count < 1) return 1;
  MemoFileHeader header{kSampleMemoCount, kMemoRecordBytes, {}, {}};
  std::copy_n(kDefaultMemoFontHeights, kMemoSizeChoiceCount, header.fontHeights);
  std::copy_n(kDefaultMemoLineSpacings, kMemoSizeChoiceCount, header.lineSpacings);
  const Memo memos[kSampleMemoCount] = {SampleMemo(code, bars->bars[ExtremeBar(*bars, true)], true, header),
                                        SampleMemo(code, bars->bars[ExtremeBar(*bars, false)], false, header)};
  std::vector<uint8_t> image(sizeof header + sizeof memos);
  memcpy(image.data(), &header, sizeof header);
  memcpy(image.data() + sizeof header, memos, sizeof memos);
  MakeDataFolderCurrent();
  if (PlatformCreateFolder(kDefaultFolder) != 0) return 1;
  return SaveBufferToFile(kDefaultMemoFilePath, image.data(), static_cast<uint32_t>(image.size())) == 0 ? 0 : 1;
}
