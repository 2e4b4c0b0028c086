#pragma once
// In-place power-of-two FFT on doubles, lengths 2..32768.
//
// The frequency side stays in the scrambled order the split-radix recursion produces; bin k of
// an n-point transform lives at BRM_fft_permute(n, k). Spectra that are only multiplied point by
// point never need reordering because both operands share that order.

struct BRM_FFT_COMPLEX {
  double re;
  double im;
};

// Builds the twiddle and permutation tables once; safe to call from several threads at once.
// The transforms and permutation lookups call it themselves, so calling it early only moves the
// one-time cost out of the first transform.
void BRM_fft_init();

// Complex transform of len values (len = 2, 4, ..., 32768), unscaled. inverse == 0: natural
// order in, permuted order out (forward, e^-i). Otherwise: permuted order in, natural order out
// (e^+i). Any other length leaves the buffer untouched.
void BRM_fft(BRM_FFT_COMPLEX *buf, int len, int inverse);

// One split-radix pass of a len-point complex transform (len = 32..32768; others do nothing).
// BRM_fft(len) is exactly: forward, this pass and then the transforms of a[0..len/2),
// a[len/2..3len/4) and a[3len/4..len); inverse, those transforms and then this pass. Lets a long
// transform be done a piece at a time.
void BRM_fft_pass(BRM_FFT_COMPLEX *buf, int len, int inverse);

// Real transform of len doubles (len = 2, 4, ..., 32768) through the len/2-point complex
// transform. Forward result: element 0 holds (2*X[0], 2*X[len/2]); element
// BRM_fft_permute(len/2, k) holds 2*X[k] for 1 <= k < len/2. Forward then inverse scales by 2*len.
// Any other length leaves the buffer untouched.
void BRM_real_fft(double *buf, int len, int inverse);

// The real transform's own step (len = 4..32768): forward, what follows the len/2-point complex
// transform; inverse, what precedes it. It is made of len/4 + 1 independent steps, of which
// this does first..end-1, so that it too can be done a piece at a time.
void BRM_real_fft_combine(double *buf, int len, int inverse, int first, int end);

// Position of frequency bin `bin` in a transform of `size` values; -1 when size is not a
// supported length or bin is outside 0..size-1.
int BRM_fft_permute(int size, int bin);

// The whole permutation of one length: element k equals BRM_fft_permute(size, k). Null when size
// is not a supported length.
const int *BRM_fft_permute_tab(int size);

// Point-wise complex products over n values; they do nothing unless n >= 2 and n is even.
// a[i] = a[i] * b[i]
void BRM_fft_complexmul(BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
// c[i] = a[i] * b[i]
void BRM_fft_complexmul2(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
// c[i] = c[i] + a[i] * b[i]
void BRM_fft_complexmul3(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
