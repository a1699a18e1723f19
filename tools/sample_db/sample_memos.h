#pragma once
// Two memos on the reference index's daily candles, in the distributed
// default memo file, so that a new user finds memos on the first chart.

constexpr char kSampleMemoStock[] = "1001";
constexpr int kSampleMemoCount = 2;

// For the database in the current folder with its stock table loaded (as
// MakeSampleDatabase leaves it): writes "DEFAULTDATA\memo.dat". 0, or 1 when
// it could not be written.
int WriteSampleMemos();
