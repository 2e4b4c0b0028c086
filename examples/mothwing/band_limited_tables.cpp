#include "band_limited_tables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

BandLimitedTables::BandLimitedTables() {
  // Harmonic counts a little under a quarter-octave apart: a note never loses more than about a fifth
  // of its top harmonics to the table's limit.
  for (int count = 1; count <= kMaxHarmonics; count = std::max(count + 1, static_cast<int>(count * 1.19)))
    mHarmonics.push_back(count);
  const int nTables = static_cast<int>(mHarmonics.size());
  mSamples.resize(static_cast<size_t>(kNumWaves * nTables * (kCycle + 1)));

  std::vector<double> sine(kCycle), saw(kCycle, 0.0), square(kCycle, 0.0);
  for (int i = 0; i < kCycle; ++i) sine[i] = std::sin(2.0 * std::numbers::pi * i / kCycle);
  // Each table adds the harmonics its predecessor lacks: sin(k x) / k for the sawtooth, odd k only
  // for the square, scaled so that the waves swing about ±1.
  int harmonic = 1;
  for (int t = 0; t < nTables; ++t) {
    for (; harmonic <= mHarmonics[t]; ++harmonic) {
      for (int i = 0; i < kCycle; ++i) {
        const double partial = sine[(static_cast<long>(harmonic) * i) % kCycle] / harmonic;
        saw[i] += partial;
        if (harmonic % 2) square[i] += partial;
      }
    }
    float* pSaw = mSamples.data() + static_cast<size_t>((kWaveSaw * nTables + t) * (kCycle + 1));
    float* pSquare = mSamples.data() + static_cast<size_t>((kWaveSquare * nTables + t) * (kCycle + 1));
    for (int i = 0; i <= kCycle; ++i) {
      pSaw[i] = static_cast<float>(2.0 / std::numbers::pi * saw[i % kCycle]);
      pSquare[i] = static_cast<float>(4.0 / std::numbers::pi * square[i % kCycle]);
    }
  }
}

const BandLimitedTables& BandLimitedTables::Shared() {
  static const BandLimitedTables tables;
  return tables;
}

const float* BandLimitedTables::Table(int wave, double maxHz, double limitHz) const {
  const double allowed = maxHz > 0.0 ? limitHz / maxHz : kMaxHarmonics;
  int t = 0;
  while (t + 1 < static_cast<int>(mHarmonics.size()) && mHarmonics[t + 1] <= allowed) ++t;
  const int nTables = static_cast<int>(mHarmonics.size());
  return mSamples.data() + static_cast<size_t>((std::clamp(wave, 0, kNumWaves - 1) * nTables + t) * (kCycle + 1));
}
