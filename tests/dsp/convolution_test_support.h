#pragma once
// Shared pieces of the convolution tests: reproducible signals, a plain time-domain convolution
// to compare against, and a driver that streams audio through an engine in host-sized blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "dsp/convolution_engine_div.h"
#include "dsp/impulse_buffer.h"

namespace conv_test {

inline std::vector<double> Noise(int n, unsigned seed, double amplitude = 1.0) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-amplitude, amplitude);
  std::vector<double> v(n);
  for (double& x : v) x = dist(rng);
  return v;
}

// Noise that decays over its length, shaped like a room's response.
inline std::vector<double> DecayingNoise(int n, unsigned seed) {
  std::vector<double> v = Noise(n, seed);
  for (int i = 0; i < n; ++i) v[i] *= std::exp(-4.0 * i / std::max(n, 1));
  return v;
}

inline void Fill(BRM_ImpulseBuffer& buffer, const std::vector<double>& left, const std::vector<double>* right = nullptr) {
  buffer.SetNumChannels(right ? 2 : 1);
  buffer.SetLength(static_cast<int>(left.size()));
  std::copy(left.begin(), left.end(), buffer.m_channel_data[0].Get());
  if (right) std::copy(right->begin(), right->end(), buffer.m_channel_data[1].Get());
}

// y[t] = sum over k of h[k] * x[t - k], summed in long double.
inline double DirectSample(const std::vector<double>& h, const std::vector<double>& x, long t) {
  long double sum = 0;
  const long first = std::max(0L, t - static_cast<long>(x.size()) + 1);
  const long last = std::min(t, static_cast<long>(h.size()) - 1);
  for (long k = first; k <= last; ++k) sum += static_cast<long double>(h[k]) * x[t - k];
  return static_cast<double>(sum);
}

// How far an output computed through float impulse spectra may stray from the exact result.
inline double Tolerance(const std::vector<double>& h, const std::vector<double>& x) {
  double hSum = 0, xMax = 0;
  for (double v : h) hSum += std::fabs(v);
  for (double v : x) xMax = std::max(xMax, std::fabs(v));
  return 1e-6 * hSum * xMax + 1e-12;
}

// An impulse length and a host block size, the parameters of the accuracy tests.
struct Case {
  int taps;
  int block;
};

// Latency only holds output back until a block is complete; the samples themselves line up with
// the input, so out[t] must equal (h * x)[t] for every sample produced.
inline void ExpectConvolution(const std::vector<double>& h, const std::vector<double>& x, const std::vector<double>& out,
                              int minimumCount) {
  ASSERT_GE(static_cast<int>(out.size()), minimumCount);
  const double tol = Tolerance(h, x);
  for (int t = 0; t < static_cast<int>(out.size()); ++t) ASSERT_NEAR(out[t], DirectSample(h, x, t), tol) << "sample " << t;
}

// Streams channels through engine in blocks of `block` samples, the way a host does (Add, Avail,
// Get, Advance), and returns everything each channel produced. The input is followed by `tail`
// zero samples so that delayed output comes out too.
template <class Engine>
std::vector<std::vector<double>> Stream(Engine& engine, std::vector<std::vector<double>> in, int block, int tail = 0,
                                        bool nullSecond = false) {
  const int nch = static_cast<int>(in.size());
  for (auto& ch : in) ch.resize(ch.size() + tail, 0.0);
  const int total = static_cast<int>(in[0].size());
  std::vector<std::vector<double>> out(nch);
  for (int at = 0; at < total; at += block) {
    const int n = std::min(block, total - at);
    double* ptrs[2] = {in[0].data() + at, nch > 1 && !nullSecond ? in[1].data() + at : nullptr};
    engine.Add(ptrs, n, nch);
    const int ready = engine.Avail(n);
    double** got = engine.Get();
    for (int c = 0; c < nch && ready > 0; ++c) out[c].insert(out[c].end(), got[c], got[c] + ready);
    engine.Advance(ready);
  }
  return out;
}

// Streams in calls of the given sizes, repeated, the way a host with varying buffers does.
inline std::vector<std::vector<double>> StreamCalls(BRM_ConvolutionEngine_Div& div, std::vector<std::vector<double>> in,
                                                    const std::vector<int>& sizes) {
  const int nch = static_cast<int>(in.size()), total = static_cast<int>(in[0].size());
  std::vector<std::vector<double>> out(nch);
  for (int at = 0, call = 0; at < total; ++call) {
    const int n = std::min(sizes[call % sizes.size()], total - at);
    double* ptrs[2] = {in[0].data() + at, nch > 1 ? in[1].data() + at : nullptr};
    div.Add(ptrs, n, nch);
    const int ready = div.Avail(n);
    EXPECT_EQ(ready, n) << "zero latency";
    double** got = div.Get();
    for (int c = 0; c < nch; ++c) out[c].insert(out[c].end(), got[c], got[c] + ready);
    div.Advance(ready);
    at += n;
  }
  return out;
}

}  // namespace conv_test
