// The same operations through pixman, for scale. pixman works on premultiplied colour, so its
// "over" stands beside our source-alpha copy as the equivalent everyday operation.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <vector>

#include "bench_sizes.h"

namespace {

struct PixmanImage {
  std::vector<uint32_t> pixels;
  pixman_image_t* image;

  explicit PixmanImage(int side) : pixels(static_cast<size_t>(side) * side) {
    unsigned v = 12345;
    for (uint32_t& p : pixels) p = v = v * 1103515245u + 12345u;
    image = pixman_image_create_bits(PIXMAN_a8r8g8b8, side, side, pixels.data(), side * 4);
  }
  ~PixmanImage() { pixman_image_unref(image); }
};

void SetRate(benchmark::State& state, long long pixelsPerIteration) {
  state.counters["Mpx"] = benchmark::Counter(static_cast<double>(pixelsPerIteration) / 1e6,
                                              benchmark::Counter::kIsIterationInvariantRate);
}

void Composite(benchmark::State& state, pixman_op_t op) {
  PixmanImage src(kBenchSide), dst(kBenchSide);
  for (auto _ : state) {
    pixman_image_composite32(op, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0, kBenchSide, kBenchSide);
    benchmark::ClobberMemory();
  }
  SetRate(state, static_cast<long long>(kBenchSide) * kBenchSide);
}

void BM_PixmanBlitCopy(benchmark::State& state) { Composite(state, PIXMAN_OP_SRC); }
void BM_PixmanBlitOver(benchmark::State& state) { Composite(state, PIXMAN_OP_OVER); }
void BM_PixmanBlitAdd(benchmark::State& state) { Composite(state, PIXMAN_OP_ADD); }

void BM_PixmanScaleBilinear(benchmark::State& state) {
  PixmanImage src(kBenchSide), dst(kBenchScaledSide);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed(static_cast<double>(kBenchSide) / kBenchScaledSide),
                              pixman_double_to_fixed(static_cast<double>(kBenchSide) / kBenchScaledSide));
  pixman_image_set_transform(src.image, &t);
  pixman_image_set_filter(src.image, PIXMAN_FILTER_BILINEAR, nullptr, 0);
  for (auto _ : state) {
    pixman_image_composite32(PIXMAN_OP_SRC, src.image, nullptr, dst.image, 0, 0, 0, 0, 0, 0, kBenchScaledSide,
                             kBenchScaledSide);
    benchmark::ClobberMemory();
  }
  SetRate(state, static_cast<long long>(kBenchScaledSide) * kBenchScaledSide);
}

void BM_PixmanFill(benchmark::State& state) {
  PixmanImage dst(kBenchSide);
  pixman_color_t colour = {0x4040, 0x2020, 0xffff, 0x8080};
  pixman_rectangle16_t rect = {0, 0, kBenchSide, kBenchSide};
  for (auto _ : state) {
    pixman_image_fill_rectangles(PIXMAN_OP_SRC, dst.image, &colour, 1, &rect);
    benchmark::ClobberMemory();
  }
  SetRate(state, static_cast<long long>(kBenchSide) * kBenchSide);
}

}  // namespace

BENCHMARK(BM_PixmanBlitCopy);
BENCHMARK(BM_PixmanBlitOver);
BENCHMARK(BM_PixmanBlitAdd);
BENCHMARK(BM_PixmanScaleBilinear);
BENCHMARK(BM_PixmanFill);
