// Megapixels per second ("Mpx" per second) of the raster operations the editor leans on. The
// blits that run through row kernels are measured on each kernel table too (argument 0: the
// fastest, which the library uses; 1: SSE2; 2: the scalar reference), for ratios within one run.
#include <benchmark/benchmark.h>

#include "bench_sizes.h"
#include "raster/rast_blit.h"
#include "raster/rast_row_kernels.h"

namespace {

// Selects the kernel table of the benchmark's argument while in scope.
class BenchKernels {
 public:
  explicit BenchKernels(const benchmark::State& state) {
    const RAST_RowKernels* tables[] = {nullptr, &RAST_Sse2RowKernels(), &RAST_ScalarRowKernels()};
    RAST_UseRowKernels(tables[state.range(0)]);
  }
  ~BenchKernels() { RAST_UseRowKernels(nullptr); }
};

void FillPattern(RAST_IBitmap* bmp) {
  unsigned v = 12345;
  for (int y = 0; y < bmp->getHeight(); ++y) {
    for (int x = 0; x < bmp->getWidth(); ++x) {
      v = v * 1103515245u + 12345u;
      bmp->getBits()[y * bmp->getRowSpan() + x] = v;
    }
  }
}

void SetRate(benchmark::State& state, long long pixelsPerIteration) {
  state.counters["Mpx"] = benchmark::Counter(static_cast<double>(pixelsPerIteration) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

void Blit(benchmark::State& state, float alpha, int mode) {
  RAST_MemBitmap src(kBenchSide, kBenchSide), dst(kBenchSide, kBenchSide);
  FillPattern(&src);
  FillPattern(&dst);
  BenchKernels kernels(state);
  for (auto _ : state) {
    RAST_Blit(&dst, &src, 0, 0, nullptr, alpha, mode);
    benchmark::ClobberMemory();
  }
  SetRate(state, static_cast<long long>(kBenchSide) * kBenchSide);
}

void BM_RastBlitCopy(benchmark::State& state) { Blit(state, 1.0f, RAST_MODE_COPY); }
void BM_RastBlitSourceAlpha(benchmark::State& state) { Blit(state, 1.0f, RAST_MODE_COPY | RAST_USE_SOURCE_ALPHA); }
void BM_RastBlitAdd(benchmark::State& state) { Blit(state, 1.0f, RAST_MODE_ADD); }

void BM_RastScaleBilinear(benchmark::State& state) {
  RAST_MemBitmap src(kBenchSide, kBenchSide), dst(kBenchScaledSide, kBenchScaledSide);
  FillPattern(&src);
  BenchKernels kernels(state);
  for (auto _ : state) {
    RAST_ScaledBlit(&dst, &src, 0, 0, kBenchScaledSide, kBenchScaledSide, 0, 0, kBenchSide, kBenchSide, 1.0f,
                    RAST_FILTER_BILINEAR);
    benchmark::ClobberMemory();
  }
  SetRate(state, static_cast<long long>(kBenchScaledSide) * kBenchScaledSide);
}

void BM_RastFill(benchmark::State& state) {
  RAST_MemBitmap dst(kBenchSide, kBenchSide);
  for (auto _ : state) {
    RAST_FillRect(&dst, 0, 0, kBenchSide, kBenchSide, 0x80ff4020u, 1.0f, RAST_MODE_COPY);
    benchmark::ClobberMemory();
  }
  SetRate(state, static_cast<long long>(kBenchSide) * kBenchSide);
}

}  // namespace

BENCHMARK(BM_RastBlitCopy)->Arg(0)->ArgName("kernels");
BENCHMARK(BM_RastBlitSourceAlpha)->DenseRange(0, 2)->ArgName("kernels");
BENCHMARK(BM_RastBlitAdd)->DenseRange(0, 2)->ArgName("kernels");
BENCHMARK(BM_RastScaleBilinear)->DenseRange(0, 2)->ArgName("kernels");
BENCHMARK(BM_RastFill);
