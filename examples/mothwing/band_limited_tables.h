#pragma once
// Single cycles of a sawtooth and a square wave, each in versions with more and more harmonics. A
// voice plays the version whose highest harmonic stays below the limit at the highest frequency it
// may reach, so nothing it plays folds back from above the Nyquist frequency.
#include <vector>

enum EMothwingWave { kWaveSaw = 0, kWaveSquare, kNumWaves };

class BandLimitedTables {
 public:
  // Samples in one cycle; each table holds one more, a copy of the first, for interpolation.
  static constexpr int kCycle = 4096;
  // Linear interpolation stays clean while the harmonics are far fewer than the samples of a cycle.
  static constexpr int kMaxHarmonics = kCycle / 4;

  // One set for the process, built on first use (which allocates: not on the audio path).
  static const BandLimitedTables& Shared();

  // The table of the wave with the most harmonics that all stay below limitHz at frequencies up to
  // maxHz; at least the fundamental alone.
  const float* Table(int wave, double maxHz, double limitHz) const;

  // The sample at phase (0 <= phase < 1) of a table, linearly interpolated.
  static double Read(const float* table, double phase) {
    const double position = phase * kCycle;
    const int index = static_cast<int>(position);
    const double fraction = position - index;
    return table[index] + fraction * (table[index + 1] - table[index]);
  }

 private:
  BandLimitedTables();
  std::vector<int> mHarmonics;
  // kNumWaves × harmonic counts tables of kCycle + 1 samples.
  std::vector<float> mSamples;
};
