#pragma once
// Row kernels written once over a vector type V (V::kPixels pixels per register, see
// rast_row_kernels_sse2.cpp and rast_row_kernels_avx2.cpp), compiled once per instruction set.
// Every channel is widened to 16 bits, where the combiners' products (at most 255 x 256) fit
// exactly; a pixel's alpha is its word 0. Tails shorter than a register go to the scalar table,
// through its pointers: calling shared code from here could let the linker keep a copy
// compiled for a newer instruction set than the caller's. For the same reason everything here
// has internal linkage.
#include <emmintrin.h>

#include "raster/rast_row_kernels.h"

namespace {

// s + (d - s) * m / 256 per channel, the division truncating toward zero as the integer
// formula does: worked on |d - s| with the sign put back after.
template <class V>
typename V::R Lerp(typename V::R d, typename V::R s, typename V::R m) {
  typename V::R diff = V::Sub16(d, s);
  typename V::R sign = V::Srai16_15(diff);
  typename V::R magnitude = V::Sub16(V::Xor(diff, sign), sign);
  typename V::R q = V::Srli16_8(V::Mullo16(magnitude, m));
  return V::Add16(s, V::Sub16(V::Xor(q, sign), sign));
}

// Word 0 of each pixel (its alpha) from x, the other words from colour.
template <class V>
typename V::R WithAlphaWord(typename V::R colour, typename V::R x) {
  typename V::R mask = V::AlphaWordMask();
  return V::Or(V::And(mask, x), V::AndNot(mask, colour));
}

// (a + 1) * w / 256 per pixel for w below 256: the source-alpha weight.
template <class V>
typename V::R SourceAlphaWeight(typename V::R s16, typename V::R wHigh) {
  return V::MulhiU16(V::Add16(V::BroadcastAlpha(s16), V::Set16(1)), wHigh);
}

template <class V>
void Copy(RAST_pixel* d, const RAST_pixel* s, int n, int w) {
  using R = typename V::R;
  R zero = V::Zero(), m = V::Set16(256 - w);
  int i = 0;
  for (; i + V::kPixels <= n; i += V::kPixels) {
    R dv = V::Load(d + i), sv = V::Load(s + i);
    R lo = Lerp<V>(V::UnpackLo8(dv, zero), V::UnpackLo8(sv, zero), m);
    R hi = Lerp<V>(V::UnpackHi8(dv, zero), V::UnpackHi8(sv, zero), m);
    V::Store(d + i, V::PackU16(lo, hi));
  }
  RAST_ScalarRowKernels().copy(d + i, s + i, n - i, w);
}

// With w below 256 a zero source alpha gives a zero weight, which changes nothing by itself.
template <class V>
void CopySourceAlpha(RAST_pixel* d, const RAST_pixel* s, int n, int w) {
  using R = typename V::R;
  R zero = V::Zero(), full = V::Set16(256), wHigh = V::Set16(w << 8);
  auto half = [&](R d16, R s16) {
    R sw = SourceAlphaWeight<V>(s16, wHigh);
    return WithAlphaWord<V>(Lerp<V>(d16, s16, V::Sub16(full, sw)), V::Add16(d16, sw));
  };
  int i = 0;
  for (; i + V::kPixels <= n; i += V::kPixels) {
    R dv = V::Load(d + i), sv = V::Load(s + i);
    R lo = half(V::UnpackLo8(dv, zero), V::UnpackLo8(sv, zero));
    R hi = half(V::UnpackHi8(dv, zero), V::UnpackHi8(sv, zero));
    V::Store(d + i, V::PackU16(lo, hi));  // the pack limits the alpha sum to 255
  }
  RAST_ScalarRowKernels().copySourceAlpha(d + i, s + i, n - i, w);
}

template <class V>
void CopySourceAlphaFull(RAST_pixel* d, const RAST_pixel* s, int n) {
  using R = typename V::R;
  R zero = V::Zero(), opaque = V::Set16(255), alphaBytes = V::Set32(0xff);
  auto half = [&](R d16, R s16) {
    R a = V::BroadcastAlpha(s16);
    return WithAlphaWord<V>(Lerp<V>(d16, s16, V::Sub16(opaque, a)), V::Add16(d16, a));
  };
  int i = 0;
  for (; i + V::kPixels <= n; i += V::kPixels) {
    R dv = V::Load(d + i), sv = V::Load(s + i);
    R mixed = V::PackU16(half(V::UnpackLo8(dv, zero), V::UnpackLo8(sv, zero)),
                         half(V::UnpackHi8(dv, zero), V::UnpackHi8(sv, zero)));
    R transparent = V::CmpEq32(V::And(sv, alphaBytes), zero);
    V::Store(d + i, V::Or(V::And(transparent, dv), V::AndNot(transparent, mixed)));
  }
  RAST_ScalarRowKernels().copySourceAlphaFull(d + i, s + i, n - i);
}

template <class V>
void Add(RAST_pixel* d, const RAST_pixel* s, int n, int w) {
  using R = typename V::R;
  R zero = V::Zero(), weight = V::Set16(w);
  int i = 0;
  if (w == 256) {
    for (; i + V::kPixels <= n; i += V::kPixels) V::Store(d + i, V::AddsU8(V::Load(d + i), V::Load(s + i)));
  } else {
    for (; i + V::kPixels <= n; i += V::kPixels) {
      R sv = V::Load(s + i);
      R lo = V::Srli16_8(V::Mullo16(V::UnpackLo8(sv, zero), weight));
      R hi = V::Srli16_8(V::Mullo16(V::UnpackHi8(sv, zero), weight));
      V::Store(d + i, V::AddsU8(V::Load(d + i), V::PackU16(lo, hi)));
    }
  }
  RAST_ScalarRowKernels().add(d + i, s + i, n - i, w);
}

// A zero source alpha gives a weight of at most 1, which adds nothing.
template <class V>
void AddSourceAlpha(RAST_pixel* d, const RAST_pixel* s, int n, int w) {
  using R = typename V::R;
  R zero = V::Zero(), one = V::Set16(1), wHigh = V::Set16(w << 8);
  auto half = [&](R s16) {
    // At w = 256 the weight is a + 1, which the high-half multiply cannot reach.
    R sw = w == 256 ? V::Add16(V::BroadcastAlpha(s16), one) : SourceAlphaWeight<V>(s16, wHigh);
    return V::Srli16_8(V::Mullo16(s16, sw));
  };
  int i = 0;
  for (; i + V::kPixels <= n; i += V::kPixels) {
    R sv = V::Load(s + i);
    R added = V::PackU16(half(V::UnpackLo8(sv, zero)), half(V::UnpackHi8(sv, zero)));
    V::Store(d + i, V::AddsU8(V::Load(d + i), added));
  }
  RAST_ScalarRowKernels().addSourceAlpha(d + i, s + i, n - i, w);
}

// Bilinear samples, eight at a time. Each weight is the exact 16.16 product of the reference:
// with Y = 65536 - fy (below 65536 when fy is not 0),
//   w10 = fx * Y >> 16 and w00 = (65536 - fx) * Y >> 16 = Y - ceil(fx * Y / 65536),
// and likewise w11, w01 with fy; all fit 16 bits. A horizontal-only row has w00 = 65536 - fx,
// which is 65536 at fx = 0: there w00 becomes 65535 and the missing 1 x p00 comes in as the
// "bottom" weight, the bottom row being the top row.
void BilinearWeights(__m128i fx, int fy, __m128i* w00, __m128i* w10, __m128i* w01, __m128i* w11) {
  __m128i zero = _mm_setzero_si128();
  if (!fy) {
    __m128i atZero = _mm_cmpeq_epi16(fx, zero);
    *w00 = _mm_add_epi16(_mm_sub_epi16(zero, fx), atZero);
    *w10 = fx;
    *w01 = _mm_srli_epi16(atZero, 15);
    *w11 = zero;
    return;
  }
  auto split = [&](int y, __m128i* near, __m128i* far) {
    __m128i yv = _mm_set1_epi16(static_cast<short>(y));
    __m128i high = _mm_mulhi_epu16(fx, yv);
    __m128i exact = _mm_cmpeq_epi16(_mm_mullo_epi16(fx, yv), zero);  // all ones when no remainder
    *far = high;
    *near = _mm_sub_epi16(_mm_sub_epi16(_mm_sub_epi16(yv, high), _mm_set1_epi16(1)), exact);
  };
  split(65536 - fy, w00, w10);
  split(fy, w01, w11);
}

// Eight samples on SSE2, one pixel per register. Each pixel's weights are spread over its four
// channels as [near x4, far x4], matching a pixel and its right neighbour loaded as 16-bit
// channels.
struct Sse2BilinearGroup {
  static void Spread(__m128i nearWeights, __m128i farWeights, __m128i spread[8]) {
    __m128i pairs[2] = {_mm_unpacklo_epi16(nearWeights, farWeights), _mm_unpackhi_epi16(nearWeights, farWeights)};
    for (int h = 0; h < 2; ++h) {
      __m128i lo = _mm_unpacklo_epi16(pairs[h], pairs[h]), hi = _mm_unpackhi_epi16(pairs[h], pairs[h]);
      spread[h * 4 + 0] = _mm_unpacklo_epi32(lo, lo);
      spread[h * 4 + 1] = _mm_unpackhi_epi32(lo, lo);
      spread[h * 4 + 2] = _mm_unpacklo_epi32(hi, hi);
      spread[h * 4 + 3] = _mm_unpackhi_epi32(hi, hi);
    }
  }

