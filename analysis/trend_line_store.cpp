#include "analysis/trend_line_store.h"

#include "common/app_globals.h"
#include "common/file_io.h"

TrendLineTable* gTrendLines = nullptr;
TrendLineTable* gTrendLinesUndo = nullptr;
int gSelectedTrendLine = -1;

bool AllocTrendLineTables() {
  if (gTrendLines == nullptr) gTrendLines = static_cast<TrendLineTable*>(AllocBlock(sizeof(TrendLineTable)));
  if (gTrendLinesUndo == nullptr) gTrendLinesUndo = static_cast<TrendLineTable*>(AllocBlock(sizeof(TrendLineTable)));
  return gTrendLines != nullptr && gTrendLinesUndo != nullptr;
}

void FreeTrendLineTables() {
  FreeBlock(gTrendLines);
  FreeBlock(gTrendLinesUndo);
  gTrendLines = nullptr;
  gTrendLinesUndo = nullptr;
}

int SaveTrendLines() {
  if (gTrendLines == nullptr) return kErrorInvalidParameter;
  MakeDataFolderCurrent();
  return SaveBufferToFile(kTrendLineFileName, gTrendLines, sizeof(TrendLineTable));
}
