#pragma once
// A rectangle as {left, top, right, bottom}, compared in one expectation.
#include <array>
#include <cstdint>

#include "common/gdi_rules.h"

using Ltrb4 = std::array<int32_t, 4>;
inline Ltrb4 Ltrb(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
