#pragma once
// An independent model of the biquad designs: the textbook analog prototypes mapped by the
// bilinear transform. Shared by the filter tests and the effect's wet-path model.
#include <cmath>
#include <utility>

#include "dsp/biquad.h"

namespace korv_test {

inline constexpr double kPi = 3.141592653589793;

// Independent model: the textbook analog prototypes (normalised to a corner of 1 rad/s) mapped by
// the bilinear transform prewarped to the corner, s = (1/K)(1 - z^-1)/(1 + z^-1), K = tan(pi f).
struct Analog {
  double s2, s1, s0;
};

inline BiquadCoefficients BilinearModel(int type, double f, double Q, double gainDb) {
  const double V = std::pow(10.0, std::fabs(gainDb) / 20.0);
  const bool boost = gainDb >= 0.0;
  const Analog resonant = {1.0, 1.0 / Q, 1.0};
  const Analog butterworth = {1.0, std::sqrt(2.0), 1.0};
  Analog num{}, den{};
  switch (type) {
    case kBiquadLowPass: num = {0, 0, 1}; den = resonant; break;
    case kBiquadHighPass: num = {1, 0, 0}; den = resonant; break;
    case kBiquadBandPass: num = {0, 1.0 / Q, 0}; den = resonant; break;
    case kBiquadNotch: num = {1, 0, 1}; den = resonant; break;
    case kBiquadPeak: num = {1, V / Q, 1}; den = resonant; break;
    case kBiquadLowShelf: num = {1, std::sqrt(2.0 * V), V}; den = butterworth; break;
    case kBiquadHighShelf: num = {V, std::sqrt(2.0 * V), 1}; den = butterworth; break;
  }
  if (!boost && type >= kBiquadPeak) std::swap(num, den);
  const double K = std::tan(kPi * f);
  auto z0 = [&](Analog a) { return a.s2 + a.s1 * K + a.s0 * K * K; };
  auto z1 = [&](Analog a) { return -2.0 * a.s2 + 2.0 * a.s0 * K * K; };
  auto z2 = [&](Analog a) { return a.s2 - a.s1 * K + a.s0 * K * K; };
  const double a0 = z0(den);
  return {z0(num) / a0, z1(num) / a0, z2(num) / a0, z1(den) / a0, z2(den) / a0};
}

}  // namespace korv_test
