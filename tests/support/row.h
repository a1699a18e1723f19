#pragma once
// Related integers compared in one expectation: EXPECT_EQ(Row(a, b), Row(1, 2)),
// and a rectangle as {left, top, right, bottom}.
#include <array>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "chart/gdi_rules.h"

template <typename... T>
std::vector<int64_t> Row(T... values) {
  static_assert(((std::is_integral_v<T> || std::is_enum_v<T>)&&...), "a row holds integers only");
  return {static_cast<int64_t>(values)...};
}

using Ltrb4 = std::array<int32_t, 4>;
inline Ltrb4 Ltrb(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }
