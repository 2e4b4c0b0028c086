#pragma once
// Plain scalar FFT, the arithmetic every faster code path must reproduce bit for bit.
#include "dsp/fft.h"

void BRM_fft_reference(BRM_FFT_COMPLEX *buf, int len, int inverse);
void BRM_real_fft_reference(double *buf, int len, int inverse);
void BRM_fft_complexmul_reference(BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
void BRM_fft_complexmul2_reference(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
void BRM_fft_complexmul3_reference(BRM_FFT_COMPLEX *c, const BRM_FFT_COMPLEX *a, const BRM_FFT_COMPLEX *b, int n);
