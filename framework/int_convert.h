#pragma once
// Truncation toward zero that stays defined for values outside the int range and for NaN,
// which can arrive from hosts and files.
#include <climits>
#include <cmath>

inline int TruncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT_MAX;
  if (v <= -2147483648.0) return INT_MIN;
  return static_cast<int>(v);
}
