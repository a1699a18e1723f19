#pragma once
// The pages of the analysis-parameter sheet: which parameters each page
// edits, their control ids and ranges, how typed text becomes a stored value,
// and which parameters count as changed. The dialogs themselves are the window's.
#include <array>
#include <cstdint>

#include "records/indicator_parameter_set.h"

constexpr int kParameterPageCount = 15;
constexpr int kMaxPageFields = 6;
constexpr int kMaxPageSwatches = 6;
constexpr int kParameterRows = 3;           // daily, weekly, monthly
constexpr int kParameterRowIdStep = 100;    // row r adds 100 to a control id
constexpr int kParameterUpDownOffset = 10;  // the up-down's id above its edit's

struct ParameterField {
  int16_t slot;    // IndicatorParameterSet index
  int16_t editId;  // the daily row's edit
  int16_t minimum, maximum;
  const char* label;  // shown above the column
};

struct ParameterPage {
  int16_t templateId;
  int16_t tabStringId;
  int16_t fieldCount;
  int16_t swatchCount;
  std::array<ParameterField, kMaxPageFields> fields;
  std::array<int16_t, kMaxPageSwatches> swatches;  // palette entries
  const char* note;                                // shown under the page; null when none
};

extern const std::array<ParameterPage, kParameterPageCount> kParameterPages;

// The edit of field `field` in row `row`; its up-down is kParameterUpDownOffset above.
int ParameterEditId(const ParameterPage& page, int field, int row);
// The field of the page whose edit (in any row) has this id, with its row; false when none.
bool FindParameterEdit(const ParameterPage& page, int editId, int* field, int* row);

// Every parameter a page edits into that page's range, the nearer bound
// taken as the sheet takes it; 36 and 45-54 stay as they are.
void KeepParametersInPageRanges(IndicatorParameterSet& set);

// True when the sets agree in every parameter a page edits (36 and 45-54 are on no page).
bool CompareIndicatorParameterSets(const IndicatorParameterSet saved[kParameterRows],
                                   const IndicatorParameterSet working[kParameterRows]);
