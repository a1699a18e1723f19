// Reads arbitrary bytes as "memo.dat" with either record size (640 bytes,
// and the older 348), with counts that fit the records or do not, and now and
// then as raw bytes. A refused image leaves no table; a read one holds its
// header's count of records, each text ends within its field, each colour
// names an entry of the colour list, no scratch byte is kept, and the table
// as written reads back unchanged. One input in 32 also goes through the
// file itself: a refused file is set aside and nothing is written back.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "chart/memo_store.h"
#include "chart/named_colors.h"
#include "common/stock_code.h"
#include "fuzz/fuzz_support.h"
#include "platform/posix_recorder.h"

namespace {

constexpr uint8_t kOptionRaw = 0x80;
constexpr uint8_t kOptionOldRecords = 0x40;
constexpr uint8_t kOptionCutShort = 0x20;  // the size misses part of the last record
constexpr uint8_t kCountMask = 0x07;
constexpr size_t kPrefixBytes = 2;  // the option and the byte count cut off

// The first byte picks the shape: raw bytes, or a header with a count of 0..7
// and that many records of one size, filled with the rest of the input
// repeated; the second byte how many bytes a short image lacks.
std::vector<uint8_t> ShapeInput(const uint8_t* data, size_t size) {
  if (size < kPrefixBytes) return {};
  const uint8_t option = data[0];
  if ((option & kOptionRaw) != 0) return std::vector<uint8_t>(data + 1, data + size);
  const bool old = (option & kOptionOldRecords) != 0;
  const int32_t count = option & kCountMask;
  const size_t header = old ? sizeof(OldMemoFileHeader) : sizeof(MemoFileHeader);
  const size_t record = old ? sizeof(OldMemo) : sizeof(Memo);
  std::vector<uint8_t> image(header + record * static_cast<size_t>(count));
  FillRepeating(image.data(), image.size(), data + kPrefixBytes, size - kPrefixBytes);
  const int32_t front[2] = {count, old ? kOldMemoRecordBytes : kMemoRecordBytes};
  std::memcpy(image.data(), front, sizeof front);
  if ((option & kOptionCutShort) != 0) image.resize(image.size() - std::min<size_t>(image.size(), data[1] + 1u));
  return image;
}

// Whether the loader must take the image: a known record size and all the
// records its count promises.
bool Acceptable(const std::vector<uint8_t>& image) {
  int32_t front[2] = {};
  if (image.size() < sizeof front) return false;
  std::memcpy(front, image.data(), sizeof front);
  if (front[0] < 0 || front[0] > kMaxMemos) return false;
  const auto count = static_cast<size_t>(front[0]);
  if (front[1] == kMemoRecordBytes) return image.size() >= sizeof(MemoFileHeader) + count * sizeof(Memo);
  if (front[1] == kOldMemoRecordBytes) return image.size() >= sizeof(OldMemoFileHeader) + count * sizeof(OldMemo);
  return false;
}

void CheckTable(const MemoTable& table, const std::vector<uint8_t>& image) {
  int32_t count = 0;
  std::memcpy(&count, image.data(), sizeof count);
  Check(table.header->count == count && table.header->recordSize == kMemoRecordBytes);
  for (int i = 0; i < kMemoSizeChoiceCount; ++i) {
    Check(table.header->fontHeights[i] >= kMinMemoFontHeight && table.header->fontHeights[i] <= kMaxMemoFontHeight);
    Check(table.header->lineSpacings[i] >= 0 && table.header->lineSpacings[i] <= kMaxMemoLineSpacing);
  }
  static const uint8_t kZeros[sizeof(Memo::scratch)] = {};
  for (int i = 0; i < count; ++i) {
    const Memo& memo = table.memos[i];
    Check(std::memchr(memo.text, 0, sizeof memo.text) != nullptr);
    Check(memo.color >= 0 && memo.color < kNamedColorCount && (memo.selected == 0 || memo.selected == 1));
    Check(std::memcmp(memo.scratch, kZeros, sizeof kZeros) == 0 && memo.reserved6[0] == 0 && memo.reserved6[1] == 0);
  }
}

size_t ImageBytes(const MemoTable& table) {
  return sizeof(MemoFileHeader) + sizeof(Memo) * static_cast<size_t>(table.header->count);
}

void LoadThroughFile(const std::vector<uint8_t>& image, const MemoTable& read, bool accepted) {
  // Nothing of the inputs before: no backup to fall back to, no file set aside.
  std::error_code ignored;
  std::filesystem::remove("memo.dat.damaged", ignored);
  std::filesystem::remove_all("BACKUP", ignored);
  WriteFile(kMemoFileName, image.data(), image.size());
  Check(LoadMemoFile());
  Check(HoldsBytes(kMemoFileName) == accepted && HoldsBytes("memo.dat.damaged") == !accepted);
  if (accepted) {
    Check(MemoCount() == read.header->count && std::memcmp(gMemos.header, read.header, ImageBytes(read)) == 0);
  } else {
    Check(MemoCount() == 0);
  }
  Check(SaveMemoFileAtExit() == 0 && HoldsBytes(kMemoFileName) == accepted);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool prepared = (InitStockCodeGlobals(), EnterScratchDataFolder(), true);
  Check(prepared);
  const std::vector<uint8_t> image = ShapeInput(data, size);
  MemoTable table{};
  const bool accepted = ConvertMemoFile(image.data(), image.size(), false, &table);
  Check(accepted == Acceptable(image));
  if (!accepted) {
    Check(table.header == nullptr && table.memos == nullptr);
  } else {
    CheckTable(table, image);
    MemoTable again{};
    Check(ConvertMemoFile(reinterpret_cast<const uint8_t*>(table.header), ImageBytes(table), false, &again));
    Check(std::memcmp(again.header, table.header, ImageBytes(table)) == 0);
    FreeMemoTable(&again);
  }
  // An empty file is a missing one, not a refused one.
  if (!image.empty() && IsOneInThirtyTwo(data, size)) LoadThroughFile(image, table, accepted);
  FreeMemoTable(&table);
  TakeRecordedMessageBoxes();
  return 0;
}
