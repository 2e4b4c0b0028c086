// The row kernels on SSE2, which every x86-64 processor has.
#include <emmintrin.h>

#include "raster/rast_row_kernels_simd.h"

namespace {

struct Sse2 {
  using R = __m128i;
  static constexpr int kPixels = 4;

  static R Load(const RAST_pixel* p) { return _mm_loadu_si128(reinterpret_cast<const R*>(p)); }
  static void Store(RAST_pixel* p, R v) { _mm_storeu_si128(reinterpret_cast<R*>(p), v); }
  static R Zero() { return _mm_setzero_si128(); }
  static R Set16(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
  static R Set32(int v) { return _mm_set1_epi32(v); }
  static R AlphaWordMask() { return _mm_set1_epi64x(0xffff); }
  static R UnpackLo8(R a, R b) { return _mm_unpacklo_epi8(a, b); }
  static R UnpackHi8(R a, R b) { return _mm_unpackhi_epi8(a, b); }
  static R PackU16(R a, R b) { return _mm_packus_epi16(a, b); }
  static R BroadcastAlpha(R v) { return _mm_shufflehi_epi16(_mm_shufflelo_epi16(v, 0), 0); }
  static R Add16(R a, R b) { return _mm_add_epi16(a, b); }
  static R Sub16(R a, R b) { return _mm_sub_epi16(a, b); }
  static R Mullo16(R a, R b) { return _mm_mullo_epi16(a, b); }
  static R MulhiU16(R a, R b) { return _mm_mulhi_epu16(a, b); }
  static R Srli16_8(R a) { return _mm_srli_epi16(a, 8); }
  static R Srai16_15(R a) { return _mm_srai_epi16(a, 15); }
  static R AddsU8(R a, R b) { return _mm_adds_epu8(a, b); }
  static R CmpEq32(R a, R b) { return _mm_cmpeq_epi32(a, b); }
  static R And(R a, R b) { return _mm_and_si128(a, b); }
  static R AndNot(R a, R b) { return _mm_andnot_si128(a, b); }
  static R Or(R a, R b) { return _mm_or_si128(a, b); }
  static R Xor(R a, R b) { return _mm_xor_si128(a, b); }
};

constexpr RAST_RowKernels kSse2 = MakeKernels<Sse2, Sse2BilinearGroup>("sse2");

}  // namespace

const RAST_RowKernels& RAST_Sse2RowKernels() { return kSse2; }
