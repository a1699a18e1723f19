#pragma once
// A few trend lines on the first stocks of a generated database, drawn
// where a user would draw them, so that a new user sees lines at once.

constexpr int kSampleTrendLineStocks = 3;  // the first stocks after the four indices

// For the database in the current folder with its stock table loaded (as
// MakeSampleDatabase leaves it): writes "tline.dat" through the store.
// 0, or 1 when it could not be written.
int WriteSampleTrendLines();
