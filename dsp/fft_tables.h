#pragma once
// Twiddle and permutation tables shared by every FFT code path. Filled once by BRM_fft_init and
// read-only afterwards.
#include <cstdint>
#include <type_traits>

#include "dsp/fft.h"

namespace brm_fft {

// dN serves the pass of length N: entry k-1 holds (cos 2pi k/N, sin 2pi k/N). Up to d512 they
// cover a quarter circle, from d1024 up only an eighth.
extern BRM_FFT_COMPLEX d16[3], d32[7], d64[15], d128[31], d256[63], d512[127];
extern BRM_FFT_COMPLEX d1024[127], d2048[255], d4096[511], d8192[1023], d16384[2047], d32768[4095];

// The same twiddles laid out for the vector passes, one block of n/2 doubles for the pass of
// length n = 32..32768: (c_k, s_k) for k = 0..n/4-1, where (c_k, s_k) is twiddle k of that pass
// (slot k = 0 holds (1, 0) and is never used). A pass then loads its twiddles instead of
// rebuilding them from the eighth-circle tables, and reads half the bytes it would if each value
// were stored twice, as its registers want them.
constexpr int kFirstSplitLength = 32;
extern double split_twiddles[];
inline const double *SplitTwiddlesFor(int n) { return split_twiddles + (n - kFirstSplitLength) / 2; }

// Permutations of every length n = 2..32768, concatenated: length n starts at entry n - 2.
extern int _idxperm[2 * 32768];

constexpr int kMaxLength = 32768;

inline bool IsSupportedLength(int n) { return n >= 2 && n <= kMaxLength && (n & (n - 1)) == 0; }

// Calls f(std::integral_constant<int, len>) for a supported length; does nothing otherwise.
template <typename F>
inline void WithLength(int len, F f) {
  switch (len) {
    case 2: f(std::integral_constant<int, 2>{}); break;
    case 4: f(std::integral_constant<int, 4>{}); break;
    case 8: f(std::integral_constant<int, 8>{}); break;
    case 16: f(std::integral_constant<int, 16>{}); break;
    case 32: f(std::integral_constant<int, 32>{}); break;
    case 64: f(std::integral_constant<int, 64>{}); break;
    case 128: f(std::integral_constant<int, 128>{}); break;
    case 256: f(std::integral_constant<int, 256>{}); break;
    case 512: f(std::integral_constant<int, 512>{}); break;
    case 1024: f(std::integral_constant<int, 1024>{}); break;
    case 2048: f(std::integral_constant<int, 2048>{}); break;
    case 4096: f(std::integral_constant<int, 4096>{}); break;
    case 8192: f(std::integral_constant<int, 8192>{}); break;
    case 16384: f(std::integral_constant<int, 16384>{}); break;
    case 32768: f(std::integral_constant<int, 32768>{}); break;
    default: break;
  }
}

// One pair of the real transform's step (see CombineHalves): the positions, in the permuted
// order of the half-length transform, of bins k and H-k (k < len/4). Positions are below 16384, so
// two fit in four bytes; twiddle k is kept in a table of its own, in the same order.
struct RealPairPositions {
  uint16_t p;
  uint16_t q;
};
// The len/4 - 1 pairs of the real transform of length len (8..32768), in order of p. Each pair's
// partner lies in the same stretch of positions, so walking them in this order reads the
// spectrum in a few streams instead of leaping across it for every bin.
extern RealPairPositions real_pair_positions[kMaxLength / 2];
extern BRM_FFT_COMPLEX real_pair_twiddles[kMaxLength / 2];
inline const RealPairPositions *RealPairPositionsFor(int len) { return real_pair_positions + len / 4 - 2; }
inline const BRM_FFT_COMPLEX *RealPairTwiddlesFor(int len) { return real_pair_twiddles + len / 4 - 2; }

// The table of the pass of length n (16 <= n <= 32768).
const BRM_FFT_COMPLEX *TwiddlesFor(int n);

// Entry 1 of d16; stands for sqrt(1/2) wherever an angle of pi/4 is needed.
inline double SqrtHalf() { return d16[1].re; }

// Twiddle k of an eighth-circle table for a pass of quarter length q (k in 1..q-1): the table
// upwards, sqrt(1/2) at the middle, then the table downwards with its parts exchanged.
inline BRM_FFT_COMPLEX EighthTwiddle(const BRM_FFT_COMPLEX *d, int q, int k) {
  const int eighth = q / 2;
  if (k < eighth) return d[k - 1];
  if (k == eighth) return {SqrtHalf(), SqrtHalf()};
  const BRM_FFT_COMPLEX &w = d[q - k - 1];
  return {w.im, w.re};
}

}  // namespace brm_fft
