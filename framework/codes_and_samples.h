#pragma once
// Small helpers every plug-in needs: four-character codes as the numbers hosts compare, and samples
// made fit for a filter's state and a host's float buffer.
#include <algorithm>
#include <cmath>
#include <limits>

// "Kor1" as 0x4B6F7231: the first character in the top byte. Bytes above 0x7F count as unsigned, so
// no character spills into its neighbours.
constexpr int FourCC(const char (&code)[5]) {
  return static_cast<int>((static_cast<unsigned>(static_cast<unsigned char>(code[0])) << 24) |
                          (static_cast<unsigned>(static_cast<unsigned char>(code[1])) << 16) |
                          (static_cast<unsigned>(static_cast<unsigned char>(code[2])) << 8) |
                          static_cast<unsigned>(static_cast<unsigned char>(code[3])));
}

// Held to the range a host's float buffer can carry, so that narrowing it never gives an infinity.
inline double HoldToFloatRange(double x) {
  constexpr double kFloatLimit = std::numeric_limits<float>::max();
  return std::clamp(x, -kFloatLimit, kFloatLimit);
}

// A NaN or infinity would stay in a convolution's or a filter's state for good, so it is taken as
// silence; finite values are held to the float range, so neither sums over them nor the narrowed
// output can overflow.
inline double CleanSample(double x) { return std::isfinite(x) ? HoldToFloatRange(x) : 0.0; }
