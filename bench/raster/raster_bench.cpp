// Megapixels per second ("Mpx" per second) of the raster operations the editor leans on.
#include <benchmark/benchmark.h>

#include "bench_sizes.h"
#include "raster/rast_blit.h"

namespace {

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

BENCHMARK(BM_RastBlitCopy);
BENCHMARK(BM_RastBlitSourceAlpha);
BENCHMARK(BM_RastBlitAdd);
BENCHMARK(BM_RastScaleBilinear);
BENCHMARK(BM_RastFill);
