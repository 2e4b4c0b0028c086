#include "dsp/fft_tables.h"

#include <cmath>
#include <numbers>

namespace brm_fft {

alignas(64) BRM_FFT_COMPLEX d16[3], d32[7], d64[15], d128[31], d256[63], d512[127];
alignas(64) BRM_FFT_COMPLEX d1024[127], d2048[255], d4096[511], d8192[1023], d16384[2047], d32768[4095];
alignas(64) int _idxperm[2 * 32768];
// Block of the pass of length n starts at (n - kFirstSplitLength) / 2.
alignas(64) double split_twiddles[kMaxLength - kFirstSplitLength / 2];
alignas(64) RealPairPositions real_pair_positions[kMaxLength / 2];
alignas(64) BRM_FFT_COMPLEX real_pair_twiddles[kMaxLength / 2];

namespace {

// Every angle is computed once, in the smallest table holding it; odd entries of a larger table
// copy the same angle from the half-length table so all lengths share identical values.
void __fft_gen(BRM_FFT_COMPLEX *table, const BRM_FFT_COMPLEX *previous, int count, int full) {
  double step = (std::numbers::pi / 4.0) / (count + 1);
  if (full) step *= 2.0;
  for (int x = 0; x < count; ++x) {
    if (previous && (x & 1)) {
      table[x] = previous[x >> 1];
    } else {
      const double angle = (x + 1) * step;
      table[x] = {std::cos(angle), std::sin(angle)};
    }
  }
}

// Frequency (positive exponent) found at position i of an n-point split-radix output.
unsigned fftfreq_c(unsigned i, unsigned n) {
  if (n <= 2) return i;
  unsigned m = n >> 1;
  if (i < m) return fftfreq_c(i, m) << 1;
  i -= m;
  m >>= 1;
  if (i < m) return (fftfreq_c(i, m) << 2) + 1;
  i -= m;
  return ((fftfreq_c(i, m) << 2) - 1) & (n - 1);
}

void idx_perm_calc(int offset, int n) {
  _idxperm[offset] = 0;
  for (int i = 1; i < n; ++i) _idxperm[offset + n - static_cast<int>(fftfreq_c(i, n))] = i;
}

// The split block of the pass of length n, from the same entries the scalar pass reads.
void SplitTwiddles(int n) {
  const int q = n / 4;
  const BRM_FFT_COMPLEX *d = TwiddlesFor(n);
  double *out = split_twiddles + (n - kFirstSplitLength) / 2;
  for (int k = 0; k < q; ++k) {
    BRM_FFT_COMPLEX w = {1.0, 0.0};
    if (k > 0) w = n <= 512 ? d[k - 1] : EighthTwiddle(d, q, k);
    out[2 * k] = w.re;
    out[2 * k + 1] = w.im;
  }
}

// The pairs of the real transform of length len, ordered by the position of their lower bin.
void RealPairs(int len) {
  const int half = len / 2, quarter = len / 4;
  const int *tab = _idxperm + half - 2;
  const BRM_FFT_COMPLEX *d = len >= 16 ? TwiddlesFor(len) : nullptr;
  static int binAt[kMaxLength / 2];
  for (int k = 0; k < half; ++k) binAt[tab[k]] = k;
  RealPairPositions *positions = real_pair_positions + quarter - 2;
  BRM_FFT_COMPLEX *twiddles = real_pair_twiddles + quarter - 2;
  for (int position = 0; position < half; ++position) {
    const int bin = binAt[position];
    if (bin > 0 && bin < quarter) {
      *positions++ = {static_cast<uint16_t>(position), static_cast<uint16_t>(tab[half - bin])};
      *twiddles++ = EighthTwiddle(d, quarter, bin);
    }
  }
}

int BuildTables() {
  __fft_gen(d16, nullptr, 3, 1);
  __fft_gen(d32, d16, 7, 1);
  __fft_gen(d64, d32, 15, 1);
  __fft_gen(d128, d64, 31, 1);
  __fft_gen(d256, d128, 63, 1);
  __fft_gen(d512, d256, 127, 1);
  __fft_gen(d1024, d512, 127, 0);
  __fft_gen(d2048, d1024, 255, 0);
  __fft_gen(d4096, d2048, 511, 0);
  __fft_gen(d8192, d4096, 1023, 0);
  __fft_gen(d16384, d8192, 2047, 0);
  __fft_gen(d32768, d16384, 4095, 0);
  for (int n = 2; n <= kMaxLength; n <<= 1) idx_perm_calc(n - 2, n);
  for (int n = kFirstSplitLength; n <= kMaxLength; n <<= 1) SplitTwiddles(n);
  for (int n = 8; n <= kMaxLength; n <<= 1) RealPairs(n);
  return 1;
}

}  // namespace

const BRM_FFT_COMPLEX *TwiddlesFor(int n) {
  switch (n) {
    case 16: return d16;
    case 32: return d32;
    case 64: return d64;
    case 128: return d128;
    case 256: return d256;
    case 512: return d512;
    case 1024: return d1024;
    case 2048: return d2048;
    case 4096: return d4096;
    case 8192: return d8192;
    case 16384: return d16384;
    case 32768: return d32768;
    default: return nullptr;
  }
}

}  // namespace brm_fft

// The flag is a function-local static whose initialiser fills the tables, so concurrent first
// calls wait for one complete build instead of seeing a set flag over half-filled tables.
void BRM_fft_init() {
  static const int ffttabinit = brm_fft::BuildTables();
  (void)ffttabinit;
}

int BRM_fft_permute(int size, int bin) {
  if (!brm_fft::IsSupportedLength(size) || bin < 0 || bin >= size) return -1;
  BRM_fft_init();
  return brm_fft::_idxperm[size + bin - 2];
}

const int *BRM_fft_permute_tab(int size) {
  if (!brm_fft::IsSupportedLength(size)) return nullptr;
  BRM_fft_init();
  return brm_fft::_idxperm + size - 2;
}
