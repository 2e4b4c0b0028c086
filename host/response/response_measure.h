#pragma once
// Figures read from an impulse response: its energy decay (Schroeder backward integration), the
// reverb time fitted to that decay, and its magnitude response.
#include <cstddef>
#include <vector>

namespace korval_host {

// Decibels given to zero energy or level, far below anything the plots show.
inline constexpr double kSilentDb = -300;

// Per sample n: 10 log10 of the response's energy from n to its end over its whole energy; empty
// for an empty response, kSilentDb everywhere for a silent one.
std::vector<double> EnergyDecayDb(const std::vector<double>& response);

// The reverb time by a straight line fitted (least squares) to the energy decay between fromDb and
// toDb, extrapolated to -60 dB: T30 (-5 to -35 dB), or T20 (-5 to -25 dB) when the decay never
// reaches -35 dB.
struct DecayFit {
  bool found = false;
  double fromDb = -5, toDb = -35;
  double slopeDbPerSecond = 0;
  double interceptDb = 0;  // the line's level at time 0
  double rt60Seconds = 0;
};
DecayFit FitReverbTime(const std::vector<double>& decayDb, double sampleRate);

// The response's discrete-time Fourier transform, |H(f)|^2 at every multiple of BinWidth() up to
// half the sample rate. The grid is as fine as the response is long (at most 524288 points over
// the sample rate); the transform is exact at each point however long the response is, computed
// with 32768-point FFTs of the response folded onto their length.
class PowerSpectrum {
 public:
  PowerSpectrum(const std::vector<double>& response, double sampleRate);
  double BinWidth() const { return mBinWidth; }
  const std::vector<double>& Power() const { return mPower; }
  // 10 log10 of the mean of |H|^2 over the bins within a sixth of an octave centred on frequency
  // (the nearest bin when none is), kSilentDb for none.
  double SmoothedLevelDb(double frequency) const;

 private:
  double mBinWidth = 0;
  std::vector<double> mPower;
};

// The edges of the band a smoothed level averages: frequency / and x kSmoothingEdgeRatio.
inline constexpr double kSmoothingEdgeRatio = 1.0594630943592953;  // 2^(1/12)

struct ResponseMeasurement {
  std::vector<double> decayDb;
  DecayFit fit;
  // The magnitude response, smoothed, at frequencies evenly spaced in octaves.
  std::vector<double> frequencies, levelsDb;
};

// Frequencies from kLowestPlotFrequency to the lower of kHighestPlotFrequency and half the rate.
inline constexpr double kLowestPlotFrequency = 20;
inline constexpr double kHighestPlotFrequency = 20000;
ResponseMeasurement MeasureResponse(const std::vector<double>& response, double sampleRate);

}  // namespace korval_host
