// The row kernels on AVX2: twice the pixels per register. The table is offered only when the
// processor has it (rast_row_kernels.cpp).
#include <immintrin.h>

#include "base/avx2_region.h"
#include "raster/rast_row_kernels.h"

KORV_AVX2_BEGIN
#include "raster/rast_row_kernels_simd.h"

namespace {

struct Avx2 {
  using R = __m256i;
  static constexpr int kPixels = 8;

  static R Load(const RAST_pixel* p) { return _mm256_loadu_si256(reinterpret_cast<const R*>(p)); }
  static void Store(RAST_pixel* p, R v) { _mm256_storeu_si256(reinterpret_cast<R*>(p), v); }
  static R Zero() { return _mm256_setzero_si256(); }
  static R Set16(int v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  static R Set32(int v) { return _mm256_set1_epi32(v); }
  static R AlphaWordMask() { return _mm256_set1_epi64x(0xffff); }
  // Unpacking and packing both work within 128-bit lanes, so a round trip keeps pixel order.
  static R UnpackLo8(R a, R b) { return _mm256_unpacklo_epi8(a, b); }
  static R UnpackHi8(R a, R b) { return _mm256_unpackhi_epi8(a, b); }
  static R PackU16(R a, R b) { return _mm256_packus_epi16(a, b); }
  static R BroadcastAlpha(R v) { return _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(v, 0), 0); }
  static R Add16(R a, R b) { return _mm256_add_epi16(a, b); }
  static R Sub16(R a, R b) { return _mm256_sub_epi16(a, b); }
  static R Mullo16(R a, R b) { return _mm256_mullo_epi16(a, b); }
  static R MulhiU16(R a, R b) { return _mm256_mulhi_epu16(a, b); }
  static R Srli16_8(R a) { return _mm256_srli_epi16(a, 8); }
  static R Srai16_15(R a) { return _mm256_srai_epi16(a, 15); }
  static R AddsU8(R a, R b) { return _mm256_adds_epu8(a, b); }
  static R CmpEq32(R a, R b) { return _mm256_cmpeq_epi32(a, b); }
  static R And(R a, R b) { return _mm256_and_si256(a, b); }
  static R AndNot(R a, R b) { return _mm256_andnot_si256(a, b); }
  static R Or(R a, R b) { return _mm256_or_si256(a, b); }
  static R Xor(R a, R b) { return _mm256_xor_si256(a, b); }
};

// Eight samples, pixels k and k + 4 sharing a register (one per 128-bit lane), so that packing
// the sums lane by lane leaves the pixels in order.
struct Avx2BilinearGroup {
  // Pixel k's weights of each lane, spread as [near x4, far x4]: a pair (near, far) is 4 bytes.
  static __m256i Spread(__m256i pairs, int k) {
    const char a = static_cast<char>(4 * k), b = static_cast<char>(4 * k + 2);
    const char a1 = static_cast<char>(a + 1), b1 = static_cast<char>(b + 1);
    __m128i control = _mm_setr_epi8(a, a1, a, a1, a, a1, a, a1, b, b1, b, b1, b, b1, b, b1);
    return _mm256_shuffle_epi8(pairs, _mm256_broadcastsi128_si256(control));
  }

  // Σ weight x channel over pixels at p and q with their right neighbours: p's sums in the low
  // lane, q's in the high one.
  static __m256i WeightedPairs(const RAST_pixel* p, const RAST_pixel* q, __m256i weights) {
    __m128i both = _mm_castpd_si128(_mm_loadh_pd(_mm_castsi128_pd(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))),
                                                 reinterpret_cast<const double*>(q)));
    __m256i channels = _mm256_cvtepu8_epi16(both);
    __m256i lo = _mm256_mullo_epi16(channels, weights), hi = _mm256_mulhi_epu16(channels, weights);
    return _mm256_add_epi32(_mm256_unpacklo_epi16(lo, hi), _mm256_unpackhi_epi16(lo, hi));
  }

  static void Run(RAST_pixel* out, const RAST_pixel* top, const RAST_pixel* bottom, long long px, long long step,
                  __m128i w00, __m128i w10, __m128i w01, __m128i w11) {
    __m256i topPairs = _mm256_set_m128i(_mm_unpackhi_epi16(w00, w10), _mm_unpacklo_epi16(w00, w10));
    __m256i bottomPairs = _mm256_set_m128i(_mm_unpackhi_epi16(w01, w11), _mm_unpacklo_epi16(w01, w11));
    __m256i sums[4];
    for (int k = 0; k < 4; ++k) {
      long long x = (px + k * step) >> 16, x4 = (px + (k + 4) * step) >> 16;
      __m256i sum = _mm256_add_epi32(WeightedPairs(top + x, top + x4, Spread(topPairs, k)),
                                     WeightedPairs(bottom + x, bottom + x4, Spread(bottomPairs, k)));
      sums[k] = _mm256_srli_epi32(sum, 16);
    }
    __m256i eight = _mm256_packus_epi16(_mm256_packs_epi32(sums[0], sums[1]), _mm256_packs_epi32(sums[2], sums[3]));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), eight);
  }
};

}  // namespace

// Only data leaves this file; the processor check runs in code built for the baseline.
extern const RAST_RowKernels kRastAvx2RowKernels = MakeKernels<Avx2, Avx2BilinearGroup>("avx2");
KORV_AVX2_END
