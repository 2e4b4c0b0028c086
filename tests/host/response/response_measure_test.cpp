// korval-host plot: the figures it draws, against the same figures computed directly from the
// rendered response (energy sums for the decay and reverb time, a plain DFT for the magnitude
// response), and the command itself.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <memory>
#include <numbers>

#include "host/response/response_measure.h"
#include "host/response/response_render.h"
#include "host_test_support.h"
#include "raster/rast_png.h"

using namespace korval_host;
using namespace korval_host_test;

namespace {

constexpr int kRate = 8000;

ImpulseResponse RenderThroughBundle(const std::vector<std::pair<AudioUnitParameterID, float>>& parameters) {
  EXPECT_EQ(RegisterBundle(KORV_TEST_BUNDLE_DIR), "");
  std::string error;
  std::unique_ptr<HostedUnit> unit =
      HostedUnit::Open({kAudioUnitType_Effect, MakeFourCharCode("Kor1"), MakeFourCharCode("Brmo"), 0, 0}, &error);
  ImpulseResponse response;
  if (!unit) {
    ADD_FAILURE() << error;
    return response;
  }
  for (const auto& [id, value] : parameters) EXPECT_EQ(unit->SetParameter(id, value), noErr);
  EXPECT_EQ(RenderImpulseResponse(*unit, kRate, kResponseImpulseLevel, &response), "");
  return response;
}

// Energy from sample `from` on over the whole, in dB, summed from the front.
double RemainingEnergyDb(const std::vector<double>& h, size_t from) {
  double total = 0, before = 0;
  for (size_t n = 0; n < h.size(); ++n) {
    total += h[n] * h[n];
    if (n < from) before += h[n] * h[n];
  }
  return 10 * std::log10((total - before) / total);
}

// First sample whose remaining energy is at or below `db`, by bisection on the direct sums.
size_t DecayCrossing(const std::vector<double>& h, double db) {
  size_t low = 0, high = h.size() - 1;
  while (low < high) {
    const size_t middle = (low + high) / 2;
    if (RemainingEnergyDb(h, middle) <= db) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return low;
}

// Mean of |H(f)|^2 over the grid's points within a sixth of an octave of f, each a plain DFT sum.
double BandLevelDb(const std::vector<double>& h, double binWidth, double frequency) {
  const auto first = static_cast<long>(std::ceil(frequency / kSmoothingEdgeRatio / binWidth));
  const auto last = static_cast<long>(std::floor(frequency * kSmoothingEdgeRatio / binWidth));
  const auto points = static_cast<long>(std::llround(kRate / binWidth));
  std::vector<std::complex<double>> turn(points);
  for (long k = 0; k < points; ++k) turn[k] = std::polar(1.0, -2 * std::numbers::pi * k / points);
  double sum = 0;
  for (long j = first; j <= last; ++j) {
    std::complex<double> x = 0;
    for (size_t n = 0; n < h.size(); ++n) x += h[n] * turn[(j * static_cast<long>(n)) % points];
    sum += std::norm(x);
  }
  return 10 * std::log10(sum / static_cast<double>(last - first + 1));
}

TEST(ResponseMeasure, PlottedFiguresMatchDirectComputation) {
  const ImpulseResponse response = RenderThroughBundle({});
  const std::vector<double>& h = response.samples;
  ASSERT_GT(h.size(), static_cast<size_t>(kRate));
  EXPECT_TRUE(response.diedAway);
  const ResponseMeasurement measured = MeasureResponse(h, kRate);

  for (const size_t n : {size_t{0}, size_t{kRate / 10}, size_t{kRate / 2}, size_t{kRate}})
    EXPECT_NEAR(measured.decayDb[n], RemainingEnergyDb(h, n), 1e-6) << "energy decay at sample " << n;

  // The late decay is close to exponential, so its slope from -15 to -35 dB (past the direct
  // sound's drop) is the fitted one within a few percent.
  ASSERT_TRUE(measured.fit.found);
  EXPECT_EQ(measured.fit.toDb, -35) << "a T30 fit";
  const double directRt60 = 3.0 * static_cast<double>(DecayCrossing(h, -35) - DecayCrossing(h, -15)) / kRate;
  EXPECT_NEAR(measured.fit.rt60Seconds, directRt60, 0.05 * directRt60);

  const double binWidth = PowerSpectrum(h, kRate).BinWidth();
  for (const double target : {100.0, 1000.0, 3000.0}) {
    size_t i = 0;
    while (i + 1 < measured.frequencies.size() && measured.frequencies[i] < target) ++i;
    EXPECT_NEAR(measured.levelsDb[i], BandLevelDb(h, binWidth, measured.frequencies[i]), 0.01)
        << "magnitude at " << measured.frequencies[i] << " Hz";
  }
}

// Longer than the finest grid's 524288 points, so that the response folds onto the FFT more often
// than the grid has folds.
TEST(ResponseMeasure, SpectrumIsTheExactTransformOfALongResponse) {
  std::vector<double> h(600000);
  unsigned state = 1;
  double magnitudeSum = 0;
  for (size_t n = 0; n < h.size(); ++n) {
    state = state * 1664525u + 1013904223u;
    h[n] = ((state >> 8) / 16777216.0 - 0.5) * std::exp(-static_cast<double>(n) / 100000);
    magnitudeSum += std::abs(h[n]);
  }
  const PowerSpectrum spectrum(h, kRate);
  const auto points = static_cast<long>(std::llround(kRate / spectrum.BinWidth()));
  ASSERT_EQ(points, 524288);
  ASSERT_EQ(spectrum.Power().size(), static_cast<size_t>(points / 2 + 1));
  for (const long bin : {0L, 1L, 17L, 12345L, points / 4 + 3, points / 2}) {
    std::complex<double> x = 0;
    for (size_t n = 0; n < h.size(); ++n)
      x += h[n] * std::polar(1.0, -2 * std::numbers::pi * ((bin * static_cast<long>(n)) % points) / points);
    EXPECT_NEAR(std::sqrt(spectrum.Power()[bin]), std::abs(x), 1e-10 * magnitudeSum) << "bin " << bin;
  }
}

TEST(ResponseMeasure, DryAloneIsFlatAtTheOutputGainWithNoReverbTime) {
  const ImpulseResponse response = RenderThroughBundle({{0, 1.0f}, {1, 0.0f}, {2, 6.0f}});  // Dry, Wet, Out
  EXPECT_TRUE(response.diedAway);
  EXPECT_EQ(response.samples.size(), 1u) << "the impulse alone: the quiet second after it is not kept";
  const ResponseMeasurement measured = MeasureResponse(response.samples, kRate);
  EXPECT_FALSE(measured.fit.found);
  EXPECT_NEAR(measured.frequencies.front(), kLowestPlotFrequency, 1e-9);
  EXPECT_NEAR(measured.frequencies.back(), kRate / 2, 1e-9);
  for (size_t i = 0; i < measured.levelsDb.size(); ++i)
    ASSERT_NEAR(measured.levelsDb[i], 6.0, 1e-3) << measured.frequencies[i] << " Hz";
}

TEST(HostPlot, DrawsTheFiguresMeasuredThroughTheBundle) {
  TempDir dir;
  const HostRun run = RunHost({"plot", dir.Path("response.png"), "--rate", "8000", "--param", "Out=3"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  const ResponseMeasurement measured = MeasureResponse(RenderThroughBundle({{2, 3.0f}}).samples, kRate);
  char rt60[32];
  std::snprintf(rt60, sizeof rt60, "RT60 %.3f s", measured.fit.rt60Seconds);
  EXPECT_NE(run.output.find(rt60), std::string::npos) << run.output << " (measured: " << rt60 << ")";
  const std::unique_ptr<RAST_IBitmap> picture(RAST_LoadPNG(dir.Path("response.png").c_str()));
  ASSERT_NE(picture, nullptr);
  EXPECT_GT(picture->getWidth(), 800);
  EXPECT_GT(picture->getHeight(), 600);
}

TEST(HostPlot, RefusesBadOptionsAndLeavesNoFile) {
  TempDir dir;
  const std::string out = dir.Path("response.png");
  for (const auto& [arguments, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
           {{"plot"}, "needs an output file name"},
           {{"plot", out, "--rate", "7999"}, "--rate takes"},
           {{"plot", out, "--rate", "768001"}, "--rate takes"},
           {{"plot", out, "--rate"}, "--rate needs a value"},
           {{"plot", out, "--param", "Nope=1"}, "no parameter \"Nope\""},
           {{"plot", out, "--param", "Out=99"}, "out of range"},
           {{"plot", out, "--scale", "2"}, "unexpected argument --scale"},
           {{"plot", dir.Path("missing/response.png"), "--rate", "8000"}, "cannot write"}}) {
    const HostRun run = RunHost(arguments);
    EXPECT_EQ(run.exitStatus, 2) << run.output;
    EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    EXPECT_TRUE(dir.Files().empty()) << run.output;
  }
}

}  // namespace
