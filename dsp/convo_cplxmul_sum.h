#pragma once
// The sum of spectral products over many impulse blocks in few passes over memory, shared by the
// vector code paths. V supplies the register type and its operations: kValues complex values per
// register, Product(a, b) as the scalar computes it, Load, Store and Add.
//
// Bins are taken a stretch at a time, so that the stretch of dest stays in the first-level cache
// while the terms pass over it; within a stretch up to four terms are summed in registers before
// each store. Every bin still receives its products one by one in term order, so the bits are
// those of one CplxMul2 and a CplxMul3 per further term.
#include <algorithm>


#include "dsp/convo_cplxmul.h"

namespace brm_convo {
namespace {

constexpr int kSumStretch = 512;
constexpr int kSumTermsPerPass = 4;

template <class V, int Terms, bool First>
void SumPass(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* const* a, const BRM_CONVO_IMPULSEBUFCPLXf* const* b, int begin,
             int end) {
  constexpr int w = V::kValues;
  int i = begin;
  // Two registers per step give the adds of consecutive terms independent work to overlap with.
  for (; i + 2 * w <= end; i += 2 * w) {
    auto s0 = V::Product(a[0] + i, b[0] + i);
    auto s1 = V::Product(a[0] + i + w, b[0] + i + w);
    if constexpr (!First) {
      s0 = V::Add(V::Load(dest + i), s0);
      s1 = V::Add(V::Load(dest + i + w), s1);
    }
    for (int t = 1; t < Terms; ++t) {
      s0 = V::Add(s0, V::Product(a[t] + i, b[t] + i));
      s1 = V::Add(s1, V::Product(a[t] + i + w, b[t] + i + w));
    }
    V::Store(dest + i, s0);
    V::Store(dest + i + w, s1);
  }
  for (; i < end; i += w) {
    auto s = V::Product(a[0] + i, b[0] + i);
    if constexpr (!First) s = V::Add(V::Load(dest + i), s);
    for (int t = 1; t < Terms; ++t) s = V::Add(s, V::Product(a[t] + i, b[t] + i));
    V::Store(dest + i, s);
  }
}

template <class V, bool First>
void SumGroup(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* const* a, const BRM_CONVO_IMPULSEBUFCPLXf* const* b, int terms,
              int begin, int end) {
  switch (terms) {
    case 1: return SumPass<V, 1, First>(dest, a, b, begin, end);
    case 2: return SumPass<V, 2, First>(dest, a, b, begin, end);
    case 3: return SumPass<V, 3, First>(dest, a, b, begin, end);
    default: return SumPass<V, kSumTermsPerPass, First>(dest, a, b, begin, end);
  }
}

// Even ranges suit both register widths.
template <class V>
void MulSum(BRM_FFT_COMPLEX* dest, const BRM_FFT_COMPLEX* const* a, const BRM_CONVO_IMPULSEBUFCPLXf* const* b, int terms, int begin,
            int end) {
  const int n = end - begin;
  if (terms < 1 || n < 2 || (n & 1)) return;
  for (int from = begin; from < end; from += kSumStretch) {
    const int to = std::min(end, from + kSumStretch);
    SumGroup<V, true>(dest, a, b, std::min(terms, kSumTermsPerPass), from, to);
    for (int k = kSumTermsPerPass; k < terms; k += kSumTermsPerPass)
      SumGroup<V, false>(dest, a + k, b + k, std::min(terms - k, kSumTermsPerPass), from, to);
  }
}

}  // namespace
}  // namespace brm_convo
