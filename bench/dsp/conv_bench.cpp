// Cost of the convolution engines: the divided engine on the effect's impulse shape at 48 kHz,
// a single FFT engine, the vector spectral multiply against its scalar reference, and the ways of
// summing a block's spectral products.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "dsp/convo_cplxmul.h"
#include "dsp/convo_mirror.h"
#include "dsp/convo_pending_sum.h"
#include "dsp/convolution_engine.h"
#include "dsp/convolution_engine_div.h"

namespace {

constexpr double kSampleRate = 48000.0;

// The effect's impulse at 48 kHz: decaying noise, then exact zeros.
void FillEffectShapedImpulse(BRM_ImpulseBuffer& impulse) {
  impulse.SetNumChannels(1);
  impulse.SetLength(417959);
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> dist(-0.2, 0.2);
  double* taps = impulse.m_channel_data[0].Get();
  for (int i = 0; i < 219000; ++i) taps[i] = dist(rng) * std::exp(-5.0 * i / 219000);
}

std::vector<double> Noise(int n) {
  std::mt19937 rng(2);
  std::uniform_real_distribution<double> dist(-0.5, 0.5);
  std::vector<double> v(n);
  for (double& x : v) x = dist(rng);
  return v;
}

// CPU seconds per second of audio, shown as "cpu_per_audio_s".
void SetCostPerAudioSecond(benchmark::State& state, int block) {
  state.counters["cpu_per_audio_s"] =
      benchmark::Counter(block / kSampleRate, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <class Engine>
void StreamBlocks(benchmark::State& state, Engine& engine, int block) {
  // A long input keeps the silent-block skipping out of play.
  std::vector<double> input = Noise(1 << 20);
  size_t at = 0;
  for (auto _ : state) {
    double* ptrs[1] = {input.data() + at};
    engine.Add(ptrs, block, 1);
    const int ready = engine.Avail(block);
    benchmark::DoNotOptimize(engine.Get()[0]);
    engine.Advance(ready);
    at = (at + block) % (input.size() - block);
  }
  SetCostPerAudioSecond(state, block);
}

// Second argument: whether silent impulse blocks are skipped. Besides the CPU, the bytes the
// engines walk over per second of audio and the spectra they keep, as their layout implies.
void BM_DividedEngineEffectImpulse(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  BRM_ImpulseBuffer impulse;
  FillEffectShapedImpulse(impulse);
  BRM_ConvolutionEngine_Div engine;
  engine.SetZeroSkipping(state.range(1) != 0);
  engine.SetImpulse(&impulse);
  StreamBlocks(state, engine, block);
  state.counters["touched_MB_per_audio_s"] = engine.GetTouchedBytesPerSecond(kSampleRate, block) * 1e-6;
  state.counters["spectra_MB"] = engine.GetSpectraBytes() * 1e-6;
}
BENCHMARK(BM_DividedEngineEffectImpulse)->ArgsProduct({{64, 256, 1024}, {1, 0}})->MinTime(3.0);

// One uniformly partitioned engine on the same impulse (latency 16384): the cost floor the
// divided engine is measured against.
void BM_SingleFFTEngineEffectImpulse(benchmark::State& state) {
  const int block = static_cast<int>(state.range(0));
  BRM_ImpulseBuffer impulse;
  FillEffectShapedImpulse(impulse);
  BRM_ConvolutionEngine engine;
  engine.SetImpulse(&impulse, 32768);
  StreamBlocks(state, engine, block);
}
BENCHMARK(BM_SingleFFTEngineEffectImpulse)->Arg(256)->MinTime(3.0);

void CplxMul(benchmark::State& state, const brm_convo::CplxMulKernels& kernels) {
  const int n = static_cast<int>(state.range(0));
  std::vector<BRM_FFT_COMPLEX> a(n, {0.5, -0.25}), dest(n, {0.0, 0.0});
  std::vector<BRM_CONVO_IMPULSEBUFCPLXf> b(n, {0.75f, 0.125f});
  for (auto _ : state) {
    kernels.mul3(dest.data(), a.data(), b.data(), n);
    benchmark::DoNotOptimize(dest.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * n);
}

void BM_CplxMul3Scalar(benchmark::State& state) { CplxMul(state, brm_convo::kScalarKernels); }
void BM_CplxMul3Sse2(benchmark::State& state) { CplxMul(state, brm_convo::kSse2Kernels); }
void BM_CplxMul3Avx2(benchmark::State& state) {
  if (!brm_convo::CpuHasAvx2()) {
    state.SkipWithError("no AVX2 on this processor");
    return;
  }
  CplxMul(state, brm_convo::kAvx2Kernels);
}
BENCHMARK(BM_CplxMul3Scalar)->Arg(256)->Arg(32768);
BENCHMARK(BM_CplxMul3Sse2)->Arg(256)->Arg(32768);
BENCHMARK(BM_CplxMul3Avx2)->Arg(256)->Arg(32768);

// The accumulation of the FFT-32768 engine on the effect's impulse: 13 products of 32768 bins out
// of a ring of 25 input spectra (12.8 MB), moving one ring entry on per block as the engine does,
// so the operands come from memory rather than from a warm cache.
struct SpectralSum {
  static constexpr int kBins = 32768, kRing = 25, kTerms = 13;
  std::vector<BRM_FFT_COMPLEX> ring = std::vector<BRM_FFT_COMPLEX>(static_cast<size_t>(kRing) * kBins, {0.5, -0.25});
  std::vector<BRM_CONVO_IMPULSEBUFCPLXf> impulse =
      std::vector<BRM_CONVO_IMPULSEBUFCPLXf>(static_cast<size_t>(kTerms) * kBins, {0.75f, 0.125f});
  std::vector<BRM_FFT_COMPLEX> dest = std::vector<BRM_FFT_COMPLEX>(kBins);
  const BRM_FFT_COMPLEX* a[kTerms];
  const BRM_CONVO_IMPULSEBUFCPLXf* b[kTerms];
  int pos = 0;

  void NextBlock() {
    pos = (pos + 1) % kRing;
    for (int j = 0; j < kTerms; ++j) {
      a[j] = ring.data() + static_cast<size_t>((pos - j + kRing) % kRing) * kBins;
      b[j] = impulse.data() + static_cast<size_t>(j) * kBins;
    }
  }
};

void BM_SpectralSumOneProductPerPass(benchmark::State& state) {
  SpectralSum s;
  for (auto _ : state) {
    s.NextBlock();
    BRM_CONVO_CplxMul2(s.dest.data(), s.a[0], s.b[0], SpectralSum::kBins);
    for (int j = 1; j < SpectralSum::kTerms; ++j) BRM_CONVO_CplxMul3(s.dest.data(), s.a[j], s.b[j], SpectralSum::kBins);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SpectralSumOneProductPerPass);

void BM_SpectralSumFused(benchmark::State& state) {
  SpectralSum s;
  for (auto _ : state) {
    s.NextBlock();
    BRM_CONVO_CplxMulSum(s.dest.data(), s.a, s.b, SpectralSum::kTerms, 0, SpectralSum::kBins);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SpectralSumFused);

// What a mono stream through a mono impulse costs: half the bins, the rest mirrored.
void BM_SpectralSumMirrored(benchmark::State& state) {
  SpectralSum s;
  BRM_CONVO_MirroredSum mirrored;
  if (!mirrored.Build(SpectralSum::kBins)) {
    state.SkipWithError("no mirror plan");
    return;
  }
  for (auto _ : state) {
    s.NextBlock();
    mirrored.MulSum(s.dest.data(), s.a, s.b, SpectralSum::kTerms);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_SpectralSumMirrored);

// The same mirrored sum summed ahead as the engine does, in as many steps as the argument says,
// with the caches evicted before each step (other work runs between host calls). Fewer, longer
// steps stream each operand for longer and cost less in all, but each makes its call heavier;
// the engine keeps 64 for its worst call. The time is that of the whole sum. A fixed count of
// iterations: the evictions are not timed, and would otherwise be repeated for minutes.
void BM_PendingSumColdSteps(benchmark::State& state) {
  const int steps = static_cast<int>(state.range(0));
  SpectralSum s;
  BRM_CONVO_MirroredSum mirrored;
  BRM_CONVO_PendingSum pending;
  if (!mirrored.Build(SpectralSum::kBins) || !pending.Build(SpectralSum::kBins, SpectralSum::kTerms)) {
    state.SkipWithError("no memory");
    return;
  }
  std::vector<unsigned char> junk(64 << 20);
  int key = 0;
  for (auto _ : state) {
    s.NextBlock();
    for (int j = 0; j < SpectralSum::kTerms; ++j) {
      pending.Inputs()[j] = s.a[j];
      pending.Impulses()[j] = s.b[j];
    }
    pending.Start(++key, SpectralSum::kTerms, &mirrored);
    for (int step = 1; step <= steps; ++step) {
      state.PauseTiming();
      for (size_t i = 0; i < junk.size(); i += 64) junk[i] = static_cast<unsigned char>(junk[i] + 1);
      state.ResumeTiming();
      pending.StepTo(step, steps);
    }
    benchmark::DoNotOptimize(pending.FinishSources(key));
  }
}
BENCHMARK(BM_PendingSumColdSteps)->Arg(64)->Arg(16)->Iterations(20)->Unit(benchmark::kMicrosecond);

}  // namespace
