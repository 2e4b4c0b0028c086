#include "host/response/response_measure.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "dsp/fft.h"

namespace korval_host {

namespace {

constexpr int kFFTLength = 32768;
// Folds of the response onto the FFT's length, one transform each: the grid's fineness. Sixteen
// give 0.09 Hz at 48 kHz, finer than a 1/6 octave needs at 20 Hz.
constexpr int kMostFolds = 16;
constexpr int kPlotPoints = 480;

double Decibels(double power) { return power > 0 ? 10.0 * std::log10(power) : kSilentDb; }

// Least-squares line through (i / sampleRate, decayDb[i]) for i in [first, end).
void FitLine(const std::vector<double>& decayDb, size_t first, size_t end, double sampleRate, DecayFit* fit) {
  const double count = static_cast<double>(end - first);
  double meanTime = 0, meanDb = 0;
  for (size_t i = first; i < end; ++i) {
    meanTime += static_cast<double>(i) / sampleRate;
    meanDb += decayDb[i];
  }
  meanTime /= count;
  meanDb /= count;
  double covariance = 0, variance = 0;
  for (size_t i = first; i < end; ++i) {
    const double t = static_cast<double>(i) / sampleRate - meanTime;
    covariance += t * (decayDb[i] - meanDb);
    variance += t * t;
  }
  fit->slopeDbPerSecond = covariance / variance;
  fit->interceptDb = meanDb - fit->slopeDbPerSecond * meanTime;
}

}  // namespace

std::vector<double> EnergyDecayDb(const std::vector<double>& response) {
  std::vector<double> decay(response.size());
  // From the end backwards, so the small late terms are summed before the large early ones.
  double remaining = 0;
  for (size_t i = response.size(); i-- > 0;) {
    remaining += response[i] * response[i];
    decay[i] = remaining;
  }
  const double total = response.empty() ? 0 : decay[0];
  for (double& energy : decay) energy = total > 0 ? Decibels(energy / total) : kSilentDb;
  return decay;
}

DecayFit FitReverbTime(const std::vector<double>& decayDb, double sampleRate) {
  // The decay never rises, so each range of levels is one stretch of samples.
  for (const double toDb : {-35.0, -25.0}) {
    DecayFit fit;
    fit.toDb = toDb;
    const auto first = std::find_if(decayDb.begin(), decayDb.end(), [&](double db) { return db <= fit.fromDb; });
    const auto end = std::find_if(first, decayDb.end(), [&](double db) { return db < toDb; });
    // A decay that stops above the range's end, or drops through all of it at once, gives no line.
    if (end == decayDb.end() || end - first < 2) continue;
    FitLine(decayDb, first - decayDb.begin(), end - decayDb.begin(), sampleRate, &fit);
    if (!(fit.slopeDbPerSecond < 0)) continue;
    fit.found = true;
    fit.rt60Seconds = -60.0 / fit.slopeDbPerSecond;
    return fit;
  }
  return {};
}

// Bin j = k * folds + m of an N = folds * L point transform is, with n = q L + r,
//   H_j = sum_r e^(-2 pi i k r / L) [ e^(-2 pi i m r / N) sum_q h[q L + r] e^(-2 pi i m q / folds) ],
// an L-point FFT for each m of the response folded onto L points with a turn per fold.
PowerSpectrum::PowerSpectrum(const std::vector<double>& response, double sampleRate) {
  int folds = 1;
  while (folds < kMostFolds && static_cast<size_t>(folds) * kFFTLength < response.size()) folds *= 2;
  const size_t points = static_cast<size_t>(folds) * kFFTLength;
  mBinWidth = sampleRate / static_cast<double>(points);
  mPower.assign(points / 2 + 1, 0.0);

  std::vector<std::complex<double>> turns(folds), folded(kFFTLength);
  for (int q = 0; q < folds; ++q) turns[q] = std::polar(1.0, -2.0 * std::numbers::pi * q / folds);
  std::vector<BRM_FFT_COMPLEX> transform(kFFTLength);
  const int* order = BRM_fft_permute_tab(kFFTLength);
  for (int m = 0; m < folds; ++m) {
    std::fill(folded.begin(), folded.end(), 0.0);
    for (size_t start = 0, q = 0; start < response.size(); start += kFFTLength, ++q) {
      const std::complex<double> turn = turns[(m * q) % folds];
      const size_t end = std::min(response.size(), start + kFFTLength);
      for (size_t n = start; n < end; ++n) folded[n - start] += response[n] * turn;
    }
    for (int r = 0; r < kFFTLength; ++r) {
      const double turnsOfR = static_cast<double>(m * r) / static_cast<double>(points);
      const std::complex<double> value = folded[r] * std::polar(1.0, -2.0 * std::numbers::pi * turnsOfR);
      transform[r] = {value.real(), value.imag()};
    }
    BRM_fft(transform.data(), kFFTLength, 0);
    for (int k = 0; k < kFFTLength; ++k) {
      const size_t bin = static_cast<size_t>(k) * folds + m;
      if (bin >= mPower.size()) break;
      const BRM_FFT_COMPLEX& x = transform[order[k]];
      mPower[bin] = x.re * x.re + x.im * x.im;
    }
  }
}

double PowerSpectrum::SmoothedLevelDb(double frequency) const {
  if (mPower.empty() || !(mBinWidth > 0)) return kSilentDb;
  const double last = static_cast<double>(mPower.size() - 1);
  const double low = std::ceil(frequency / kSmoothingEdgeRatio / mBinWidth);
  const double high = std::floor(frequency * kSmoothingEdgeRatio / mBinWidth);
  const auto first = static_cast<size_t>(std::clamp(low, 0.0, last));
  const auto end = static_cast<size_t>(std::clamp(high, -1.0, last) + 1);
  if (first >= end) {
    const double nearest = std::clamp(std::round(frequency / mBinWidth), 0.0, last);
    return Decibels(mPower[static_cast<size_t>(nearest)]);
  }
  double sum = 0;
  for (size_t j = first; j < end; ++j) sum += mPower[j];
  return Decibels(sum / static_cast<double>(end - first));
}

ResponseMeasurement MeasureResponse(const std::vector<double>& response, double sampleRate) {
  ResponseMeasurement measurement;
  measurement.decayDb = EnergyDecayDb(response);
  measurement.fit = FitReverbTime(measurement.decayDb, sampleRate);
  const PowerSpectrum spectrum(response, sampleRate);
  const double highest = std::min(kHighestPlotFrequency, sampleRate / 2);
  const double octaves = std::log2(highest / kLowestPlotFrequency);
  for (int i = 0; i < kPlotPoints; ++i) {
    const double frequency = kLowestPlotFrequency * std::exp2(octaves * i / (kPlotPoints - 1));
    measurement.frequencies.push_back(frequency);
    measurement.levelsDb.push_back(spectrum.SmoothedLevelDb(frequency));
  }
  return measurement;
}

}  // namespace korval_host
