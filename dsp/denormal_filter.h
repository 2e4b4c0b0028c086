#pragma once
// Flushes values that can only hurt a long convolution: magnitudes below 2^-54 (they add nothing
// audible yet can turn into slow denormals inside the transforms) and infinities and NaNs (one of
// them would poison every later block through the spectra and the overlap).
#include <cstdint>
#include <cstring>

inline double denormal_filter_aggressive(double x) {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  // Adding one with wrap-around moves the all-ones exponent (inf/NaN) down to 0.
  const unsigned exponentPlusOne = (static_cast<unsigned>(bits >> 52) + 1) & 0x7ff;
  return exponentPlusOne < 970 ? 0.0 : x;
}
