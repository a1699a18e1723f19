#include "analysis/parameter_pages.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "analysis/indicator_params.h"
#include "tests/support/row.h"

namespace {

// Every parameter but 36 and 45-54 is on exactly one page; the swatches are the
// 36 line colours; no two controls of a page share an id in any row.
TEST(ParameterPagesTest, ThePagesCoverEachEditedParameterOnceWithControlIdsThatNeverCollide) {
  std::multiset<int> slots, swatches;
  std::vector<int> templates;
  for (const ParameterPage& page : kParameterPages) {
    templates.push_back(page.templateId);
    std::set<int> ids;
    for (int k = 0; k < page.fieldCount; ++k) {
      slots.insert(page.fields[k].slot);
      for (int r = 0; r < kParameterRows; ++r) {
        ids.insert(ParameterEditId(page, k, r));
        ids.insert(ParameterEditId(page, k, r) + kParameterUpDownOffset);
        int field = -1, row = -1;
        EXPECT_TRUE(FindParameterEdit(page, ParameterEditId(page, k, r), &field, &row));
        EXPECT_EQ(Row(field, row), Row(k, r)) << page.templateId;
      }
    }
    EXPECT_EQ(ids.size(), size_t(page.fieldCount) * kParameterRows * 2) << page.templateId;
    for (int s = 0; s < page.swatchCount; ++s) swatches.insert(page.swatches[s]);
  }
  std::multiset<int> expectedSlots, expectedSwatches;
  for (int slot = 0; slot < kParamSpare0; ++slot)
    if (slot != kParamUnused) expectedSlots.insert(slot);
  for (int entry = 19; entry <= 48; ++entry) expectedSwatches.insert(entry);
  for (int entry : {58, 59, 60, 61, 64, 65}) expectedSwatches.insert(entry);
  EXPECT_EQ(slots, expectedSlots);
  EXPECT_EQ(swatches, expectedSwatches);
  EXPECT_EQ(templates, (std::vector<int>{141, 142, 144, 203, 218, 219, 220, 254, 257, 258, 259, 260, 261, 262, 263}));
}

// The first edit, range and daily default of a field of each kind of range.
TEST(ParameterPagesTest, EachFamilyHasItsFirstEditRangeAndDefaults) {
  struct Case {
    int page, field, editId, minimum, maximum, dailyDefault;
  };
  const Case cases[] = {
      {0, 0, 10012, 3, 300, 5}, {4, 3, 10042, 0, 300, 0},    {5, 0, 10011, 3, 30, 5},
      {6, 2, 10013, 3, 100, 9}, {14, 5, 10017, 3, 5119, 24},
  };
  const IndicatorParameterSet daily = GetDefaultIndicatorParameters(0);
  for (const Case& c : cases) {
    const ParameterField& f = kParameterPages[c.page].fields[c.field];
    EXPECT_EQ(Row(f.editId, f.minimum, f.maximum, daily.slot[f.slot]),
              Row(c.editId, c.minimum, c.maximum, c.dailyDefault))
        << c.page << "/" << c.field;
    EXPECT_EQ(ParameterEditId(kParameterPages[c.page], c.field, 2), c.editId + 200);
  }
}

// A change of any edited parameter in any row is seen; 36 and 45-54 are not.
TEST(ParameterPagesTest, TheComparisonSeesEveryEditedParameterAndNoOther) {
  IndicatorParameterSet saved[kParameterRows];
  for (int r = 0; r < kParameterRows; ++r) saved[r] = GetDefaultIndicatorParameters(r);
  for (int r = 0; r < kParameterRows; ++r) {
    for (int slot = 0; slot < kIndicatorParamCount; ++slot) {
      IndicatorParameterSet working[kParameterRows] = {saved[0], saved[1], saved[2]};
      working[r].slot[slot] ^= 1;
      const bool edited = slot != kParamUnused && slot < kParamSpare0;
      EXPECT_EQ(CompareIndicatorParameterSets(saved, working), !edited) << r << "/" << slot;
    }
  }
}

}  // namespace
