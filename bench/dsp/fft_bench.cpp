// Transform cost per length for the scalar reference and the fast path. Repeated unscaled
// transforms grow the data, so each loop refills its buffer before it can overflow.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "dsp/fft.h"
#include "dsp/fft_reference.h"

namespace {

using Complex = void (*)(BRM_FFT_COMPLEX *, int, int);
using Real = void (*)(double *, int, int);

void Fill(double *data, int count) {
  for (int i = 0; i < count; ++i) data[i] = ((i * 7919) % 1000) / 1000.0 - 0.5;
}

void RunComplex(benchmark::State &state, Complex transform, int inverse) {
  BRM_fft_init();
  const int n = static_cast<int>(state.range(0));
  std::vector<BRM_FFT_COMPLEX> buf(n);
  Fill(&buf[0].re, 2 * n);
  for (auto _ : state) {
    transform(buf.data(), n, inverse);
    if (!(std::abs(buf[0].re) < 1e200)) Fill(&buf[0].re, 2 * n);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void RunReal(benchmark::State &state, Real transform, int inverse) {
  BRM_fft_init();
  const int n = static_cast<int>(state.range(0));
  std::vector<double> buf(n);
  Fill(buf.data(), n);
  for (auto _ : state) {
    transform(buf.data(), n, inverse);
    if (!(std::abs(buf[0]) < 1e200)) Fill(buf.data(), n);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void ForwardFast(benchmark::State &s) { RunComplex(s, BRM_fft, 0); }
void ForwardScalar(benchmark::State &s) { RunComplex(s, BRM_fft_reference, 0); }
void InverseFast(benchmark::State &s) { RunComplex(s, BRM_fft, 1); }
void InverseScalar(benchmark::State &s) { RunComplex(s, BRM_fft_reference, 1); }
void RealForwardFast(benchmark::State &s) { RunReal(s, BRM_real_fft, 0); }
void RealForwardScalar(benchmark::State &s) { RunReal(s, BRM_real_fft_reference, 0); }
void RealInverseFast(benchmark::State &s) { RunReal(s, BRM_real_fft, 1); }
void RealInverseScalar(benchmark::State &s) { RunReal(s, BRM_real_fft_reference, 1); }

}  // namespace

BENCHMARK(ForwardFast)->RangeMultiplier(2)->Range(64, 32768);
BENCHMARK(ForwardScalar)->RangeMultiplier(2)->Range(64, 32768);
BENCHMARK(InverseFast)->RangeMultiplier(2)->Range(64, 32768);
BENCHMARK(InverseScalar)->RangeMultiplier(2)->Range(64, 32768);
BENCHMARK(RealForwardFast)->RangeMultiplier(2)->Range(64, 32768);
BENCHMARK(RealForwardScalar)->RangeMultiplier(2)->Range(64, 32768);
BENCHMARK(RealInverseFast)->RangeMultiplier(2)->Range(64, 32768);
BENCHMARK(RealInverseScalar)->RangeMultiplier(2)->Range(64, 32768);
