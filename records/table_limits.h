#pragma once
// Fixed sizes of the stored tables that more than one record refers to.

constexpr int kGroupCount = 124;  // stock groups in "grp.dat"