  // Σ weight x channel over a pixel and its right neighbour, as four 32-bit channel sums.
  static __m128i WeightedPair(const RAST_pixel* p, __m128i weights) {
    __m128i channels = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128());
    __m128i lo = _mm_mullo_epi16(channels, weights), hi = _mm_mulhi_epu16(channels, weights);
    return _mm_add_epi32(_mm_unpacklo_epi16(lo, hi), _mm_unpackhi_epi16(lo, hi));
  }

  static void Run(RAST_pixel* out, const RAST_pixel* top, const RAST_pixel* bottom, long long px, long long step,
                  __m128i w00, __m128i w10, __m128i w01, __m128i w11) {
    __m128i topWeights[8], bottomWeights[8], sums[8];
    Spread(w00, w10, topWeights);
    Spread(w01, w11, bottomWeights);
    for (int k = 0; k < 8; ++k, px += step) {
      long long x = px >> 16;
      sums[k] = _mm_srli_epi32(
          _mm_add_epi32(WeightedPair(top + x, topWeights[k]), WeightedPair(bottom + x, bottomWeights[k])), 16);
    }
    for (int k = 0; k < 8; k += 4) {
      __m128i four = _mm_packus_epi16(_mm_packs_epi32(sums[k], sums[k + 1]), _mm_packs_epi32(sums[k + 2], sums[k + 3]));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), four);
    }
  }
};

