#include "gui/mac/pixel_double.h"

#include <emmintrin.h>

#include <cstdint>

void DoubleUpImageReference(const uint32_t* src, int srcSpan, int width, int height, uint32_t* dst, int dstSpan) {
  for (int y = 0; y < height; ++y) {
    const uint32_t* in = src + static_cast<intptr_t>(y) * srcSpan;
    uint32_t* out0 = dst + static_cast<intptr_t>(2 * y) * dstSpan;
    uint32_t* out1 = out0 + dstSpan;
    for (int x = 0; x < width; ++x) out0[2 * x] = out0[2 * x + 1] = out1[2 * x] = out1[2 * x + 1] = in[x];
  }
}

void DoubleUpImage(const uint32_t* src, int srcSpan, int width, int height, uint32_t* dst, int dstSpan) {
  for (int y = 0; y < height; ++y) {
    const uint32_t* in = src + static_cast<intptr_t>(y) * srcSpan;
    uint32_t* out0 = dst + static_cast<intptr_t>(2 * y) * dstSpan;
    uint32_t* out1 = out0 + dstSpan;
    int x = 0;
    // Four source pixels at a time: each is paired with itself into two vectors of four.
    for (; x + 4 <= width; x += 4) {
      const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x));
      const __m128i lo = _mm_unpacklo_epi32(four, four);
      const __m128i hi = _mm_unpackhi_epi32(four, four);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out0 + 2 * x), lo);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out0 + 2 * x + 4), hi);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out1 + 2 * x), lo);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out1 + 2 * x + 4), hi);
    }
    for (; x < width; ++x) out0[2 * x] = out0[2 * x + 1] = out1[2 * x] = out1[2 * x + 1] = in[x];
  }
}
