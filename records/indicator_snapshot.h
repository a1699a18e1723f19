#pragma once
// The value of every condition item at one bar of one period.
constexpr int kConditionItemCount = 91;
constexpr int kSnapshotSlots = 6;  // daily, weekly, monthly x latest, previous

struct IndicatorSnapshot {
  double values[kConditionItemCount];
};
static_assert(sizeof(IndicatorSnapshot) == 728, "IndicatorSnapshot is 91 doubles");