// Group::Run(out, top, bottom, px, step, w00, w10, w01, w11) writes eight samples.
template <class Group>
void Bilinear(RAST_pixel* out, const RAST_pixel* top, const RAST_pixel* bottom, int fy, long long px, long long step,
              int n) {
  if (!fy) bottom = top;
  alignas(16) unsigned short firstFractions[8];
  for (int k = 0; k < 8; ++k) firstFractions[k] = static_cast<unsigned short>((px + k * step) & 0xffff);
  __m128i fx = _mm_load_si128(reinterpret_cast<const __m128i*>(firstFractions));
  __m128i fxStep = _mm_set1_epi16(static_cast<short>((8 * step) & 0xffff));  // fractions wrap in 16 bits
  int i = 0;
  for (; i + 8 <= n; i += 8, px += 8 * step) {
    __m128i w00, w10, w01, w11;
    BilinearWeights(fx, fy, &w00, &w10, &w01, &w11);
    Group::Run(out + i, top, bottom, px, step, w00, w10, w01, w11);
    fx = _mm_add_epi16(fx, fxStep);
  }
  RAST_ScalarRowKernels().bilinear(out + i, top, bottom, fy, px, step, n - i);
}

template <class V, class BilinearGroup>
constexpr RAST_RowKernels MakeKernels(const char* name) {
  return {name,        Copy<V>, CopySourceAlpha<V>, CopySourceAlphaFull<V>, Add<V>, AddSourceAlpha<V>,
          Bilinear<BilinearGroup>};
}

}  // namespace
