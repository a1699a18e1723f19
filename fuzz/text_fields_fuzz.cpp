// Runs the list-field readers over arbitrary bytes: every read must stay
// inside the buffer, every loop must make progress, outputs must stay
// inside their sizes.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "common/text_fields.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// One field through one of the readers, chosen by the column.
void ReadOneField(const char* buffer, int length, int* position, int column) {
  switch (column % 6) {
    case 0: {
      // Exactly sized so that the sanitizer sees a write past the end.
      const int outSize = 1 + column % 7;
      std::vector<char> out(static_cast<size_t>(outSize));
      ReadCsvField(buffer, length, position, out.data(), outSize);
      Check(std::memchr(out.data(), '\0', out.size()) != nullptr);
      break;
    }
    case 1: ReadCsvCode(buffer, length, position); break;
    case 2: ReadCsvInt(buffer, length, position); break;
    case 3: Check(!std::isnan(ReadCsvDouble(buffer, length, position))); break;
    case 4: ReadCsvStockCode(buffer, length, position); break;
    default: {
      char out[256];
      ReadCsvField(buffer, length, position, out, sizeof out);
      Check(std::strlen(out) < sizeof out);
      break;
    }
  }
}

// Reads the buffer line by line the way the list readers do.
void ParseAsList(const char* buffer, int length) {
  const int maxLines = CountTextLines(buffer, length);
  int lines = 0;
  int position = 0;
  while (position != -1) {
    Check(++lines <= maxLines);
    for (int column = 0; position < length && buffer[position] != '\r'; ++column) {
      const int before = position;
      ReadOneField(buffer, length, &position, column + lines);
      Check(position > before && position <= length);
    }
    const int lineEnd = position;
    const int next = SkipCsvLine(buffer, length, &position);
    Check(next == position);
    Check(next == -1 || (next > lineEnd && next < length));
  }
}

// Positions a caller might hold by mistake must read nothing.
void ReadFromOddPositions(const char* buffer, int length) {
  for (int start : {-1, INT_MIN, length, length + 1, INT_MAX}) {
    int position = start;
    char out[8];
    ReadCsvField(buffer, length, &position, out, sizeof out);
    Check(position == start && out[0] == '\0');
    Check(ReadCsvStockCode(buffer, length, &position) == 0 && position == start);
    Check(SkipCsvLine(buffer, length, &position) == -1 && position == -1);
  }
}

void SplitText(const char* data, size_t size) {
  const std::string text(data, std::find(data, data + size, '\0'));
  int count = -1;
  char** parts = SplitTextToArray(text.c_str(), &count);
  if (parts == nullptr) return;
  std::string joined;
  for (int i = 0; i < count; ++i) {
    Check(parts[i][0] != '\0' && std::strchr(parts[i], ',') == nullptr);
    joined += parts[i];
  }
  std::string expected = text;
  expected.erase(std::remove(expected.begin(), expected.end(), ','), expected.end());
  Check(joined == expected);
  FreeBlockArray(parts, count);
}

void ConvertLineEnds(const char* data, int length) {
  std::vector<char> copy(data, data + length);
  const auto ends = [&](char c) { return std::count(copy.begin(), copy.end(), c); };
  const auto before = ends('\r') + ends('\n');
  ConvertLfToCr(copy.data(), length);
  Check(ends('\n') == 0 && ends('\r') == before);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool initialised = (InitStockCodeGlobals(), true);
  (void)initialised;
  if (size > INT_MAX / 2) return 0;
  const char* buffer = reinterpret_cast<const char*>(data);
  const int length = static_cast<int>(size);
  ParseAsList(buffer, length);
  ReadFromOddPositions(buffer, length);
  SplitText(buffer, size);
  ConvertLineEnds(buffer, length);
  return 0;
}
